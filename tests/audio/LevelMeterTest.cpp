// The level meter as the levels dialog sees it: InputCallback in Monitoring mode fed with
// generated blocks.

#include "audio/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>

#include "audio/InputCallback.h"
#include "tests/audio/RecordingHarness.h"

namespace {

constexpr std::size_t kCallsPerUpdate = 69;  // 69 x 64 = 4416 > 4410 frames

struct MeterCase {
    const char* name;
    double leftAmplitude;  // of a sine, 1.0 = full scale
    double rightAmplitude;
    int slider;
    MeterReading expected;
};

void PrintTo(const MeterCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<Frame> Sine(double left, double right, std::size_t frames) {
    std::vector<Frame> out(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double s = std::sin(2 * M_PI * 441.0 * static_cast<double>(i) / 44100.0);
        out[i] = {static_cast<std::int16_t>(std::lround(std::min(32767.0, 32768 * left * s))),
                  static_cast<std::int16_t>(std::lround(std::min(32767.0, 32768 * right * s)))};
    }
    return out;
}

class Meter : public ::testing::TestWithParam<MeterCase> {};

TEST_P(Meter, ReadingAfterOneUpdate) {
    const MeterCase& c = GetParam();
    RecordingState state;
    state.mode = RecordingMode::Monitoring;
    state.meterShown = true;
    state.sliderValue = c.slider;
    const auto input = Sine(c.leftAmplitude, c.rightAmplitude, kCallsPerUpdate * 64);
    Feed(state, input, kCallsPerUpdate - 1);
    EXPECT_EQ(state.meterUpdates.load(), 0u);
    Feed(state, std::vector<Frame>(input.end() - 64, input.end()), 1);
    ASSERT_EQ(state.meterUpdates.load(), 1u);
    const MeterReading reading = audio::UnpackMeterReading(state.meterReading.load());
    EXPECT_EQ(reading, c.expected);
    // The reading is of the slider's gain; the recording's gain is the owner's alone.
    EXPECT_EQ(state.gain.load(), 1.0f);
    EXPECT_EQ(state.leftPeak, 0);  // the next update starts afresh
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Meter,
    ::testing::Values(MeterCase{"Silence", 0, 0, 50, {0, 0, 0, false}},
                      MeterCase{"FullScaleLeftOnly", 1.0, 0, 50, {99, 0, 0, false}},
                      MeterCase{"HalfScaleSlider50", 0.5, 0.5, 50, {49, 49, 49, false}},
                      MeterCase{"HalfScaleSlider100", 0.5, 0.5, 100, {100, 100, 49, true}},
                      MeterCase{"HalfScaleLeftSlider100", 0.5, 0.005, 100, {100, 0, 0, true}},
                      MeterCase{"Slider0", 1.0, 0.5, 0, {0, 0, 49, false}},
                      MeterCase{"QuarterScaleSlider75", 0.25, 0.125, 75, {100, 100, 12, true}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Meter, DoesNothingOnceTheDialogIsGone) {
    RecordingState state;
    state.mode = RecordingMode::Monitoring;
    Feed(state, Sine(1, 1, 200 * 64), 200);
    EXPECT_EQ(state.meterUpdates.load(), 0u);
    EXPECT_EQ(state.gain.load(), 1.0f);
}

TEST(SliderGain, Curve) {
    const std::pair<int, float> cases[] = {{0, 0.0f},       {25, 0.5f},  {50, 1.0f},
                                           {51, 1.999999f}, {75, 26.0f}, {100, 51.0f}};
    for (const auto& [slider, gain] : cases)
        EXPECT_FLOAT_EQ(audio::SliderGain(slider), gain) << slider;
    EXPECT_EQ(audio::SliderGain(100), kMaxGain);
    EXPECT_EQ(audio::SliderGain(50), 1.0f);
}

}  // namespace
