// The preview's audio callback, called directly: 64 frames per call, fades stepped per call,
// Normalize, the treble boost with the preview's own filter, saturation and the silent
// tail of a used-up stretch.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "waveview/PlaybackCallback.h"

namespace {

constexpr std::uint32_t kCall = 64;

struct FakeSettings : PlaybackSettings {
    int fadeId = 300;
    bool normalize = false;
    float level = 0;
    float peaks[2] = {1, 1};

    ProcessingSettings Processing() const override {
        ProcessingSettings settings;
        settings.fadeSeconds = menu::FadeSecondsForId(fadeId);
        settings.normalize = normalize;
        settings.trebleBoost = level;
        return settings;
    }
    float PeakLevel(Side side) const override { return peaks[model::Index(side)]; }
};

struct Stretch {
    std::vector<std::int16_t> left, right;
};

Stretch Constant(std::uint32_t frames, std::int16_t value) {
    return {std::vector<std::int16_t>(frames, value), std::vector<std::int16_t>(frames, value)};
}

// Left and right in opposite phase, alternating every frame: pure treble.
Stretch Alternating(std::uint32_t frames, std::int16_t value) {
    Stretch s;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const std::int16_t v = i % 2 ? value : static_cast<std::int16_t>(-value);
        s.left.push_back(v);
        s.right.push_back(static_cast<std::int16_t>(-v));
    }
    return s;
}

class PlaybackCallbackTest : public testing::Test {
  protected:
    // `stretch` must outlive the calls.
    void Start(const Stretch& stretch, bool endMode = false, Side side = Side::One) {
        state = PlaybackState{};
        state.left = stretch.left.data();
        state.right = stretch.right.data();
        state.size = static_cast<std::uint32_t>(stretch.left.size());
        state.endMode = endMode;
        state.playSide = side;
        state.peakLevel = settings.PeakLevel(side);  // as PreviewPlayer takes it
        state.settings = &settings;
    }

    // `calls` callbacks; interleaved output.
    std::vector<std::int16_t> Run(std::uint32_t calls) {
        std::vector<std::int16_t> out(2 * kCall * calls, 12345);
        for (std::uint32_t c = 0; c < calls; ++c) {
            EXPECT_EQ(waveview::PlaybackCallback(out.data() + 2 * kCall * c, &state), 0);
        }
        return out;
    }

    // The left sample of every call after checking that all 128 samples of a call agree
    // (a constant input gives a constant call: the fade changes per 64 frames only).
    std::vector<int> PerCall(const std::vector<std::int16_t>& out) {
        std::vector<int> values;
        for (std::size_t c = 0; c * 2 * kCall < out.size(); ++c) {
            const std::int16_t* call = out.data() + c * 2 * kCall;
            for (std::uint32_t i = 1; i < 2 * kCall; ++i) {
                if (call[i] != call[0]) {
                    ADD_FAILURE() << "call " << c << " is not constant at " << i;
                    break;
                }
            }
            values.push_back(call[0]);
        }
        return values;
    }

    FakeSettings settings;
    PlaybackState state;
};

TEST_F(PlaybackCallbackTest, NoFadePlaysAtConstantGainFromTheFirstFrame) {
    // 16384 is half scale: 32767 x 0.5 = 16383.5, truncated.
    const Stretch input = Constant(10 * kCall, 16384);
    for (const bool endMode : {false, true}) {
        Start(input, endMode);
        const auto calls = PerCall(Run(9));
        for (const int v : calls) EXPECT_EQ(v, 16383);
        EXPECT_EQ(state.position, 9 * kCall);
    }
}

TEST_F(PlaybackCallbackTest, BeginningModeFadesInOverTheFadeLengthInStepsOf64Frames) {
    settings.fadeId = 303;  // 2 s: 88200 frames
    const Stretch input = Constant(200000, 16384);
    Start(input, false);
    const auto calls = PerCall(Run(1500));
    EXPECT_EQ(calls[0], 0);  // rises from silence
    for (std::size_t c = 1; c < calls.size(); ++c) {
        const double p = static_cast<double>(c * kCall);
        if (p <= 88200) {
            EXPECT_GE(calls[c], calls[c - 1]) << c;
            EXPECT_NEAR(calls[c], 16383.5 * p / 88200, 1.0) << c;
            EXPECT_LT(calls[c], 16383) << c;
        } else {
            EXPECT_EQ(calls[c], 16383) << c;
        }
    }
}

TEST_F(PlaybackCallbackTest, EndModeFadesOutToSilenceAndStaysSilent) {
    struct Case {
        int fadeId;
        std::uint32_t fade;
    };
    for (const Case c : {Case{301, 4410}, Case{302, 44100}, Case{303, 88200}}) {
        settings.fadeId = c.fadeId;
        // The whole window: the stretch runs past the cut, where the fade has ended.
        const Stretch input = Constant(441000, -16384);
        Start(input, true);
        const auto calls = PerCall(Run(441000 / kCall));
        const std::uint32_t fadeOutStart = 220500 - c.fade;
        for (std::size_t k = 0; k < calls.size(); ++k) {
            const std::uint32_t p = static_cast<std::uint32_t>(k * kCall);
            if (p < fadeOutStart) {
                ASSERT_EQ(calls[k], -16383) << "fade " << c.fade << " call " << k;
            } else if (p < 220500) {
                ASSERT_LE(calls[k], 0) << k;
                ASSERT_GE(calls[k], calls[k - 1]) << k;
                const double expected = -16383.5 * (1 - double(p - fadeOutStart) / c.fade);
                ASSERT_NEAR(calls[k], expected, 1.0) << k;
            } else {
                // Past the fade's end the gain would turn negative: silence, never a
                // growing inverted signal.
                ASSERT_EQ(calls[k], 0) << "fade " << c.fade << " call " << k;
            }
        }
    }
}

TEST_F(PlaybackCallbackTest, VolumeGainComesFromThePlayedSidesPeak) {
    struct Case {
        bool normalize;
        float peaks[2];
        int side;
        std::int16_t in;
        int out;
    };
    const Case cases[] = {
        {false, {0.5f, 0.5f}, 0, 8192, 8191},  // keep the volume: gain 1
        {true, {0.5f, 1.0f}, 0, 8192, 16383},  // peak 0.5 doubles
        {true, {0.5f, 1.0f}, 1, 8192, 8191},   // side 2's peak counts for side 2
        {true, {1.0f, 0.25f}, 1, -4096, -16383},
        {true, {0.0f, 0.0f}, 0, 8192, 8191},     // a silent side plays at gain 1
        {true, {0.25f, 1.0f}, 0, 16384, 32767},  // saturated, not wrapped
        {true, {0.25f, 1.0f}, 0, -16384, -32768},
        {true, {0.1f, 1.0f}, 0, -32768, -32768},
    };
    for (const Case& c : cases) {
        settings.normalize = c.normalize;
        settings.peaks[0] = c.peaks[0];
        settings.peaks[1] = c.peaks[1];
        const Stretch input = Constant(4 * kCall, c.in);
        Start(input, false, model::SideOfIndex(static_cast<std::size_t>(c.side)));
        for (const int v : PerCall(Run(3))) EXPECT_EQ(v, c.out) << c.in << " side " << c.side;
    }
}

TEST_F(PlaybackCallbackTest, TrebleBoostUsesItsOwnFilterTunedToTheEqLevel) {
    const Stretch input = Alternating(40 * kCall, 6000);

    // EQ off: the samples pass unfiltered.
    settings.level = 0;
    Start(input);
    auto out = Run(39);
    for (std::uint32_t i = 0; i < 39 * kCall; ++i) {
        ASSERT_EQ(out[2 * i], static_cast<int>(32767 * (input.left[i] / 32768.0f))) << i;
    }

    // Level 12 for 20 calls, then level 4: each stretch as a freshly tuned filter gives it.
    settings.level = 12;
    Start(input);
    out = Run(20);
    settings.level = 4;
    const auto after = Run(19);
    out.insert(out.end(), after.begin(), after.end());
    TrebleFilter reference;
    slice::TuneTreble(reference, 12);
    bool changed = false;
    for (std::uint32_t i = 0; i < 39 * kCall; ++i) {
        if (i == 20 * kCall) slice::TuneTreble(reference, 4);
        std::int16_t l = input.left[i], r = input.right[i];
        reference.Process(l, r, i < 20 * kCall ? 12.0f : 4.0f);
        ASSERT_EQ(out[2 * i], static_cast<int>(32767 * (l / 32768.0f))) << i;
        ASSERT_EQ(out[2 * i + 1], static_cast<int>(32767 * (r / 32768.0f))) << i;
        changed |= l != input.left[i];
    }
    EXPECT_TRUE(changed);
}

TEST_F(PlaybackCallbackTest, AUsedUpStretchPlaysSilenceAndKeepsItsPosition) {
    struct Case {
        std::uint32_t frames;
        std::uint32_t playedCalls;  // calls that play before the silence
    };
    for (const Case c : {Case{0, 0}, Case{1, 0}, Case{63, 0}, Case{64, 0}, Case{65, 1},
                         Case{128, 1}, Case{129, 2}}) {
        const Stretch input = Constant(c.frames, 10000);
        Start(input);
        const auto calls = PerCall(Run(4));
        for (std::uint32_t k = 0; k < calls.size(); ++k) {
            EXPECT_EQ(calls[k], k < c.playedCalls ? 9999 : 0) << c.frames << " call " << k;
        }
        EXPECT_EQ(state.position, c.playedCalls * kCall) << c.frames;
    }
}

}  // namespace
