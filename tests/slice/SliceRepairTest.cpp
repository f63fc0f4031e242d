#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sidefile/SideReader.h"
#include "slice/RepairedReader.h"
#include "slice/SliceWriter.h"

#include "tests/support/FakeWorkControl.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

constexpr std::size_t kSideFrames = 3 * 44100;
constexpr std::size_t kClickAt = 2 * 44100 + 123;  // in the second slice
constexpr std::int32_t kCutTenths = 10;

int LargestSample(const std::vector<Frame>& frames, std::size_t from, std::size_t to) {
    int peak = 0;
    for (std::size_t i = from; i < to; ++i)
        peak = std::max({peak, std::abs(int{frames[i].left}), std::abs(int{frames[i].right})});
    return peak;
}

struct NormalizeCase {
    int repairLevel;
    std::vector<unsigned> clicks;  ///< per slice
    double gainDb;                 ///< what Normalize gives the music
};

class SliceRepairCases : public ::testing::TestWithParam<NormalizeCase> {};

// The click, not the music, is the side's peak: Normalize measured after the repair raises
// the music to full scale, measured before it leaves the music where it was.
TEST_P(SliceRepairCases, NormalizeMeasuresThePeakAfterTheRepair) {
    const NormalizeCase& c = GetParam();
    TempDir dir;
    FakeWorkControl ctx;
    ctx.repairLevel = c.repairLevel;
    ctx.volumeId = menu::kVolumeNormalize;
    const std::vector<Frame> side = ClickedSineFrames(kSideFrames, kClickAt);
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    const std::vector<std::int32_t> cuts = {kCutTenths};
    SliceRequest request;
    request.sidePath = dir / "side.wav";
    request.cuts = cuts;
    request.folder = dir.path();
    request.peakLevel = 0.99f;  // as the analysis finds it: the click's
    request.normalizeAllowed = true;
    const SliceResult r = slice::WriteSlices(ctx, ctx.treble, request);
    ASSERT_EQ(r.written, 2u);
    EXPECT_EQ(r.repairedClicks, c.clicks);

    const auto first = ReadWavFrames(dir / "1.wav");
    const auto second = ReadWavFrames(dir / "2.wav");
    ASSERT_TRUE(first && second);
    const double gainDb =
        20 * std::log10(LargestSample(*first, 0, first->size()) / kClickedSineAmplitude);
    EXPECT_NEAR(gainDb, c.gainDb, 0.3);
    // Around the click the second slice holds the music, raised as the rest.
    const std::size_t at = kClickAt - 44100;
    const int music = LargestSample(*second, at - 200, at - 10);
    const int aroundClick = LargestSample(*second, at - 10, at + 10);
    if (c.repairLevel > 0)
        EXPECT_LE(aroundClick, music * 1.05);
    else
        EXPECT_EQ(aroundClick, 32767);
}

INSTANTIATE_TEST_SUITE_P(Strengths, SliceRepairCases,
                         ::testing::Values(NormalizeCase{0, {}, 0.09},
                                           NormalizeCase{2, {0, 1}, 12.04}));

// The frames a repair leaves alone come out as stored, also the 32-bit ones a float cannot
// hold; only the click's frames change.
TEST(RepairedReader, LeavesEveryUnrepairedSampleAsStored) {
    TempDir dir;
    const SideFormat format{44100, 2, SampleEncoding::Int32};
    const std::vector<Frame> sine = ClickedSineFrames(kSideFrames, kClickAt);
    std::string bytes(sine.size() * 8, '\0');
    for (std::size_t i = 0; i < sine.size(); ++i) {
        // Low bits below a float's precision in every sample.
        const std::int32_t left = sine[i].left * 65536 + static_cast<std::int32_t>(i % 251 + 1);
        const std::int32_t right = sine[i].right * 65536 + 77;
        std::memcpy(&bytes[8 * i], &left, 4);
        std::memcpy(&bytes[8 * i + 4], &right, 4);
    }
    ASSERT_TRUE(WriteSideWav(dir / "side.wav", format, bytes));
    const std::unique_ptr<SideReader> side = SideReader::Open(dir / "side.wav");
    ASSERT_TRUE(side);
    // From a frame past the lead, to one short of the end: both edges are exercised.
    const std::uint64_t first = 44100 + 7, frames = kSideFrames - first - 5;
    RepairedReader reader(*side, repair::RepairStrength::Medium, first, frames, ChunkForm::Stored);
    std::string out;
    std::vector<repair::ClickSpan> spans;
    for (std::span<std::uint8_t> chunk = reader.NextStored(); !chunk.empty();
         chunk = reader.NextStored()) {
        out.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
        for (const repair::ClickSpan& span : reader.TakeSpans()) spans.push_back(span);
    }
    EXPECT_FALSE(reader.Failed());
    ASSERT_EQ(out.size(), frames * 8);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_LE(spans[0].start, kClickAt);
    EXPECT_GE(spans[0].start + spans[0].length, kClickAt + kClickFrames);
    for (std::uint64_t f = 0; f < frames; ++f) {
        const std::uint64_t at = first + f;
        if (at >= spans[0].start && at < spans[0].start + spans[0].length) continue;
        ASSERT_EQ(out.compare(8 * f, 8, bytes, 8 * at, 8), 0) << "frame " << at;
    }
}

}  // namespace
