// Slices of sides finer than 16 bits: RF64 past the size limit, and the treatments in
// double precision rounded to the side's own encoding.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "sidefile/SideReader.h"
#include "slice/SliceWriter.h"
#include "tests/support/FakeWorkControl.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

constexpr SideFormat k96k24{96000, 2, SampleEncoding::Int24};

std::int32_t Sample24(const std::string& bytes, std::size_t i) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data()) + 3 * i;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8 |
                                     static_cast<std::uint32_t>(p[1]) << 16 |
                                     static_cast<std::uint32_t>(p[2]) << 24) >>
           8;
}

struct SliceFormats : ::testing::Test {
    TempDir dir;
    FakeWorkControl ctx;
    std::string side = NoiseBytes(k96k24, 96000 * 3, 0.6, 9);
    std::vector<std::int32_t> cuts = {12, 20};  // 1.2 s and 2 s
    void SetUp() override { ASSERT_TRUE(WriteSideWav(dir / "side.wav", k96k24, side)); }
    SliceResult Slice(std::uint64_t riffLimit = kRiffSizeLimit, float peak = 0) {
        SliceRequest request;
        request.sidePath = dir / "side.wav";
        request.cuts = cuts;
        request.folder = dir.path();
        request.riffLimit = riffLimit;
        request.peakLevel = peak;
        request.normalizeAllowed = peak > 0;
        return slice::WriteSlices(ctx, ctx.treble, request);
    }
};

TEST_F(SliceFormats, SlicesPastTheLimitAreRf64) {
    ASSERT_EQ(Slice(600000).written, 3u);  // 1.2 s of 96 kHz 24-bit: 691200 bytes
    const std::size_t frameBytes = k96k24.BytesPerFrame();
    const std::size_t starts[] = {0, 115200, 192000, 288000};
    for (int n = 1; n <= 3; ++n) {
        const std::string path = dir / (std::to_string(n) + ".wav");
        const std::size_t frames = starts[n] - starts[n - 1];
        EXPECT_EQ(ReadFileBytes(path).substr(0, 4), frames * frameBytes > 600000 ? "RF64" : "RIFF");
        EXPECT_TRUE(SoxSamples(path) ==
                    side.substr(starts[n - 1] * frameBytes, frames * frameBytes))
            << path;
        EXPECT_EQ(SideReader::Open(path)->Format(), k96k24);
    }
}

TEST_F(SliceFormats, NormalizeInDoublesRoundedAndHeldTo24Bits) {
    ctx.volumeId = menu::kVolumeNormalize;
    ASSERT_EQ(Slice(kRiffSizeLimit, 0.5f).written, 3u);  // gain 2: exact, then held
    const std::string slice = SoxSamples(dir / "1.wav");
    ASSERT_EQ(slice.size(), 115200u * 6);
    for (std::size_t i = 0; i < slice.size() / 3; ++i)
        ASSERT_EQ(Sample24(slice, i), std::clamp(2 * Sample24(side, i), -8388608, 8388607)) << i;
}

TEST_F(SliceFormats, TrebleBoostOfAFineSideAsOfItsSixteenBits) {
    // The boost in doubles on 24 bits gives the 16-bit boost of the same music to within
    // the 16-bit path's own truncation.
    const SideFormat cd16{96000, 2, SampleEncoding::Int16};
    std::string side16(side.size() / 3 * 2, '\0');
    for (std::size_t i = 0; i < side.size() / 3; ++i) {
        const auto v = static_cast<std::int16_t>(Sample24(side, i) >> 8);
        std::memcpy(&side16[2 * i], &v, 2);
        side[3 * i] = 0;  // the 24-bit side holds exactly the 16-bit samples
    }
    ASSERT_TRUE(WriteSideWav(dir / "side.wav", k96k24, side));
    ASSERT_TRUE(WriteSideWav(dir / "side16.wav", cd16, side16));
    ctx.SetEq(712);
    ASSERT_EQ(Slice().written, 3u);
    slice::TuneTreble(ctx.treble, 0);
    SliceRequest request;
    request.sidePath = dir / "side16.wav";
    request.cuts = cuts;
    request.folder = dir / "16";
    std::filesystem::create_directory(request.folder);
    ASSERT_EQ(slice::WriteSlices(ctx, ctx.treble, request).written, 3u);
    const std::string wide = SoxSamples(dir / "2.wav");
    const std::string narrow = SoxSamples(dir / "16/2.wav");
    ASSERT_EQ(wide.size() / 3, narrow.size() / 2);
    for (std::size_t i = 0; i < narrow.size() / 2; ++i) {
        std::int16_t v;
        std::memcpy(&v, &narrow[2 * i], 2);
        ASSERT_NEAR(Sample24(wide, i) / 256.0, v, 1.5) << i;
    }
}

}  // namespace
