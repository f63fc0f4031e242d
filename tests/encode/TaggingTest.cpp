// Tags written after the real encoders (flac, oggenc, lame) ran, as independent readers see
// them (metaflac, vorbiscomment, mutagen's mid3v2); a file that takes no tags counts as a
// failed run.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "encode/Encoder.h"
#include "encode/EncodingQueue.h"
#include "jobs/FinishSide.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "tests/encode/EncodeJobContext.h"
#include "tests/encode/TestEnv.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

AlbumInfo TestAlbum() {
    AlbumInfo album;
    album.artist = "The Band";
    album.title = "\xC3\x9Cn\xC3\xAF";  // Ünï
    album.year = "1979";
    album.genre = "Rock";
    album.sides[1] = {{"Say \"hi\"", "Guest"}};
    album.keepTitleCharacters = true;  // the file names keep the '"' of the title
    return album;
}

TEST(TaggingTest, IndependentReadersSeeEveryTag) {
    const struct {
        EncoderKind kind;
        const char* file;
        std::vector<std::string> reader;  // + the file
        std::vector<std::string> lines;
    } cases[] = {
        {EncoderKind::Flac,
         "04 - Say \"hi\".flac",
         {"metaflac", "--export-tags-to=-"},
         {"ARTIST=Guest", "ALBUMARTIST=The Band", "ALBUM=\xC3\x9Cn\xC3\xAF", "TITLE=Say \"hi\"",
          "TRACKNUMBER=4", "TRACKTOTAL=9", "DATE=1979", "GENRE=Rock"}},
        {EncoderKind::OggVorbis,
         "04 - Say \"hi\".ogg",
         {"vorbiscomment", "-l"},
         {"ARTIST=Guest", "ALBUMARTIST=The Band", "ALBUM=\xC3\x9Cn\xC3\xAF", "TITLE=Say \"hi\"",
          "TRACKNUMBER=4", "TRACKTOTAL=9", "DATE=1979", "GENRE=Rock"}},
        {EncoderKind::Lame,
         "04 - Say \"hi\".mp3",
         {"mid3v2", "--list"},
         {"TPE1=Guest", "TPE2=The Band", "TALB=\xC3\x9Cn\xC3\xAF", "TIT2=Say \"hi\"", "TRCK=4/9",
          "TDRC=1979", "TCON=Rock"}},
    };
    TempDir dir;
    fs::create_directory(dir / "home");
    ScopedEnv home{"VELVANE_HOME", dir / "home"};  // encoders found on PATH
    ASSERT_TRUE(WriteWav(dir / "04 - Say \"hi\".wav", NoiseFrames(44100, 0.3, 4)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EncodeJobContext ctx;
        ctx.encoderKind = static_cast<int>(c.kind);
        EncodeTally tally;
        SideSlices slices{Side::Two, dir.path(), 4, 1, true, SideTracks(Side::Two, TestAlbum(), 9)};
        const SideEncodeResult result =
            jobs::EncodeSlices(ctx, slices, EncodeNaming::AutoOrTyped, tally);
        ASSERT_EQ(tally.failedSlices, 0) << tally.failedCommand << ": " << tally.failureReason;
        EXPECT_EQ(result.encoded, std::vector<int>{4});
        std::vector<std::string> argv = c.reader;
        argv[0] = platform::FindOnPath(argv[0]);
        argv.push_back(dir / c.file);
        const ProgramRun read = RunProgram(argv, dir.path());
        ASSERT_EQ(read.status, 0) << read.err;
        for (const std::string& line : c.lines)
            EXPECT_NE(read.out.find(line + "\n"), std::string::npos) << line << "\n" << read.out;
        if (c.kind == EncoderKind::Lame) {
            EXPECT_EQ(ReadFileBytes(dir / c.file).substr(0, 4), "ID3\x04");  // version 2.4
        }
    }
}

TEST(TaggingTest, AFileThatTakesNoTagsIsAFailedRunAndKeepsItsSlice) {
    TempDir dir;
    ASSERT_TRUE(WriteWav(dir / "01 - A.wav", NoiseFrames(4410, 0.3)));
    EncodeJobContext ctx;
    ctx.encoderKind = static_cast<int>(EncoderKind::Flac);
    ctx.encoderPath = FAKE_ENCODER_PATH;  // writes text, not FLAC
    AlbumInfo album;
    album.sides[0] = {{"A", ""}};
    EncodeTally tally;
    const SideSlices slices{Side::One, dir.path(), 1, 1, false, SideTracks(Side::One, album, 0)};
    const SideEncodeResult result =
        jobs::EncodeSlices(ctx, slices, EncodeNaming::AutoOrTyped, tally);
    EXPECT_TRUE(result.encoded.empty());
    EXPECT_EQ(tally.failedSlices, 1);
    EXPECT_EQ(tally.failureReason.rfind("tags not written", 0), 0u) << tally.failureReason;
    EXPECT_TRUE(fs::exists(dir / "01 - A.wav"));
}

// With runs at once a run may end before its side is written to the end, when the job's
// track total is not known yet: it is judged and tagged once the side is closed, with it.
TEST(TaggingTest, ARunEndedBeforeItsSideWasClosedIsTaggedWithTheTotal) {
    TempDir dir;
    fs::create_directory(dir / "home");
    ScopedEnv home{"VELVANE_HOME", dir / "home"};  // flac found on PATH
    ASSERT_TRUE(WriteWav(dir / "1.wav", NoiseFrames(4410, 0.3)));
    EncodeJobContext ctx;
    ctx.encoderKind = static_cast<int>(EncoderKind::Flac);
    AlbumInfo album;
    album.title = "Sides";
    EncodeTally tally;
    EncodingQueue queue(ctx, EncodeNaming::AutoOrTyped, 2, tally);
    const int side =
        queue.OpenSide({Side::One, dir.path(), 1, -1, false, SideTracks(Side::One, album, 0)});
    queue.Add(side, 1);
    // Time for the run to end (should it end later, it is tagged the same way).
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    queue.Poll();
    queue.CloseSide(side, 1, SideTracks(Side::One, album, 1));
    ASSERT_TRUE(queue.WaitForAll());
    EXPECT_EQ(queue.Encoded(side), std::vector<int>{1});
    EXPECT_EQ(tally.failedSlices, 0) << tally.failureReason;
    EXPECT_NE(ReadFileBytes(dir / "1.flac").find("TRACKTOTAL=1"), std::string::npos);
}

}  // namespace
