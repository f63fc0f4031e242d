#include "waveview/PreviewPlayer.h"

PreviewPlayer::PreviewPlayer(const PlaybackSettings& settings) {
    state_.settings = &settings;
}

void PreviewPlayer::Stop() {
    stream_.Close();
}

bool PreviewPlayer::Play(const std::int16_t* left, const std::int16_t* right, std::uint32_t frames,
                         bool endMode, Side side, std::uint32_t sampleRate) {
    Stop();
    state_.left = left;
    state_.right = right;
    state_.size = frames;
    state_.position = 0;
    state_.endMode = endMode;
    state_.playSide = side;
    state_.peakLevel = state_.settings->PeakLevel(side);
    state_.sampleRate = sampleRate;
    state_.treble.tunedLevel = -1;  // each playback starts from a fresh filter
    return stream_.Play(&waveview::PlaybackCallback, &state_, sampleRate);
}
