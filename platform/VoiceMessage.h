#pragma once
// The spoken voice messages ("wavside1.wav", ...): WAV files of the install folder played
// through the default audio output on a background thread. Lives in its own library
// (velvane_voice) so that only the front ends link the audio library for it.
// No toolkit headers. Any thread may call, except the player's own.

#include <string>

namespace platform {

/// Messages waiting behind the one that plays; more are dropped (a job can finish sides
/// faster than the messages are spoken).
constexpr int kMaxWaitingVoiceMessages = 4;

/// Looks `fileName` up in InstallFolder() and plays it in the background, after the
/// messages already asked for; returns at once. Silent on any failure: no output device, a
/// missing file or one the WAV reader refuses (16-bit stereo PCM is played at its own rate).
void PlayVoiceMessage(const std::string& fileName);

/// Blocks until every message asked for so far has played or failed.
void WaitForVoiceMessages();

/// Cuts off the message that plays, drops the waiting ones, ends the player thread and
/// releases the audio library. For program exit; a later PlayVoiceMessage starts afresh.
void StopVoiceMessages();

}  // namespace platform
