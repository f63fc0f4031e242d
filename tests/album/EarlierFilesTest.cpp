// Which files of a folder an earlier slicing run made: by name and by what they hold.

#include "album/EarlierFiles.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

TEST(EarlierFiles, TheProgramsNamesWithTheirContentsOnly) {
    TempDir dir;
    const std::vector<Frame> audio = NoiseFrames(100, 0.2);
    for (const char* name : {"1.wav", "12.wav", "07 - Song.wav", "07.wav", "side.wav", "0.wav",
                             "1 - x.wav", "notes.wav"})
        ASSERT_TRUE(WriteWav(dir / name, audio));
    ASSERT_TRUE(WriteFileBytes(dir / "A1.mp3", "ID3\x04rest"));
    ASSERT_TRUE(WriteFileBytes(dir / "B2.mp3", std::string("\xFF\xFB\x90\x00", 4)));
    ASSERT_TRUE(WriteFileBytes(dir / "3.ogg", "OggS...."));
    ASSERT_TRUE(WriteFileBytes(dir / "05 - Last.flac", "fLaC...."));
    ASSERT_TRUE(WriteFileBytes(dir / "2.wav", "my own text, not a wave file"));
    ASSERT_TRUE(WriteFileBytes(dir / "4.flac", "OggS...."));  // not what its name promises
    ASSERT_TRUE(WriteFileBytes(dir / "C1.mp3", "ID3\x04rest"));

    // The side recording itself is never one of them, whatever its name.
    EXPECT_EQ(album::FindRunFiles(dir.path(), {dir / "12.wav"}),
              (std::vector<std::string>{"05 - Last.flac", "07 - Song.wav", "07.wav", "1.wav",
                                        "3.ogg", "A1.mp3", "B2.mp3"}));
    EXPECT_EQ(album::EarlierFilesLeft({"1.wav", "2.wav", "A1.mp3"}, {"2.wav", "9.wav"}),
              (std::vector<std::string>{"1.wav", "A1.mp3"}));
}

}  // namespace
