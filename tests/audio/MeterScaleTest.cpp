// The meters in dBFS: peaks to decibels and along the bar, the peak hold, the clip lamp, the
// texts of a recording; and the gained peaks and byte count the callback publishes for them.

#include "audio/MeterScale.h"

#include <gtest/gtest.h>

#include "audio/InputCallback.h"
#include "tests/audio/RecordingHarness.h"

namespace {

TEST(MeterScale, PeaksInDecibelsBelowFullScale) {
    const std::pair<std::int32_t, float> cases[] = {{32768, 0.0f},     {16384, -6.0206f},
                                                    {3277, -19.9994f}, {33, -59.9386f},
                                                    {32, -60.0f},      {0, -60.0f}};
    for (const auto& [peak, db] : cases) EXPECT_NEAR(audio::PeakDbfs(peak), db, 1e-3) << peak;
    EXPECT_EQ(audio::MeterFraction(0.0f), 1.0f);
    EXPECT_EQ(audio::MeterFraction(-30.0f), 0.5f);
    EXPECT_EQ(audio::MeterFraction(-80.0f), 0.0f);
    EXPECT_EQ(audio::MeterFraction(3.0f), 1.0f);
    EXPECT_EQ(audio::GainedPeak(16384, 1.0f), 16384);
    EXPECT_EQ(audio::GainedPeak(16384, 1.5f), 24576);
    EXPECT_EQ(audio::GainedPeak(16384, 2.0f), kClipPeak);
    EXPECT_EQ(audio::GainedPeak(1000, 0.0f), 0);
}

TEST(MeterScale, HoldKeepsTheLoudestPeakForTwoSecondsAndTheLampStaysLit) {
    MeterChannel channel;
    channel.Update(16384, 10.0);
    channel.Update(1000, 11.0);
    EXPECT_EQ(channel.Level(), 1000);
    EXPECT_EQ(channel.Hold(), 16384);
    channel.Update(2000, 12.1);  // the loud peak is more than two seconds old
    EXPECT_EQ(channel.Hold(), 2000);
    EXPECT_FALSE(channel.Clipped());
    channel.Update(kClipPeak, 12.2);
    channel.Update(0, 20.0);
    EXPECT_TRUE(channel.Clipped()) << "lit until reset, however long ago";
    EXPECT_EQ(channel.Hold(), 0);
    channel.ResetClip();
    EXPECT_FALSE(channel.Clipped());
}

TEST(MeterScale, TextsOfARecording) {
    EXPECT_EQ(audio::HeadroomText(16384), "Headroom: 6.0 dB");
    EXPECT_EQ(audio::HeadroomText(32000), "Headroom: 0.2 dB");
    EXPECT_EQ(audio::HeadroomText(kClipPeak), "Headroom: CLIP");
    EXPECT_EQ(audio::HeadroomText(0), "Headroom: over 60 dB");
    EXPECT_EQ(audio::DbfsText(3277), "-20.0 dBFS");
    EXPECT_EQ(audio::DbfsText(0), "-60 dBFS or less");
    EXPECT_EQ(audio::ElapsedText(44100 * 754 + 44099, 44100), "12:34");
    EXPECT_EQ(audio::ElapsedText(44100ull * 3723, 44100), "1:02:03");
    EXPECT_EQ(audio::SizeText(212'449'999), "212.4 MB");
    // 10 GB at 176400 bytes a second: 56689 s, 944 whole minutes.
    EXPECT_EQ(audio::TimeLeftText(10'000'000'000ull, 176400), "15 h 44 min");
    EXPECT_EQ(audio::RecordingProgressLine(44100 * 75, 44100, 3277, 0, false),
              "1:15  L -20.0 dBFS  R -60 dBFS or less");
    EXPECT_EQ(audio::RecordingProgressLine(0, 44100, kClipPeak, 16384, true),
              "0:00  L 0.0 dBFS  R -6.0 dBFS  CLIP");
}

// What the meters read: the slider's gain on the input while monitoring, the recorded
// samples while recording, and the bytes recorded so far.
TEST(MeterScale, TheCallbackPublishesGainedPeaksAndBytes) {
    RecordingState state;
    state.mode = RecordingMode::Monitoring;
    state.meterShown = true;
    state.sliderValue = 75;  // gain 26
    std::vector<Frame> quiet(69 * 64, Frame{1000, -500});
    Feed(state, quiet, 69);
    EXPECT_EQ(state.recentPeaks.load(), std::uint32_t{26000} << 16 | 13000);
    EXPECT_EQ(state.capturedBytes.load(), 0u);

    state.ResetForStream();
    state.mode = RecordingMode::Recording;
    state.gain = 2.0f;
    Feed(state, std::vector<Frame>(69 * 64, Frame{-20000, 300}), 69);
    EXPECT_EQ(state.recentPeaks.load(), std::uint32_t{32767} << 16 | 600);
    EXPECT_EQ(state.capturedBytes.load(), 69u * 256);
}

}  // namespace
