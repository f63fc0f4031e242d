// velvane-cli's encoding options: what they set, and runs of the built program with a
// real encoder, a failing one and none.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TestEnv.h"
#include "cli/CliOptions.h"
#include "cli/WindowState.h"
#include "engine/SettingsFile.h"
#include "platform/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

ResolvedState Resolve(Args args) {
    args.insert(args.begin(), "slice");
    args.push_back("/rec/side.wav");
    const ParseResult parsed = ParseCommandLine(args);
    EXPECT_EQ(parsed.error, "");
    return ResolveWindowState(parsed.options);
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

TEST(CliEncodeOptions, RefusesWhatNoEncoderOrRateMeans) {
    for (const Args& args : {Args{"--encode", "mp3"}, Args{"--rate", "100"}, Args{"--encoder", ""},
                             Args{"--rate", "128000"}})
        EXPECT_NE(ParseCommandLine({"slice", args[0], args[1], "a.wav"}).error, "") << args[1];
    const ResolvedState r =
        ResolveWindowState(ParseCommandLine({"slice", "--encoder", "/x/myenc", "a.wav"}).options);
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_NE(r.error.find("--encode"), std::string::npos);
}

TEST(CliEncodeOptions, SettingsFileAloneNeverMakesTheRunSpeak) {
    TempDir dir;
    SettingsFields saved;
    saved.side1Path = "/rec/one.wav";
    saved.voiceAfterSlicing = saved.voiceAfterEncoding = 1;
    ASSERT_TRUE(SaveSettingsFile(dir / "s.lpx", saved));
    const ResolvedState r =
        ResolveWindowState(ParseCommandLine({"slice", "--settings", dir / "s.lpx"}).options);
    ASSERT_EQ(r.error, "");
    EXPECT_FALSE(r.state.voice);
}

class CliEncodeRun : public ::testing::Test {
  protected:
    void SetUp() override {
        // Three seconds cut at one: slices 1.wav (1 s) and 2.wav (2 s).
        ASSERT_TRUE(WriteWav(dir / "side.wav", NoiseFrames(3 * 44100, 0.3)));
    }
    platform::ProcessResult Slice(Args args) {
        Args argv = {VELVANE_CLI, "slice", "--quiet", "--typed", "--times1", "0.1"};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.push_back(dir / "side.wav");
        return platform::RunProcess(argv, dir.path());
    }
    bool Exists(const std::string& name) { return fs::exists(dir / name); }

    TempDir dir;
    ScopedEnv fail{"FAKE_ENCODER_FAIL", nullptr};
};

TEST_F(CliEncodeRun, RealEncoderReplacesTheSlicesAndSpeaksWithoutADevice) {
    const platform::ProcessResult run = Slice({"--encode", "flac", "--delete-slices", "--voice"});
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_TRUE(Exists("1.flac") && Exists("2.flac"));
    EXPECT_FALSE(Exists("1.wav") || Exists("2.wav"));
    EXPECT_TRUE(Exists("side.wav"));
}

TEST_F(CliEncodeRun, FailingEncoderIsPrintedAndItsSliceKept) {
    ScopedEnv failSecond{"FAKE_ENCODER_FAIL", "2.wav"};
    const platform::ProcessResult run =
        Slice({"--encoder", FAKE_ENCODER_PATH, "--encode", "blade", "--delete-slices"});
    EXPECT_EQ(run.exitStatus, kExitFileError);
    const std::string command = std::string(FAKE_ENCODER_PATH) + " " + (dir / "2.wav") + " " +
                                (dir / "A2.mp3") + " -br 128000";
    EXPECT_NE(run.output.find("encoder failed (exit status 3): " + command), std::string::npos)
        << run.output;
    EXPECT_TRUE(Exists("A1.mp3"));
    EXPECT_FALSE(Exists("1.wav"));
    EXPECT_TRUE(Exists("2.wav"));
}

TEST_F(CliEncodeRun, NoEncoderFailsTheRunsOrRefusesTheMarkerJob) {
    platform::ProcessResult run = Slice({"--encode", "l3enc"});
    EXPECT_EQ(run.exitStatus, kExitFileError) << run.output;
    EXPECT_NE(run.output.find("no encoder found"), std::string::npos) << run.output;
    EXPECT_TRUE(Exists("1.wav") && Exists("2.wav"));

    run = Slice({"--encode", "fastenc", "--markers1", "10"});
    EXPECT_EQ(run.exitStatus, kExitUsage) << run.output;
    EXPECT_NE(run.output.find("Missing encoder!"), std::string::npos) << run.output;
}

// A short record encoded one run at a time and four at once: the same files. Ogg files are
// compared as decoded audio, as oggenc numbers every stream at random, even in two runs of
// the same command.
TEST(CliEncodeJobs, FourAtOnceMakeTheFilesOfOneAtATime) {
    TempDir dir;
    ASSERT_TRUE(WriteWav(dir / "side1.wav", NoiseFrames(8 * 44100, 0.3, 1)));
    ASSERT_TRUE(WriteWav(dir / "side2.wav", NoiseFrames(7 * 44100, 0.3, 2)));
    for (const std::string kind : {"flac", "lame", "ogg"}) {
        std::map<std::string, std::string> made[2];
        for (int run = 0; run < 2; ++run) {
            const std::string out = dir / (kind + std::to_string(run));
            const Args argv = {VELVANE_CLI,       "slice",
                               "--quiet",         "--typed",
                               "--times1",        "0.2,0.4.5,0.6",
                               "--times2",        "0.3.3,0.5",
                               "--encode",        kind,
                               "--rate",          "192",
                               "--jobs",          run == 0 ? "1" : "4",
                               "--out",           out,
                               dir / "side1.wav", dir / "side2.wav"};
            const platform::ProcessResult slice = platform::RunProcess(argv, dir.path());
            ASSERT_EQ(slice.exitStatus, 0) << slice.output;
            for (const auto& entry : fs::directory_iterator(out)) {
                const std::string path = entry.path().string();
                if (entry.path().extension() == ".wav") continue;
                std::string bytes = ReadFileBytes(path);
                if (kind == "ogg") {
                    const std::string decoded = path + ".decoded.wav";
                    ASSERT_TRUE(
                        platform::RunProcess(
                            {platform::FindOnPath("oggdec"), "--quiet", "-o", decoded, path}, "")
                            .Succeeded());
                    bytes = ReadFileBytes(decoded);
                    fs::remove(decoded);
                }
                made[run][entry.path().filename().string()] = bytes;
            }
        }
        EXPECT_EQ(made[0].size(), 7u) << kind;  // 4 + 3 slices
        EXPECT_TRUE(made[0] == made[1]) << kind;
    }
}

}  // namespace
