#include "bench/SideGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

sidegen::SideRecipe SmallSide(std::uint32_t seed = 7) {
    sidegen::SideRecipe recipe;
    recipe.minutes = 1.5;
    recipe.songs = 3;
    recipe.seed = seed;
    return recipe;
}

TEST(SideGenerator, LayoutPlacesSongsBetweenLeadInGapsAndRunOut) {
    const sidegen::SideRecipe recipe = SmallSide();
    const sidegen::SideLayout layout = sidegen::PlanSide(recipe);
    ASSERT_EQ(layout.frames, 90u * 44100);
    ASSERT_EQ(layout.songs.size(), 3u);
    EXPECT_EQ(layout.songs[0].startFrame, 3u * 44100);
    EXPECT_EQ(layout.songs[2].endFrame, layout.frames - 6u * 44100);
    for (std::size_t i = 0; i + 1 < layout.songs.size(); ++i)
        EXPECT_EQ(layout.songs[i + 1].startFrame - layout.songs[i].endFrame, 4u * 44100);
    // No room for the songs: nothing planned.
    sidegen::SideRecipe crowded = recipe;
    crowded.songs = 30;
    EXPECT_EQ(sidegen::PlanSide(crowded).frames, 0u);
}

// The tests and benchmarks rely on this: every 0.1 s block of a song is louder than the
// highest auto-sense threshold, every block of a gap quieter than the second lowest,
// and the crackle makes gaps louder than the lowest.
TEST(SideGenerator, SongsAreLoudGapsHoldOnlyHissAndCrackle) {
    const sidegen::SideRecipe recipe = SmallSide();
    const sidegen::SideLayout layout = sidegen::PlanSide(recipe);
    sidegen::SideSynth synth(recipe, layout);
    std::vector<std::int16_t> block(2 * 4410);
    double loudestGap = 0;
    for (std::uint64_t start = 0; start + 4410 <= layout.frames; start += 4410) {
        synth.Next(block.data(), 4410);
        int peak = 0;
        for (std::int16_t s : block) peak = std::max(peak, std::abs(static_cast<int>(s)));
        const double level = peak / 32768.0;
        bool inSong = false, nearSong = false;
        for (const sidegen::Song& s : layout.songs) {
            inSong |= start >= s.startFrame && start + 4410 <= s.endFrame;
            nearSong |= start + 4410 > s.startFrame && start < s.endFrame;
        }
        if (inSong) {
            EXPECT_GT(level, 0.16) << "song block at frame " << start;
        }
        if (!nearSong) {
            EXPECT_LT(level, 0.06) << "gap block at frame " << start;
            loudestGap = std::max(loudestGap, level);
        }
    }
    EXPECT_GT(loudestGap, 0.01);
}

TEST(SideGenerator, SameSeedSameBytesListChunkSameSamples) {
    TempDir dir;
    ASSERT_TRUE(sidegen::WriteSideFile(dir / "a.wav", SmallSide()));
    ASSERT_TRUE(sidegen::WriteSideFile(dir / "b.wav", SmallSide()));
    ASSERT_TRUE(sidegen::WriteSideFile(dir / "c.wav", SmallSide(8)));
    sidegen::SideRecipe withList = SmallSide();
    withList.listChunk = true;
    ASSERT_TRUE(sidegen::WriteSideFile(dir / "list.wav", withList));

    const std::string a = ReadFileBytes(dir / "a.wav");
    EXPECT_EQ(a.size(), 44 + 90u * 44100 * 4);
    EXPECT_EQ(a, ReadFileBytes(dir / "b.wav"));
    EXPECT_NE(a, ReadFileBytes(dir / "c.wav"));
    const auto canonical = ReadWavFrames(dir / "a.wav");
    const auto listed = ReadWavFrames(dir / "list.wav");
    ASSERT_TRUE(canonical && listed);
    EXPECT_TRUE(*canonical == *listed);
    EXPECT_NE(ReadFileBytes(dir / "list.wav").find("LIST"), std::string::npos);
}

TEST(SideGenerator, UnwritablePathFails) {
    TempDir dir;
    EXPECT_FALSE(sidegen::WriteSideFile(dir / "missing/side.wav", SmallSide()));
}

}  // namespace
