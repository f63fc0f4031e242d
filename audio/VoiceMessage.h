#pragma once
// The spoken voice messages ("wavside1.wav", ...): WAV files of the install folder played
// through the default audio output, one after the other, from a thread of the player's
// own. No toolkit headers. Any thread may call.

#include <string>

/// Messages waiting behind the one that plays; more are dropped (a job can finish sides
/// faster than the messages are spoken).
constexpr int kMaxWaitingVoiceMessages = 4;

namespace audio {

/// Looks `fileName` up in InstallFolder() and plays it in the background, after the
/// messages already asked for; returns at once. Silent on any failure: no output device, a
/// missing file or one the WAV reader refuses (16-bit stereo PCM is played at its own rate).
void PlayVoiceMessage(const std::string& fileName);

/// Blocks until every message asked for so far has played or failed.
void WaitForVoiceMessages();

/// Cuts off the message that plays, drops the waiting ones, ends the player thread and
/// releases the audio library. For program exit; a later PlayVoiceMessage starts afresh.
void StopVoiceMessages();

}  // namespace audio
