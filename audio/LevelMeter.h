#pragma once
// The level meter's arithmetic: the slider's gain curve and the percentages of full scale
// the two meters read as gauges (their dBFS picture and the headroom: MeterScale.h). Plain
// functions, callable from any thread (the audio callback computes readings, the levels dialog
// turns them into texts).

#include <cstdint>
#include <string>

constexpr int kGainSliderMin = 0;
constexpr int kGainSliderMax = 100;
constexpr int kGainSliderDefault = 50;  ///< gain 1.0
constexpr float kMaxGain = 51.0f;       ///< slider at 100
constexpr std::int32_t kMeterUpdateFrames =
    4410;                                        ///< an update once more frames than this were seen
constexpr std::int32_t kMeterPeakDivisor = 328;  ///< peak / 328 = percent of full scale, 0..99
constexpr int kGaugeRange = 100;
constexpr const char* kHeadroomInitialText = "Headroom: ";

/// One meter update, from the peaks (absolute sample values before the gain) of about 0.1 s.
struct MeterReading {
    int left = 0;       ///< left gauge, 0..100, after the gain
    int right = 0;      ///< right gauge
    int headroom = 0;   ///< the lower of the two percentages before the gain, 0..99
    bool clip = false;  ///< a gauge would pass 100 after the gain
    bool operator==(const MeterReading&) const = default;
};

namespace audio {

/// Gain factor of a slider position 0..100: 2v/100 up to 50 (1.0), then about one more per
/// step (100 gives 51.0). Computed in single precision.
float SliderGain(int sliderValue);

MeterReading ReadMeter(std::int32_t leftPeak, std::int32_t rightPeak, float gain);

/// A reading packed into 32 bits, so the callback can publish it in one atomic store.
std::uint32_t PackMeterReading(const MeterReading& reading);
MeterReading UnpackMeterReading(std::uint32_t packed);

}  // namespace audio
