#pragma once
// The listen dialog's playback: one PlaybackState and the default-output stream that plays
// it through PlaybackCallback. No toolkit headers.
//
// Thread: GUI thread only. While a stream runs, the audio callback owns the state; every
// call here first stops and closes the stream, so the GUI thread never changes what the
// callback reads.

#include <cstdint>

#include "audio/AudioStream.h"
#include "waveview/PlaybackCallback.h"

class PreviewPlayer {
  public:
    /// `settings` must outlive the player.
    explicit PreviewPlayer(const PlaybackSettings& settings);

    /// Stops and closes the stream, returning once its callback has run for the last time.
    /// Harmless without a stream.
    void Stop();

    /// Stops any playback, then plays `frames` frames from `left` and `right` (which must
    /// stay unchanged until the next Stop) through the default output, processed for the
    /// end (`endMode`) or the beginning of a song of `side`, whose peak (for Normalize) is
    /// taken now, at `sampleRate` (the side's). The treble filter starts from a clean history.
    /// False when no output stream could be opened: nothing plays, and nothing is reported
    /// to the user.
    bool Play(const std::int16_t* left, const std::int16_t* right, std::uint32_t frames,
              bool endMode, Side side, std::uint32_t sampleRate = 44100);

    bool IsPlaying() const { return stream_.IsOpen(); }

  private:
    PlaybackState state_;
    AudioStream stream_;  // declared after state_: closed before the state goes away
};
