#include "audio/InputCallback.h"

#include <algorithm>
#include <cstdlib>

#include "audio/LevelMeter.h"
#include "audio/MeterScale.h"

namespace {

constexpr std::int32_t kRecentPeakCalls = 69;  // about 0.1 s

// Two peaks in one word, each held to 32767: left << 16 | right.
std::uint32_t PackPeaks(std::int32_t left, std::int32_t right) {
    const auto clamp = [](std::int32_t v) {
        return static_cast<std::uint32_t>(v > 32767 ? 32767 : v);
    };
    return clamp(left) << 16 | clamp(right);
}

void Meter(const std::int16_t* input, RecordingState& s) {
    if (!s.meterShown.load(std::memory_order_acquire)) return;
    for (std::uint32_t i = 0; i < kCallbackFrames; ++i) {
        const std::int32_t left = input ? std::abs(input[2 * i]) : 0;
        const std::int32_t right = input ? std::abs(input[2 * i + 1]) : 0;
        if (left > s.leftPeak) s.leftPeak = left;
        if (right > s.rightPeak) s.rightPeak = right;
    }
    s.meterFrames += kCallbackFrames;
    if (s.meterFrames <= kMeterUpdateFrames) return;
    // The meter shows what the slider would make of the input; the recording's own gain is
    // the owner's to set when it starts.
    const float gain = SliderGain(s.sliderValue.load(std::memory_order_relaxed));
    s.meterReading.store(PackMeterReading(ReadMeter(s.leftPeak, s.rightPeak, gain)),
                         std::memory_order_relaxed);
    s.recentPeaks.store(PackPeaks(GainedPeak(s.leftPeak, gain), GainedPeak(s.rightPeak, gain)),
                        std::memory_order_relaxed);
    s.meterUpdates.fetch_add(1, std::memory_order_release);
    s.meterFrames = 0;
    s.leftPeak = 0;
    s.rightPeak = 0;
}

// Mean absolute sample of the block: the automatic stop's probe.
std::int32_t Loudness(const std::int16_t* block) {
    std::int32_t sum = 0;
    for (std::uint32_t i = 0; i < 2 * kCallbackFrames; ++i) sum += std::abs(block[i]);
    return sum / static_cast<std::int32_t>(2 * kCallbackFrames);
}

void TrackRecentPeaks(const std::int16_t* block, RecordingState& s) {
    for (std::uint32_t i = 0; i < kCallbackFrames; ++i) {
        if (std::abs(block[2 * i]) > s.recentLeft) s.recentLeft = std::abs(block[2 * i]);
        if (std::abs(block[2 * i + 1]) > s.recentRight) s.recentRight = std::abs(block[2 * i + 1]);
    }
    if (++s.peakCalls < kRecentPeakCalls) return;
    s.recentPeaks.store(PackPeaks(s.recentLeft, s.recentRight), std::memory_order_relaxed);
    s.peakCalls = s.recentLeft = s.recentRight = 0;
}

int Record(const std::int16_t* input, RecordingState& s, bool inputOverflow) {
    // Whole frames up to the limit: the last block may be taken in part.
    const std::uint64_t room =
        s.maxDataBytes - std::min<std::uint64_t>(s.bytesCaptured, s.maxDataBytes);
    const auto take = static_cast<std::uint32_t>(std::min<std::uint64_t>(kBlockBytes, room));
    if (take == 0) {
        s.stopRequest.store(s.limitRequest, std::memory_order_release);
        return kCallbackStop;
    }
    if (inputOverflow) s.inputOverflows.fetch_add(1, std::memory_order_relaxed);

    const float gain = s.gain.load(std::memory_order_relaxed);
    std::int16_t block[2 * kCallbackFrames];
    for (std::uint32_t i = 0; i < 2 * kCallbackFrames; ++i)
        block[i] = input ? ApplyGain(input[i], gain) : 0;

    s.bytesCaptured += take;
    s.capturedBytes.store(s.bytesCaptured, std::memory_order_relaxed);
    const bool tick = s.bytesCaptured % kBlinkDivisor == 0;
    if (tick) s.blinks.fetch_add(1, std::memory_order_release);

    // Little-endian in memory, as in the file.
    if (s.writer) s.writer->Append(reinterpret_cast<const std::uint8_t*>(block), take);
    TrackRecentPeaks(block, s);

    if (s.bytesCaptured >= s.maxDataBytes) {
        s.stopRequest.store(s.limitRequest, std::memory_order_release);
        return kCallbackStop;
    }
    if (tick && s.autoStop.load(std::memory_order_relaxed)) {
        if (Loudness(block) >= kLoudProbe) {
            s.quietChecks = 0;
        } else if (++s.quietChecks >= kQuietProbesToStop) {
            s.quietChecks = 0;
            s.stopRequest.store(StopRequest::Quiet, std::memory_order_release);
            return kCallbackStop;
        }
    }
    return kCallbackContinue;
}

}  // namespace

std::int16_t ApplyGain(std::int16_t sample, float gain) {
    const float value = static_cast<float>(sample) * gain;
    if (value >= 32767.0f) return 32767;
    if (value <= -32768.0f) return -32768;
    return static_cast<std::int16_t>(value);
}

void RecordingState::ResetForStream() {
    blinks.store(0);
    stopRequest.store(StopRequest::None);
    inputOverflows.store(0);
    meterReading.store(0);
    meterUpdates.store(0);
    recentPeaks.store(0);
    capturedBytes.store(0);
    bytesCaptured = 0;
    quietChecks = 0;
    meterFrames = leftPeak = rightPeak = 0;
    peakCalls = recentLeft = recentRight = 0;
}

int InputCallback(const std::int16_t* input, RecordingState& state, bool inputOverflow) {
    switch (state.mode.load(std::memory_order_acquire)) {
        case RecordingMode::Stopped:
            return kCallbackStop;
        case RecordingMode::Monitoring:
            Meter(input, state);
            return kCallbackContinue;
        case RecordingMode::Recording:
            return Record(input, state, inputOverflow);
    }
    return kCallbackContinue;
}
