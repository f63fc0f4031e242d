#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "platform/File.h"
#include "settings/MenuSettings.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

namespace {

const std::string kDefaultsFile = "<><><>0<>2<>" + [] {
    std::string s;
    for (int i = 0; i < 20; ++i) s += "<>";
    return s;
}() + "1<>2<>1<>0<>1<>202<>300<>500<>708<>";

SettingsFields ReadFromBytes(const std::string& bytes) {
    platform::FilePtr file(std::tmpfile());
    EXPECT_TRUE(file);
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    return settings::ReadSettings(file.get());
}

SettingsFields EveryFieldChanged() {
    SettingsFields s;
    s.lastPath = "/home/ann/Plattenspieler";
    s.side1Path = "/home/ann/rec ords/Seite 1.wav";
    s.side2Path = "/home/ann/rec ords/Seite 2 \xc3\xa9.wav";
    s.cutsHow = 1;
    s.silenceSeconds = "5";
    for (int i = 0; i < 20; ++i) s.typedTimes[i] = std::to_string(i) + ".3" + std::to_string(i % 7);
    s.typedTimes[4] = "";
    s.typedTimes[12] = "abc";
    s.createEncoded = 0;
    s.encoderKind = 3;
    s.voiceAfterEncoding = 0;
    s.deleteSlices = 1;
    s.voiceAfterSlicing = 0;
    s.rateId = 206;
    s.fadeId = 303;
    s.volumeId = 501;
    s.eqId = 715;
    return s;
}

TEST(SettingsFile, DefaultsGiveTheDocumentedString) {
    EXPECT_EQ(settings::FormatSettings(SettingsFields{}), kDefaultsFile);
    EXPECT_EQ(ReadFromBytes(kDefaultsFile), SettingsFields{});
}

TEST(SettingsFile, EveryFieldSurvivesWriteThenRead) {
    const SettingsFields written = EveryFieldChanged();
    EXPECT_EQ(ReadFromBytes(settings::FormatSettings(written)), written);

    // Values that come close to the terminator: a '<' at the end, '>' at the start,
    // a line break inside, and the longest value a field can hold.
    SettingsFields edgy = written;
    edgy.lastPath = "ends with <";
    edgy.side1Path = ">starts with >";
    edgy.side2Path = "two\nlines";
    edgy.silenceSeconds = std::string(kSettingsFieldMaxChars - 2, 'x');
    edgy.eqId = -1;
    edgy.encoderKind = -1;
    EXPECT_EQ(ReadFromBytes(settings::FormatSettings(edgy)), edgy);
}

// Repair follows the later fields and is written only when on: a file saved with it off has
// the bytes it always had, and a file without it (34 or 37 fields) reads as off.
TEST(SettingsFile, RepairStrengthIsWrittenLastAndOnlyWhenOn) {
    struct Case {
        int cdAudio;
        int repairStrength;
        std::string after34;
    };
    for (const Case& c : {Case{1, 0, "1<>44100<>16<>"}, Case{0, 2, "0<>44100<>16<>2<>"},
                          Case{1, 3, "1<>44100<>16<>3<>"}}) {
        SettingsFields written;
        written.cdAudio = c.cdAudio;
        written.repairStrength = c.repairStrength;
        const std::string bytes = settings::FormatSettings(written);
        EXPECT_EQ(bytes, kDefaultsFile + c.after34);
        EXPECT_EQ(ReadFromBytes(bytes), written);
    }
    EXPECT_EQ(ReadFromBytes(kDefaultsFile + "1<>44100<>16<>").repairStrength, 0);
}

TEST(SettingsFile, EmptyFileGivesEmptyTextsAndMinusOne) {
    const SettingsFields s = ReadFromBytes("");
    EXPECT_EQ(s.lastPath, "");
    EXPECT_EQ(s.side1Path, "");
    EXPECT_EQ(s.silenceSeconds, "");
    for (const std::string& t : s.typedTimes) EXPECT_EQ(t, "");
    for (int n : {s.cutsHow, s.createEncoded, s.encoderKind, s.voiceAfterEncoding, s.deleteSlices,
                  s.voiceAfterSlicing, s.rateId, s.fadeId, s.volumeId, s.eqId})
        EXPECT_EQ(n, -1);
}

TEST(SettingsFile, TerminatorInsideATextValueShiftsLaterFields) {
    SettingsFields written;
    written.side1Path = "/a<>b.wav";
    const SettingsFields s = ReadFromBytes(settings::FormatSettings(written));
    EXPECT_EQ(s.side1Path, "/a");
    EXPECT_EQ(s.side2Path, "b.wav");
    EXPECT_EQ(s.cutsHow, 0);           // the old side 2 path, "", reads as 0
    EXPECT_EQ(s.silenceSeconds, "0");  // the old cut method
    EXPECT_EQ(s.typedTimes[0], "2");   // the old silence length
    EXPECT_EQ(s.createEncoded, 0);     // the last typed time, ""
    EXPECT_EQ(s.encoderKind, 1);       // the old check box
    EXPECT_EQ(s.eqId, 500);            // the old Volume id
}

TEST(SettingsFile, OneFieldPerLine) {
    std::string bytes;
    const std::string flat = settings::FormatSettings(EveryFieldChanged());
    for (std::size_t at = 0; at < flat.size();) {
        const std::size_t end = flat.find("<>", at) + 2;
        bytes += flat.substr(at, end - at) + "\n";
        at = end;
    }
    const SettingsFields s = ReadFromBytes(bytes);
    const SettingsFields expected = EveryFieldChanged();
    EXPECT_EQ(s.lastPath, expected.lastPath);  // the first field has no line break before it
    EXPECT_EQ(s.side1Path, "\n" + expected.side1Path);
    EXPECT_EQ(s.typedTimes[19], "\n" + expected.typedTimes[19]);
    EXPECT_EQ(s.cutsHow, expected.cutsHow);
    EXPECT_EQ(s.encoderKind, expected.encoderKind);
    EXPECT_EQ(s.rateId, expected.rateId);
    EXPECT_EQ(s.eqId, expected.eqId);
}

TEST(SettingsFile, FieldWithoutTerminatorWithin1024CharactersIsMissing) {
    // A missing text field repeats the text before it; the rest of the long value is read
    // as the next field, so everything after it shifts by one.
    SettingsFields written = EveryFieldChanged();
    written.side2Path = std::string(kSettingsFieldMaxChars, 'p');
    SettingsFields s = ReadFromBytes(settings::FormatSettings(written));
    EXPECT_EQ(s.side2Path, written.side1Path);
    EXPECT_EQ(s.cutsHow, 0);  // "" (what was left of side 2's path)
    EXPECT_EQ(s.silenceSeconds, "1");

    // The first field missing: nothing to repeat, so empty.
    s = ReadFromBytes(std::string(kSettingsFieldMaxChars, 'x') + "<>" + kDefaultsFile);
    EXPECT_EQ(s.lastPath, "");
    EXPECT_EQ(s.side1Path, "");

    // A missing number is the code of the last character read.
    std::string bytes = "<><><>" + std::string(kSettingsFieldMaxChars - 1, '7') + "Q";
    s = ReadFromBytes(bytes);
    EXPECT_EQ(s.cutsHow, 'Q');
    EXPECT_EQ(s.silenceSeconds, "");  // end of file: missing, repeats side 2's ""
    EXPECT_EQ(s.eqId, -1);
}

TEST(SettingsFile, GreaterThanAsTheFirstCharacterDoesNotEndTheField) {
    // Field 1 runs out after 1024 characters ending in '<'; the '>' that follows starts
    // field 2 and must not end it.
    const std::string bytes =
        std::string(kSettingsFieldMaxChars - 1, 'a') + "<" + ">/side one.wav<>" + "<>0<>";
    const SettingsFields s = ReadFromBytes(bytes);
    EXPECT_EQ(s.lastPath, "");
    EXPECT_EQ(s.side1Path, ">/side one.wav");
    EXPECT_EQ(s.side2Path, "");
    EXPECT_EQ(s.cutsHow, 0);
}

TEST(SettingsFile, NumbersReadTheirLeadingInteger) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"712", 712},
                          {"  \t\n-3", -3},
                          {"+5x", 5},
                          {"abc", 0},
                          {"", 0},
                          {"3.9", 3},
                          {"- 4", 0},
                          {"99999999999", INT_MAX},
                          {"-99999999999", INT_MIN}};
    for (const Case& c : cases) {
        SettingsFields written;
        std::string bytes = settings::FormatSettings(written);
        const std::string eq = "708<>";
        bytes.replace(bytes.size() - eq.size(), eq.size(), std::string(c.text) + "<>");
        EXPECT_EQ(ReadFromBytes(bytes).eqId, c.value) << '"' << c.text << '"';
    }
}

TEST(SettingsFile, UnknownMenuIdIsKeptForTheCallerToFallBack) {
    SettingsFields written;
    written.rateId = 199;
    const SettingsFields s = ReadFromBytes(settings::FormatSettings(written));
    EXPECT_EQ(s.rateId, 199);
    EXPECT_EQ(menu::BitRateForId(s.rateId), 128000);
}

TEST(SettingsFileSave, WritesExactlyTheGivenPath) {
    TempDir dir;
    const std::string path = dir / "my settings";
    ASSERT_TRUE(settings::SaveSettingsFile(path, EveryFieldChanged()));
    EXPECT_EQ(ReadFileBytes(path), settings::FormatSettings(EveryFieldChanged()));
    EXPECT_FALSE(std::filesystem::exists(path + ".lpx"));
    // Saving again replaces the file (shorter content, nothing left over).
    ASSERT_TRUE(settings::SaveSettingsFile(path, SettingsFields{}));
    EXPECT_EQ(ReadFileBytes(path), kDefaultsFile);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(SettingsFileSave, MissingFolderFailsWithoutWritingAnything) {
    TempDir dir;
    EXPECT_FALSE(settings::SaveSettingsFile(dir / "no such folder/s.lpx", SettingsFields{}));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A write that fails half-way (here: the file size limit, which holds for root too) must
// leave the previous file as it was and no temporary file behind.
TEST(SettingsFileSave, FailedWriteKeepsThePreviousFile) {
    TempDir dir;
    const std::string path = dir / "s.lpx";
    ASSERT_TRUE(WriteFileBytes(path, kDefaultsFile));

    bool saved = true;
    {
        const FileSizeLimit small(16);
        ASSERT_TRUE(small.Set());
        saved = settings::SaveSettingsFile(path, EveryFieldChanged());
    }

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFileBytes(path), kDefaultsFile);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

// A save keeps the rules of a plain write: a write-protected file is refused, and a
// writable file in a folder that takes no new file is written in place.
TEST(SettingsFileSave, PermissionsDecideAsForAPlainWrite) {
    namespace fs = std::filesystem;
    TempDir dir;
    const fs::path writable = fs::path(dir.path()) / "writable";
    const fs::path readOnly = fs::path(dir.path()) / "read-only";
    for (const fs::path& folder : {fs::path(dir.path()), writable, readOnly}) {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::all);
    }
    const std::string locked = writable / "locked.lpx", open = readOnly / "open.lpx";
    {
        Unprivileged user;
        ASSERT_TRUE(WriteFileBytes(locked, kDefaultsFile));
        ASSERT_TRUE(WriteFileBytes(open, kDefaultsFile));
        fs::permissions(locked,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    fs::permissions(readOnly,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    bool lockedSaved = true, openSaved = false;
    {
        Unprivileged user;
        lockedSaved = settings::SaveSettingsFile(locked, EveryFieldChanged());
        openSaved = settings::SaveSettingsFile(open, EveryFieldChanged());
    }
    fs::permissions(readOnly, fs::perms::all);  // so that the folder can be removed
    EXPECT_FALSE(lockedSaved);
    EXPECT_EQ(ReadFileBytes(locked), kDefaultsFile);
    EXPECT_TRUE(openSaved);
    EXPECT_EQ(ReadFileBytes(open), settings::FormatSettings(EveryFieldChanged()));
}

}  // namespace
