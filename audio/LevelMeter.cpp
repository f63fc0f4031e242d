#include "audio/LevelMeter.h"

float audio::SliderGain(int sliderValue) {
    const float f = static_cast<float>(sliderValue) / 100.0f;
    return f > 0.5f ? (f - 0.5f) * 100.0f + 1.0f : 2.0f * f;
}

namespace {

// Percent after the gain, truncated toward zero; above the gauge's range it clips.
int Gained(int percent, float gain, bool& clip) {
    const int value = static_cast<int>(static_cast<float>(percent) * gain);
    if (value > kGaugeRange) {
        clip = true;
        return kGaugeRange;
    }
    return value;
}

}  // namespace

MeterReading audio::ReadMeter(std::int32_t leftPeak, std::int32_t rightPeak, float gain) {
    const int left = leftPeak / kMeterPeakDivisor;
    const int right = rightPeak / kMeterPeakDivisor;
    MeterReading reading;
    reading.headroom = left < right ? left : right;
    reading.left = Gained(left, gain, reading.clip);
    reading.right = Gained(right, gain, reading.clip);
    return reading;
}

std::uint32_t audio::PackMeterReading(const MeterReading& reading) {
    return static_cast<std::uint32_t>(reading.left) |
           static_cast<std::uint32_t>(reading.right) << 8 |
           static_cast<std::uint32_t>(reading.headroom) << 16 |
           static_cast<std::uint32_t>(reading.clip) << 24;
}

MeterReading audio::UnpackMeterReading(std::uint32_t packed) {
    MeterReading reading;
    reading.left = static_cast<int>(packed & 0xFF);
    reading.right = static_cast<int>(packed >> 8 & 0xFF);
    reading.headroom = static_cast<int>(packed >> 16 & 0xFF);
    reading.clip = (packed >> 24 & 1) != 0;
    return reading;
}
