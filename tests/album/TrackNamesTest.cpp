// Names of slices and encoded files with and without titles, and the tags of a track.

#include "album/TrackNames.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "slice/SliceWriter.h"
#include "tests/support/FakeWorkControl.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

const std::string kE = "\xC3\xA9";        // é, two bytes
const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

std::string Times(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

TEST(TrackNamesTest, UnsafeTitlesBecomeSafeNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"AC/DC", "AC_DC"},
        {"  .hidden  ", "hidden"},
        {"..", ""},
        {". . .x", "x"},
        {"a\tb\nc\x7f", "a b c"},
        {"\xC2\x85nel", "nel"},  // C1 control
        {"bad\xFF", "bad" + kBad},
        {"x\xE2\x80", "x" + kBad + kBad},  // a sequence cut short
        {"\xC0\xAF", kBad + kBad},         // overlong '/'
        {std::string(300, 'a'), std::string(200, 'a')},
        {Times(kE, 150), Times(kE, 100)},
        {"a" + Times(kE, 150), "a" + Times(kE, 99)},  // 200 would split a character
        {"Caf" + kE + " ok", "Caf" + kE + " ok"},
    };
    for (const auto& [title, name] : cases) EXPECT_EQ(album::SafeFileTitle(title), name) << title;
}

TEST(TrackNamesTest, TitledNamesArePaddedContinuedAndDistinct) {
    AlbumInfo album;
    album.sides[0] = {{"Intro", ""}, {"Intro", ""}, {"", ""}};
    album.sides[1] = {{"AC/DC", ""}};
    const SideTracks one(Side::One, album, 0), two(Side::Two, album, 0);
    EXPECT_EQ(one.SliceName(1, 1), "01 - Intro.wav");
    EXPECT_EQ(one.SliceName(2, 2), "02 - Intro.wav");
    EXPECT_EQ(one.SliceName(3, 3), "03.wav");
    EXPECT_EQ(one.SliceName(4, 4), "04.wav");  // more slices than titles
    EXPECT_EQ(two.SliceName(4, 1), "04 - AC_DC.wav");
    EXPECT_EQ(two.SliceName(100, 1), "100 - AC_DC.wav");
    EXPECT_EQ(two.EncodedName(4, 1, EncoderKind::Lame, EncodeNaming::AutoOrTyped),
              "04 - AC_DC.mp3");
    EXPECT_EQ(two.EncodedName(4, 1, EncoderKind::Flac, EncodeNaming::Markers), "04 - AC_DC.flac");
}

TEST(TrackNamesTest, WithoutTitlesNamesStayAndTagsFollowTheAlbum) {
    AlbumInfo album;
    album.artist = "The Band";
    album.sides[1] = {{"", ""}, {"", "Guest"}};
    const SideTracks side(Side::Two, album, 9);
    EXPECT_EQ(side.SliceName(7, 2), "7.wav");
    EXPECT_EQ(side.EncodedName(7, 2, EncoderKind::Lame, EncodeNaming::AutoOrTyped), "B2.mp3");
    EXPECT_EQ(side.EncodedName(7, 2, EncoderKind::OggVorbis, EncodeNaming::AutoOrTyped), "7.ogg");
    EXPECT_EQ(side.EncodedName(7, 2, EncoderKind::OggVorbis, EncodeNaming::Markers), "B2.ogg");
    const std::optional<TrackTags> tags = side.Tags(7, 2);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->artist, "Guest");
    EXPECT_EQ(tags->albumArtist, "The Band");
    EXPECT_EQ(tags->number, 7);
    EXPECT_EQ(tags->total, 9);
    EXPECT_EQ(side.Tags(6, 1)->artist, "The Band");
    EXPECT_FALSE(SideTracks(Side::Two, AlbumInfo{}, 9).Tags(7, 2));
}

TEST(TrackNamesTest, ATitleNamingASideRecordingIsRefused) {
    TempDir dir;
    const std::string side = dir / "01 - Intro.wav";
    ASSERT_TRUE(WriteWav(side, NoiseFrames(44100, 0.3)));
    const std::string before = ReadFileBytes(side);
    AlbumInfo album;
    album.sides[0] = {{"Intro", ""}, {"Outro", ""}};
    FakeWorkControl ctx;
    SliceRequest request;
    request.sidePath = side;
    const std::vector<std::int32_t> cuts = {5};
    request.cuts = cuts;
    request.folder = dir.path();
    request.tracks = SideTracks(Side::One, album, 0);
    const SliceResult result = slice::WriteSlices(ctx, ctx.treble, request);
    EXPECT_EQ(result.outcome, SliceOutcome::WouldOverwriteSide);
    EXPECT_EQ(result.written, 0u);
    EXPECT_EQ(ReadFileBytes(side), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "02 - Outro.wav"));
}

// Titled names can be copied to FAT and exFAT sticks unless the album keeps the characters;
// a title and its tag are one cleaned text.
TEST(TrackNamesTest, NamesFitMemorySticksAndNameAndTagAgree) {
    const std::string title = "Who? Me: *Now* \"Here\" <a|b> c\\d...";
    EXPECT_EQ(album::SafeFileTitle(title), "Who_ Me_ _Now_ _Here_ _a_b_ c_d");
    EXPECT_EQ(album::SafeFileTitle("Etc . . "), "Etc");
    EXPECT_EQ(album::SafeFileTitle(title, true), title);
    AlbumInfo album;
    album.sides[0] = {{title, ""}, {std::string("A\0B\tC", 5), ""}};
    EXPECT_EQ(SideTracks(Side::One, album, 0).SliceName(1, 1),
              "01 - " + album::SafeFileTitle(title) + ".wav");
    const SideTracks tracks(Side::One, album, 0);
    EXPECT_EQ(tracks.SliceName(2, 2), "02 - A B C.wav");
    EXPECT_EQ(tracks.Tags(2, 2)->title, "A B C");
    album.keepTitleCharacters = true;
    EXPECT_EQ(SideTracks(Side::One, album, 0).SliceName(1, 1), "01 - " + title + ".wav");
}

}  // namespace
