#include "waveview/PreviewPlayer.h"

PreviewPlayer::PreviewPlayer(const PlaybackSettings& settings) {
    m_state.settings = &settings;
}

void PreviewPlayer::Stop() {
    m_stream.Close();
}

bool PreviewPlayer::Play(const std::int16_t* left, const std::int16_t* right, std::uint32_t frames,
                         bool endMode, Side side, std::uint32_t sampleRate) {
    Stop();
    m_state.left = left;
    m_state.right = right;
    m_state.size = frames;
    m_state.position = 0;
    m_state.endMode = endMode;
    m_state.playSide = side;
    m_state.peakLevel = m_state.settings->PeakLevel(side);
    m_state.sampleRate = sampleRate;
    m_state.treble.tunedLevel = -1;  // each playback starts from a fresh filter
    return m_stream.Play(&PlaybackCallback, &m_state, sampleRate);
}
