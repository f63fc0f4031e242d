#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include "cli/Commands.h"
#include "cli/WindowState.h"
#include "platform/Paths.h"
#include "settings/SettingsFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

ParseResult Parse(std::vector<std::string> args) {
    return cli::ParseCommandLine(args);
}

TEST(CliOptions, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"split", "a.wav"},                                         // unknown command
        {"analyze"},                                                // no side
        {"analyze", "a.wav", "b.wav"},                              // one side only
        {"slice"},                                                  // no side and no settings
        {"slice", "a.wav", "b.wav", "c.wav"},                       // three sides
        {"slice", "--fade", "0.5", "a.wav"},                        // not a menu choice
        {"slice", "--eq", "3", "a.wav"},                            // not a menu choice
        {"slice", "--eq"},                                          // value missing
        {"slice", "--typed=1", "a.wav"},                            // flag with a value
        {"slice", "--times1", "1,2,3,4,5,6,7,8,9,10,11", "a.wav"},  // eleven times
        {"slice", "--markers1", "600,x", "a.wav"},                  // not a number
        {"slice", "--markers1", "600,-5", "a.wav"},                 // negative
        {"slice", "--markers1", "600,,900", "a.wav"},               // empty marker
        {"slice", "--markers1", "99999999999", "a.wav"},            // beyond 32 bits
        {"slice", "--json", "a.wav"},                               // analyze only
        {"analyze", "--out", "x", "a.wav"},                         // slice only
        {"analyze", "--normalize", "a.wav"},
        {"slice", "--bogus", "a.wav"},
        {"slice", "--out", "", "a.wav"},
        {"slice", "--encode", "opus", "a.wav"},  // no such encoder kind
        {"slice", "--rate", "100", "a.wav"},     // not a menu choice
        {"slice", "--rate", "128000", "a.wav"},
        {"slice", "--encoder", "", "a.wav"},
        {"slice", "--jobs", "0", "a.wav"},     // at least one run
        {"slice", "--jobs", "65", "a.wav"},    // at most 64
        {"analyze", "--jobs", "2", "a.wav"},   // slice only
        {"record", "--gain", "nan", "a.wav"},  // not finite
        {"record", "--gain", "inf", "a.wav"},
        {"record", "--gain", "51.5", "a.wav"},
        {"record", "--seconds", "inf", "a.wav"},
        {"record", "--seconds", "0.00001", "a.wav"},  // rounds to no frame: no limit at all
        {"slice", "--cue", "a.cue", "--markers1", "5", "a.wav"},             // two sources of cuts
        {"slice", "--labels", "a", "--labels", "b", "--cue", "c", "a.wav"},  // three lists
        {"analyze", "--titles2", "x", "a.wav"},                              // one side only
        {"slice", "--cue", "", "a.wav"},
        {"analyze", "--smart", "--songs", "3,4", "a.wav"},  // one side's count
        {"slice", "--smart", "--songs", "0", "a.wav"},      // no songs
        {"slice", "--smart", "--songs", "1,2,3", "a.wav"},  // three sides
        {"slice", "--smart", "--min-song", "nan", "a.wav"},
        {"analyze", "--songs", "3", "a.wav"},                 // without --smart
        {"slice", "--declick", "hard", "a.wav"},              // not a strength
        {"declick", "a.wav"},                                 // no file to write
        {"declick", "--declick", "light", "a.wav", "b.wav"},  // slice's option
        {"slice", "--report", "a.wav"},                       // declick only
    };
    for (const auto& args : cases) {
        const ParseResult r = Parse(args);
        std::string joined;
        for (const std::string& a : args) joined += a + " ";
        EXPECT_FALSE(r.error.empty()) << joined;
    }
}

// Help wins over what follows it; after a command it is that command's help. Nothing at all
// is a usage error (main prints the short usage).
TEST(CliOptions, HelpWinsAnywhere) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"help"}, {"slice", "--fade", "0.5", "--help"}}) {
        const ParseResult r = Parse(args);
        // An error before --help is reported; after it only help counts.
        if (args.size() > 2) {
            EXPECT_FALSE(r.error.empty());
        } else {
            EXPECT_TRUE(r.error.empty());
            EXPECT_EQ(r.options.command, CliCommand::Help);
        }
    }
    const ParseResult slice = Parse({"slice", "a.wav", "--help"});
    EXPECT_EQ(slice.options.command, CliCommand::Slice);
    EXPECT_TRUE(slice.options.help);
    const std::string text = cli::HelpText(CliCommand::Slice);
    EXPECT_NE(text.find("--fade"), std::string::npos);
    EXPECT_EQ(text.find("--device"), std::string::npos);  // a record option
    EXPECT_FALSE(Parse({}).error.empty());
}

TEST(CliOptions, SliceOptionsMapToTheWindowsChoices) {
    const ParseResult r = Parse({"slice", "--fade=0.1", "--eq", "12", "--normalize", "--typed",
                                 "--times1", "3.20.5,,7.02", "--times2=", "--silence", "4s",
                                 "--out", "o", "--quiet", "a.wav", "--", "--odd name.wav"});
    ASSERT_EQ(r.error, "");
    const CliOptions& o = r.options;
    EXPECT_EQ(o.command, CliCommand::Slice);
    EXPECT_EQ(o.sides, (std::vector<std::string>{"a.wav", "--odd name.wav"}));
    EXPECT_EQ(o.fadeId, 301);
    EXPECT_EQ(o.eqId, 715);
    EXPECT_EQ(o.volumeId, 501);
    EXPECT_EQ(o.cutsHow, 1);
    ASSERT_TRUE(o.typedTimes[0]);
    EXPECT_EQ(*o.typedTimes[0], (TypedTimeFields{"3.20.5", "", "7.02"}));
    ASSERT_TRUE(o.typedTimes[1]);
    EXPECT_EQ(*o.typedTimes[1], TypedTimeFields{});
    EXPECT_EQ(o.silenceText, "4s");
    EXPECT_EQ(o.outDir, "o");
    EXPECT_TRUE(o.quiet);
    EXPECT_FALSE(o.MarkerJob());
    EXPECT_FALSE(o.repairStrength);
    EXPECT_EQ(Parse({"slice", "--declick", "strong", "a.wav"}).options.repairStrength,
              repair::RepairStrength::Strong);
}

TEST(CliOptions, EveryMenuLevelIsAccepted) {
    const std::pair<const char*, int> fades[] = {{"0", 300}, {"0.1", 301}, {"1", 302}, {"2", 303}};
    for (const auto& [text, id] : fades)
        EXPECT_EQ(Parse({"slice", "--fade", text, "a.wav"}).options.fadeId, id) << text;
    const std::pair<const char*, int> eqs[] = {{"0", 708}, {"1", 709}, {"2", 710},  {"4", 711},
                                               {"6", 712}, {"8", 713}, {"10", 714}, {"12", 715}};
    for (const auto& [text, id] : eqs)
        EXPECT_EQ(Parse({"analyze", "--eq", text, "a.wav"}).options.eqId, id) << text;
}

TEST(CliOptions, SmartSenseWithItsSongCounts) {
    const CliOptions o =
        Parse({"slice", "--smart", "--songs", ",8", "--min-song", "45.5", "a.wav"}).options;
    EXPECT_EQ(o.cutsHow, 2);
    EXPECT_FALSE(o.songs[0]);  // side 1 not known
    EXPECT_EQ(o.songs[1], 8);
    EXPECT_EQ(o.minSongSeconds, 45.5);
    // Song counts ask for Smart Sense: alone they are an error, as with a settings file
    // that chose another method.
    EXPECT_FALSE(
        cli::ResolveWindowState(Parse({"slice", "--songs", "4", "a.wav"}).options).error.empty());
}

TEST(CliOptions, MarkersSelectTheMarkerJob) {
    const ParseResult r = Parse({"slice", "--markers2", "1200,600", "a.wav", "b.wav"});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.options.MarkerJob());
    EXPECT_FALSE(r.options.markers[0]);
    EXPECT_EQ(*r.options.markers[1], (std::vector<std::int32_t>{1200, 600}));
    EXPECT_TRUE(Parse({"slice", "--markers1=", "a.wav"}).options.markers[0]->empty());
}

class WindowStateTest : public ::testing::Test {
  protected:
    std::string SaveSettings(const SettingsFields& fields) {
        const std::string path = dir_ / "s.lpx";
        EXPECT_TRUE(settings::SaveSettingsFile(path, fields));
        return path;
    }
    TempDir dir_;
};

TEST_F(WindowStateTest, DefaultsNeitherEncodeNorSpeak) {
    const ResolvedState r = cli::ResolveWindowState(Parse({"slice", "a.wav"}).options);
    ASSERT_EQ(r.error, "");
    const SettingsFields& f = r.state.fields;
    EXPECT_EQ(f.side1Path, platform::MakeAbsolute("a.wav"));
    EXPECT_EQ(f.side2Path, "");
    EXPECT_EQ(f.createEncoded, 0);
    EXPECT_EQ(f.voiceAfterSlicing, 0);
    EXPECT_EQ(f.voiceAfterEncoding, 0);
    EXPECT_EQ(f.cutsHow, 0);
    EXPECT_EQ(f.silenceSeconds, "2");
    EXPECT_EQ(f.fadeId, 300);
    EXPECT_EQ(f.volumeId, 500);
    EXPECT_EQ(f.eqId, 708);
    EXPECT_EQ(r.state.outDir, "");
}

TEST_F(WindowStateTest, SettingsFileAppliesThenOptionsWin) {
    SettingsFields saved;
    saved.side1Path = "/rec/one.wav";
    saved.side2Path = "/rec/two.wav";
    saved.cutsHow = 1;
    saved.silenceSeconds = "3";
    saved.typedTimes[0] = "1.00";
    saved.typedTimes[10] = "2.00";
    saved.fadeId = 303;
    saved.volumeId = 501;
    saved.eqId = 710;
    const std::string path = SaveSettings(saved);

    // Sides come from the file when none are given.
    ResolvedState r = cli::ResolveWindowState(Parse({"slice", "--settings", path}).options);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.state.fields, saved);

    r = cli::ResolveWindowState(Parse({"slice", "--settings", path, "--auto", "--fade", "0", "--eq",
                                       "0", "--times2", "9.00", "--silence", "5", "x/new.wav"})
                                    .options);
    ASSERT_EQ(r.error, "");
    const SettingsFields& f = r.state.fields;
    EXPECT_EQ(f.side1Path, platform::MakeAbsolute("x/new.wav"));
    EXPECT_EQ(f.side2Path, "");  // sides given: the file's sides are not mixed in
    EXPECT_EQ(f.cutsHow, 0);
    EXPECT_EQ(f.silenceSeconds, "5");
    EXPECT_EQ(f.typedTimes[0], "1.00");
    EXPECT_EQ(f.typedTimes[10], "9.00");
    EXPECT_EQ(f.fadeId, 300);
    EXPECT_EQ(f.volumeId, 501);
    EXPECT_EQ(f.eqId, 708);
}

TEST_F(WindowStateTest, Failures) {
    ResolvedState r =
        cli::ResolveWindowState(Parse({"slice", "--settings", dir_ / "none.lpx"}).options);
    EXPECT_EQ(r.exitCode, kExitFileError);
    EXPECT_NE(r.error.find("none.lpx"), std::string::npos);

    // A settings file that names no side, and none given.
    r = cli::ResolveWindowState(Parse({"slice", "--settings", SaveSettings({})}).options);
    EXPECT_EQ(r.exitCode, kExitUsage);
}

TEST_F(WindowStateTest, MarkerRunGivesEverySideATable) {
    const ResolvedState r =
        cli::ResolveWindowState(Parse({"slice", "--markers2", "50", "a.wav", "b.wav"}).options);
    ASSERT_TRUE(r.state.markers[0]);
    EXPECT_TRUE(r.state.markers[0]->empty());
    EXPECT_EQ(*r.state.markers[1], std::vector<std::int32_t>{50});
}

// The encoding options set the window's encoding choices.
using Args = std::vector<std::string>;

ResolvedState Resolve(Args args) {
    args.insert(args.begin(), "slice");
    args.push_back("/rec/side.wav");
    const ParseResult parsed = cli::ParseCommandLine(args);
    EXPECT_EQ(parsed.error, "");
    return cli::ResolveWindowState(parsed.options);
}

TEST(CliEncodeOptions, SetTheWindowsEncodingChoices) {
    const struct {
        Args args;
        int createEncoded, encoderKind, rateId, deleteSlices;
        std::string encoderPath;
        bool voice;
    } cases[] = {
        {{}, 0, 2, 202, 0, "", false},
        {{"--encode", "blade"}, 1, 1, 202, 0, "", false},
        {{"--encode", "fastenc", "--rate", "96"}, 1, 3, 200, 0, "", false},
        {{"--encoder", "/opt/lame/bin/lame"}, 1, 4, 202, 0, "/opt/lame/bin/lame", false},
        {{"--encoder", "flac", "--rate=320"}, 1, 5, 206, 0, "flac", false},  // found on PATH
        {{"--encoder", "/x/OggEnc2", "--encode", "l3enc"}, 1, 0, 202, 0, "/x/OggEnc2", false},
        {{"--encoder", "/x/myenc", "--encode", "ogg"}, 1, 2, 202, 0, "/x/myenc", false},
        {{"--encode", "mp3"}, 1, 4, 202, 0, "", false},  // the MP3 encoder at hand: LAME
        {{"--delete-slices"}, 0, 2, 202, 1, "", false},
        {{"--voice", "--rate", "192"}, 0, 2, 204, 0, "", true},
    };
    for (const auto& c : cases) {
        const ResolvedState r = Resolve(c.args);
        const std::string name = c.args.empty() ? "(none)" : c.args[0];
        ASSERT_EQ(r.error, "") << name;
        const SettingsFields& f = r.state.fields;
        EXPECT_EQ(f.createEncoded, c.createEncoded) << name;
        EXPECT_EQ(f.encoderKind, c.encoderKind) << name;
        EXPECT_EQ(f.rateId, c.rateId) << name;
        EXPECT_EQ(f.deleteSlices, c.deleteSlices) << name;
        EXPECT_EQ(r.state.encoderPath, c.encoderPath) << name;
        EXPECT_EQ(r.state.voice, c.voice) << name;
        EXPECT_EQ(f.voiceAfterSlicing, c.voice ? 1 : 0) << name;
    }
}

TEST(CliEncodeOptions, AnEncoderPathAloneNamesNoKind) {
    const ResolvedState r = cli::ResolveWindowState(
        cli::ParseCommandLine({"slice", "--encoder", "/x/myenc", "a.wav"}).options);
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_NE(r.error.find("--encode"), std::string::npos);
}

TEST(CliEncodeOptions, SettingsFileAloneNeverMakesTheRunSpeak) {
    TempDir dir;
    SettingsFields saved;
    saved.side1Path = "/rec/one.wav";
    saved.voiceAfterSlicing = saved.voiceAfterEncoding = 1;
    ASSERT_TRUE(settings::SaveSettingsFile(dir / "s.lpx", saved));
    const ResolvedState r = cli::ResolveWindowState(
        cli::ParseCommandLine({"slice", "--settings", dir / "s.lpx"}).options);
    ASSERT_EQ(r.error, "");
    EXPECT_FALSE(r.state.voice);
}

// A typed time that is not a time is a usage error naming the option and the field.
TEST(CliOptions, TypedTimesThatAreNotTimesNameOptionAndField) {
    const std::pair<Args, std::string> cases[] = {
        {{"--times1", "1.0,,6 34"},
         "--times1, field 3: \"6 34\" is not a time; write "
         "min.sec.dsec, m:ss, m:ss.d or h:mm:ss"},
        {{"--times2", "-5"},
         "--times2, field 1: \"-5\" is not a time; write min.sec.dsec, "
         "m:ss, m:ss.d or h:mm:ss"},
        {{"--times1", "3:20,1:02:03.5,,95"}, ""},
    };
    for (const auto& [args, error] : cases) {
        Args all = {"slice"};
        all.insert(all.end(), args.begin(), args.end());
        all.push_back("a.wav");
        EXPECT_EQ(cli::ParseCommandLine(all).error, error);
    }
    EXPECT_TRUE(Resolve({"--keep-title-characters"}).state.album.keepTitleCharacters);
    EXPECT_FALSE(Resolve({}).state.album.keepTitleCharacters);
}

// What the cut-list options read and write, beside a side of twelve seconds.
class CutListOptions : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WriteWav(dir / "side.wav", NoiseFrames(44100 * 12, 0.3)));
        state = Resolve({"--out", dir.path()}).state;
        state.fields.side1Path = dir / "side.wav";
    }
    CliOptions Lists(const Args& args) {
        Args all = {"slice"};
        all.insert(all.end(), args.begin(), args.end());
        all.push_back("side.wav");
        return cli::ParseCommandLine(all).options;
    }
    TempDir dir;
    WindowState state;
};

// A CUE sheet holds 99 tracks: the rest are named and make the status 1.
TEST_F(CutListOptions, ACueSheetOfMoreThanNinetyNineTracksIsAFileError) {
    std::vector<std::int32_t> cuts;
    for (int k = 1; k <= 110; ++k) cuts.push_back(k);
    EXPECT_EQ(cli::WriteCutLists(Lists({"--cue", dir / "a.cue"}), state, cuts), kExitFileError);
    const CutListResult read = album::ReadCutListFile(dir / "a.cue", CutListFormat::Cue);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.list.sides.at(0).tracks.size(), 99u);
    cuts.resize(98);
    EXPECT_EQ(cli::WriteCutLists(Lists({"--cue", dir / "b.cue"}), state, cuts), kExitOk);
}

// Two lists for one side are refused; a sheet's block for a side not given is left out.
TEST_F(CutListOptions, OneCutListPerSide) {
    ASSERT_TRUE(WriteFileBytes(dir / "a.txt", "0\t1\tA\n5\t6\tB\n"));
    ASSERT_TRUE(WriteFileBytes(dir / "b.txt", "0\t1\tC\n"));
    ASSERT_TRUE(WriteFileBytes(dir / "two.cue",
                               "FILE \"side.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                               "  TRACK 02 AUDIO\n    INDEX 01 00:04:00\nFILE \"b.wav\" WAVE\n"
                               "  TRACK 03 AUDIO\n    INDEX 01 00:00:00\n"));
    WindowState one = state;
    EXPECT_EQ(cli::LoadCutLists(Lists({"--labels", dir / "a.txt", "--labels", dir / "b.txt"}), one),
              kExitUsage);
    WindowState two = state;
    EXPECT_EQ(cli::LoadCutLists(Lists({"--cue", dir / "two.cue"}), two), kExitOk);
    EXPECT_EQ(two.markers[0], std::vector<std::int32_t>{40});
}

}  // namespace
