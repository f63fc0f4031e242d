#include "audio/InputCallback.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "audio/LevelMeter.h"
#include "audio/MeterScale.h"

namespace {

constexpr std::int32_t kRecentPeakCalls = 69;  // about 0.1 s at 44.1 kHz
constexpr std::int32_t kMax24 = 8388607;
constexpr std::int32_t kMin24 = -8388608;

std::int32_t Load24(const std::uint8_t* p) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8 |
                                     static_cast<std::uint32_t>(p[1]) << 16 |
                                     static_cast<std::uint32_t>(p[2]) << 24) >>
           8;
}

void Store24(std::uint8_t* p, std::int32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
}

// The top 16 bits of a 24-bit block, for the meter and the probes.
void Top16(const std::uint8_t* block, std::int16_t* out) {
    for (std::uint32_t i = 0; i < 2 * kCallbackFrames; ++i)
        out[i] = static_cast<std::int16_t>(Load24(block + 3 * i) >> 8);
}

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
    if (s.meterFrames <= s.meterUpdateFrames) return;
    // The meter shows what the slider would make of the input; the recording's own gain is
    // the owner's to set when it starts.
    const float gain = audio::SliderGain(s.sliderValue.load(std::memory_order_relaxed));
    s.meterReading.store(audio::PackMeterReading(audio::ReadMeter(s.leftPeak, s.rightPeak, gain)),
                         std::memory_order_relaxed);
    s.recentPeaks.store(
        PackPeaks(audio::GainedPeak(s.leftPeak, gain), audio::GainedPeak(s.rightPeak, gain)),
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
    if (++s.peakCalls < s.recentPeakCalls) return;
    s.recentPeaks.store(PackPeaks(s.recentLeft, s.recentRight), std::memory_order_relaxed);
    s.peakCalls = s.recentLeft = s.recentRight = 0;
}

// After a block is captured: blinks, the size limit and the automatic stop. `block16` is
// the block (or its top 16 bits).
int AfterBlock(const std::int16_t* block16, RecordingState& s) {
    s.capturedBytes.store(s.bytesCaptured, std::memory_order_relaxed);
    const bool tick = s.bytesCaptured % s.blinkBytes == 0;
    if (tick) s.blinks.fetch_add(1, std::memory_order_release);
    TrackRecentPeaks(block16, s);

    if (s.bytesCaptured >= s.maxDataBytes) {
        s.stopRequest.store(s.limitRequest, std::memory_order_release);
        return kCallbackStop;
    }
    if (tick && s.autoStop.load(std::memory_order_relaxed)) {
        if (Loudness(block16) >= kLoudProbe) {
            s.quietChecks = 0;
        } else if (++s.quietChecks >= kQuietProbesToStop) {
            s.quietChecks = 0;
            s.stopRequest.store(StopRequest::Quiet, std::memory_order_release);
            return kCallbackStop;
        }
    }
    return kCallbackContinue;
}

int Record(const void* input, RecordingState& s, bool inputOverflow) {
    // Whole frames up to the limit: the last block may be taken in part.
    const std::uint64_t room =
        s.maxDataBytes - std::min<std::uint64_t>(s.bytesCaptured, s.maxDataBytes);
    const auto take = static_cast<std::uint32_t>(std::min<std::uint64_t>(s.blockBytes, room));
    if (take == 0) {
        s.stopRequest.store(s.limitRequest, std::memory_order_release);
        return kCallbackStop;
    }
    if (inputOverflow) s.inputOverflows.fetch_add(1, std::memory_order_relaxed);

    const float gain = s.gain.load(std::memory_order_relaxed);
    std::int16_t block[2 * kCallbackFrames];
    if (s.format.encoding == SampleEncoding::Int24) {
        const auto* in = static_cast<const std::uint8_t*>(input);
        std::uint8_t bytes[2 * kCallbackFrames * 3];
        for (std::uint32_t i = 0; i < 2 * kCallbackFrames; ++i)
            Store24(bytes + 3 * i, in ? audio::ApplyGain24(Load24(in + 3 * i), gain) : 0);
        s.bytesCaptured += take;
        if (s.writer) s.writer->Append(bytes, take);
        Top16(bytes, block);
        return AfterBlock(block, s);
    }
    const auto* in = static_cast<const std::int16_t*>(input);
    for (std::uint32_t i = 0; i < 2 * kCallbackFrames; ++i)
        block[i] = in ? audio::ApplyGain(in[i], gain) : 0;
    s.bytesCaptured += take;
    // Little-endian in memory, as in the file.
    if (s.writer) s.writer->Append(reinterpret_cast<const std::uint8_t*>(block), take);
    return AfterBlock(block, s);
}

}  // namespace

std::int32_t audio::ApplyGain24(std::int32_t sample, float gain) {
    const float value = static_cast<float>(sample) * gain;
    if (value >= static_cast<float>(kMax24)) return kMax24;
    if (value <= static_cast<float>(kMin24)) return kMin24;
    return static_cast<std::int32_t>(value);
}

std::int16_t audio::ApplyGain(std::int16_t sample, float gain) {
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

void RecordingState::SetFormat(const SideFormat& f) {
    format = f;
    blockBytes = kCallbackFrames * f.BytesPerFrame();
    const double perCd = static_cast<double>(f.sampleRate) / kCdFormat.sampleRate;
    // 689 is prime to the 256-byte block: every 689th block, as at 44.1 kHz 16-bit.
    const auto blinkCalls = static_cast<std::uint64_t>(std::lround(kBlinkDivisor * perCd));
    blinkBytes = f == kCdFormat ? kBlinkDivisor : blinkCalls * blockBytes;
    meterUpdateFrames = static_cast<std::int32_t>(f.BlockFrames());
    recentPeakCalls = static_cast<std::int32_t>(std::lround(kRecentPeakCalls * perCd));
}

int audio::InputCallback(const void* input, RecordingState& state, bool inputOverflow) {
    switch (state.mode.load(std::memory_order_acquire)) {
        case RecordingMode::Stopped:
            return kCallbackStop;
        case RecordingMode::Monitoring:
            if (input && state.format.encoding == SampleEncoding::Int24) {
                std::int16_t top[2 * kCallbackFrames];
                Top16(static_cast<const std::uint8_t*>(input), top);
                Meter(top, state);
            } else {
                Meter(static_cast<const std::int16_t*>(input), state);
            }
            return kCallbackContinue;
        case RecordingMode::Recording:
            return Record(input, state, inputOverflow);
    }
    return kCallbackContinue;
}
