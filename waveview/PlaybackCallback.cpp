#include "waveview/PlaybackCallback.h"

#include <algorithm>

#include "audio/InputCallback.h"
#include "slice/SampleMath.h"

namespace {

constexpr float kInputScale = 1.0f / 32768.0f;  // 2^-15
constexpr float kOutputScale = 32767.0f;

// The fade factor for the whole call at position p; c > 0 frames of fade.
float FadeFactor(const PlaybackState& s, std::uint32_t c) {
    const float p = static_cast<float>(s.position);
    const float length = static_cast<float>(c);
    const std::uint32_t fadeOutEnd = kFadeOutEndFrame / 44100 * s.sampleRate;  // 5 s in
    const float fadeOutStart = static_cast<float>(fadeOutEnd - c);
    if (p <= length) return s.endMode ? 1.0f : p / length;
    if (p < fadeOutStart) return 1.0f;
    if (!s.endMode) return 1.0f;
    // Past the fade-out's end the formula turns negative: silence instead.
    return std::max(0.0f, 1.0f - (p - fadeOutStart) / length);
}

}  // namespace

FrameTreatment waveview::TreatmentOf(const ProcessingSettings& settings, float peakLevel) {
    FrameTreatment t;
    t.level = settings.trebleBoost;
    t.gain = settings.normalize && peakLevel > 0 ? 1.0f / peakLevel : 1.0f;
    return t;
}

void waveview::TreatFrame(std::int16_t left, std::int16_t right, TrebleFilter& treble,
                          const FrameTreatment& t, std::int16_t* out) {
    std::int16_t frame[2] = {left, right};
    if (t.level > 0.01f) treble.Process(frame[0], frame[1], t.level);
    for (const std::int16_t sample : frame) {
        float v = t.gain * (static_cast<float>(sample) * kInputScale);
        if (t.fading) v = t.factor * v;
        *out++ = slice::TruncateToSample(kOutputScale * v);
    }
}

int waveview::PlaybackCallback(std::int16_t* out, void* user) {
    auto& s = *static_cast<PlaybackState*>(user);
    if (s.size < kCallbackFrames || s.position >= s.size - kCallbackFrames) {
        std::fill(out, out + 2 * kCallbackFrames, std::int16_t{0});
        return 0;
    }

    const ProcessingSettings settings = s.settings->Processing();
    FrameTreatment treatment = TreatmentOf(settings, s.peakLevel);
    const std::uint32_t fade = settings.FadeFrames(s.sampleRate);
    treatment.fading = fade > 0;
    if (treatment.fading) treatment.factor = FadeFactor(s, fade);

    s.treble.Follow(treatment.level, s.sampleRate);
    for (std::uint32_t i = 0; i < kCallbackFrames; ++i, ++s.position, out += 2)
        TreatFrame(s.left[s.position], s.right[s.position], s.treble, treatment, out);
    return 0;
}
