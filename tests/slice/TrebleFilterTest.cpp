#include "slice/TrebleDesign.h"
#include "slice/TrebleFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tests/support/Reference.h"
#include "tests/support/TestWav.h"

namespace {

// Full-scale noise drives the boosted filter past the 16-bit range, so saturation is
// exercised along with the ordinary path.
class TrebleFilterLevels : public ::testing::TestWithParam<float> {};

TEST_P(TrebleFilterLevels, ProcessMatchesPlainReference) {
    const float level = GetParam();
    TrebleFilter filter;
    slice::TuneTreble(filter, level);
    ref::Filter reference;
    ref::Tune(reference, level);
    const std::vector<Frame> input = NoiseFrames(20000, 1.0, 7);
    for (std::size_t i = 0; i < input.size(); ++i) {
        Frame got = input[i];
        filter.Process(got.left, got.right, level);
        const Frame want = ref::Process(reference, input[i], level);
        ASSERT_EQ(got, want) << "frame " << i;
    }
}

TEST_P(TrebleFilterLevels, ProcessFramesMatchesProcessAcrossCalls) {
    const float level = GetParam();
    TrebleFilter one, many;
    slice::TuneTreble(one, level);
    slice::TuneTreble(many, level);
    std::vector<Frame> input = NoiseFrames(9000, 0.8, 3);
    std::vector<Frame> batched = input;
    // Uneven pieces: the history must carry between calls exactly as between frames.
    std::size_t at = 0;
    for (std::size_t piece : {1u, 99u, 4410u, 7u, 4483u}) {
        const int peak = many.ProcessFrames(&batched[at].left, piece, level);
        int want = 0;
        for (std::size_t i = at; i < at + piece; ++i)
            want =
                std::max({want, std::abs(int{batched[i].left}), std::abs(int{batched[i].right})});
        EXPECT_EQ(peak, want);
        at += piece;
    }
    ASSERT_EQ(at, input.size());
    for (Frame& f : input) one.Process(f.left, f.right, level);
    EXPECT_EQ(batched, input);
}

// Several stretches filtered side by side, each from its own history (one of them the
// tuned filter's, the others mid-signal), against each filtered alone.
TEST_P(TrebleFilterLevels, StreamsMatchEachStretchFilteredAlone) {
    const float level = GetParam();
    for (int count = 1; count <= 4; ++count) {
        std::vector<TrebleFilter> alone(count), together(count);
        std::vector<std::vector<Frame>> want(count), got(count);
        for (int i = 0; i < count; ++i) {
            slice::TuneTreble(alone[i], level);
            std::vector<Frame> lead = NoiseFrames(50 * i, 1.0, 20 + i);
            for (Frame& f : lead) alone[i].Process(f.left, f.right, level);
            together[i] = alone[i];
            want[i] = got[i] = NoiseFrames(3000, 1.0, 30 + i);
            alone[i].ProcessFrames(&want[i][0].left, want[i].size(), level);
        }
        std::vector<TrebleFilter*> filters;
        std::vector<std::int16_t*> samples;
        for (int i = 0; i < count; ++i) {
            filters.push_back(&together[i]);
            samples.push_back(&got[i][0].left);
        }
        slice::ProcessStreams(filters.data(), samples.data(), count, 3000, level);
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(got[i], want[i]) << count << " streams, stream " << i;
            EXPECT_TRUE(slice::SameFilterState(together[i], alone[i]))
                << count << " streams, " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllBoostLevels, TrebleFilterLevels,
                         ::testing::Values(0.0f, 1.0f, 2.0f, 4.0f, 6.0f, 8.0f, 10.0f, 12.0f));

TEST(TrebleFilter, SaturatesInsteadOfWrapping) {
    TrebleFilter filter;
    slice::TuneTreble(filter, 12);
    // A full-scale tone near 15 kHz rings far past full scale at +48 dB.
    bool sawMax = false, sawMin = false;
    for (int i = 0; i < 2000; ++i) {
        std::int16_t l = (i % 3 == 0) ? 32767 : -32768, r = l;
        filter.Process(l, r, 12);
        sawMax |= l == 32767;
        sawMin |= l == -32768;
    }
    EXPECT_TRUE(sawMax);
    EXPECT_TRUE(sawMin);
}

TEST(TrebleFilter, TuningClearsTheHistory) {
    TrebleFilter used, fresh;
    slice::TuneTreble(used, 6);
    std::vector<Frame> noise = NoiseFrames(100, 1.0, 5);
    for (Frame& f : noise) used.Process(f.left, f.right, 6);
    slice::TuneTreble(used, 6);
    slice::TuneTreble(fresh, 6);
    std::int16_t a = 1000, b = -1000, c = 1000, d = -1000;
    used.Process(a, b, 6);
    fresh.Process(c, d, 6);
    EXPECT_EQ(a, c);
    EXPECT_EQ(b, d);
}

}  // namespace

namespace {

// The boost as the filter runs it: its single-precision biquad, or its two sections.
double FilterResponseDb(const TrebleFilter& f, double frequency, std::uint32_t rate) {
    if (!f.cascade) return slice::ResponseDb(Biquad{f.c0, f.c1, f.c2, f.d1, f.d2}, frequency, rate);
    const auto section = [&f](int s) {
        const double* k = f.sections[s];
        return Biquad{k[0], k[1], k[2], k[3], k[4]};
    };
    return slice::ResponseDb(BiquadPair{section(0), section(1)}, frequency, rate);
}

// Every level sounds the same at every rate: within 0.1 dB of the 44.1 kHz response from
// 20 Hz to 16 kHz.
TEST(TrebleFilterRates, ResponseOfTheFortyFourKilohertzBoostAtEveryRate) {
    for (const float level : {1.0f, 2.0f, 4.0f, 6.0f, 8.0f, 10.0f, 12.0f}) {
        TrebleFilter at44k;
        slice::TuneTreble(at44k, level);
        for (const std::uint32_t rate : {48000u, 96000u, 192000u}) {
            TrebleFilter filter;
            slice::TuneTreble(filter, level, rate);
            double worst = 0;
            for (double f = 20; f <= 16000; f += 20)
                worst = std::max(worst, std::abs(FilterResponseDb(filter, f, rate) -
                                                 FilterResponseDb(at44k, f, 44100)));
            EXPECT_LT(worst, 0.1) << "level " << level << " at " << rate << " Hz";
        }
    }
}

}  // namespace
