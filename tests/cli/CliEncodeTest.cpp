// Runs of the built velvane-cli that encode: with a real encoder, a failing one, none, and
// Ctrl+C during a run. (What the encoding options set: tests/cli/CliOptionsTest.cpp.)

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "platform/Process.h"
#include "tests/encode/TestEnv.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

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

// Ctrl+C in a terminal reaches the whole job: the running encoders (two at once here) are
// left to finish their files, no further run starts, and the status says the run was
// interrupted.
TEST_F(CliEncodeRun, CtrlCLetsTheRunningEncodersFinishTheirFiles) {
    ScopedEnv slow{"FAKE_ENCODER_SLOW_MS", "1500"};
    const pid_t pid =
        StartProgram({VELVANE_CLI, "slice", "--quiet", "--typed", "--times1", "0.1,0.2", "--jobs",
                      "2", "--encoder", FAKE_ENCODER_PATH, "--encode", "blade", dir / "side.wav"},
                     dir.path());
    while (!Exists("A1.mp3") || !Exists("A2.mp3"))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(-pid, SIGINT);
    const ProgramRun run = WaitProgram(pid, dir.path());
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(ReadFileBytes(dir / "A1.mp3"), "encoded " + (dir / "1.wav") + "\n");
    EXPECT_EQ(ReadFileBytes(dir / "A2.mp3"), "encoded " + (dir / "2.wav") + "\n");
    EXPECT_FALSE(Exists("A3.mp3"));
    EXPECT_TRUE(Exists("1.wav") && Exists("2.wav") && Exists("3.wav"));
}

// Ctrl+C while side 1 is encoded: side 2 is not begun, and the summary says so rather than
// that it had nothing to cut.
TEST_F(CliEncodeRun, AnInterruptedRunSaysWhatItDidNotReach) {
    ASSERT_TRUE(WriteWav(dir / "two.wav", NoiseFrames(3 * 44100, 0.3)));
    ScopedEnv slow{"FAKE_ENCODER_SLOW_MS", "1000"};
    const pid_t pid = StartProgram(
        {VELVANE_CLI, "slice", "--typed", "--times1", "0.1", "--times2", "0.1", "--jobs", "1",
         "--encoder", FAKE_ENCODER_PATH, "--encode", "blade", dir / "side.wav", dir / "two.wav"},
        dir.path());
    while (!Exists("A1.mp3")) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(-pid, SIGINT);
    const ProgramRun run = WaitProgram(pid, dir.path());
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_NE(run.out.find("side 2 (" + (dir / "two.wav") + "): not sliced (interrupted)"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find("velvane-cli: interrupted"), std::string::npos) << run.err;
}

// A second Ctrl+C, or SIGHUP, ends the program at once: the encoders it started (each in a
// process group of its own) end with it, and the user's earlier file that a run was about
// to replace is back under its name, so a later run can never lose it.
TEST_F(CliEncodeRun, AnAbruptEndStopsTheEncodersAndPutsEarlierFilesBack) {
    struct Case {
        const char* name;
        std::vector<int> signals;
    };
    for (const Case& c : {Case{"second Ctrl+C", {SIGINT, SIGINT}}, Case{"hang-up", {SIGHUP}}}) {
        SCOPED_TRACE(c.name);
        TempDir run;
        ASSERT_TRUE(WriteWav(run / "side.wav", NoiseFrames(3 * 44100, 0.3)));
        ASSERT_TRUE(WriteFileBytes(run / "A1.mp3", "the user's own"));
        // Slow enough that a loaded machine still signals while the runs are half-way.
        ScopedEnv slow{"FAKE_ENCODER_SLOW_MS", "4000"};
        ScopedEnv ends{"FAKE_ENCODER_END_LOG", run / "ends.log"};
        const pid_t pid = StartProgram(
            {VELVANE_CLI, "slice", "--quiet", "--typed", "--times1", "0.1,0.2", "--jobs", "2",
             "--encoder", FAKE_ENCODER_PATH, "--encode", "blade", run / "side.wav"},
            run.path());
        while (!fs::exists(run / "A1.mp3.velvane-earlier") || !fs::exists(run / "A2.mp3"))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (const int signal : c.signals) {
            kill(-pid, signal);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        const ProgramRun ended = WaitProgram(pid, run.path());
        EXPECT_EQ(ended.status, 128 + c.signals.back()) << ended.err;
        EXPECT_EQ(ReadFileBytes(run / "A1.mp3"), "the user's own");
        EXPECT_FALSE(fs::exists(run / "A1.mp3.velvane-earlier"));
        // Longer than a run takes: a run still going would have logged its end by now.
        std::this_thread::sleep_for(std::chrono::milliseconds(4500));
        EXPECT_FALSE(fs::exists(run / "ends.log")) << ReadFileBytes(run / "ends.log");
    }
}

// No encoder to run is said before anything is written, with what to install where a
// Debian package brings one; the window's marker job's message for the marker job.
TEST_F(CliEncodeRun, NoEncoderRefusesTheRunBeforeAnySlice) {
    platform::ProcessResult run = Slice({"--encode", "l3enc"});
    EXPECT_EQ(run.exitStatus, kExitUsage) << run.output;
    EXPECT_NE(run.output.find("--encoder PATH"), std::string::npos) << run.output;
    EXPECT_FALSE(Exists("1.wav") || Exists("2.wav"));

    {
        ScopedEnv path{"PATH", (dir / "empty").c_str()};
        ScopedEnv home{"VELVANE_HOME", (dir / "empty").c_str()};
        run = Slice({"--encode", "ogg"});
    }
    EXPECT_EQ(run.exitStatus, kExitUsage) << run.output;
    EXPECT_NE(run.output.find("install the Debian package vorbis-tools"), std::string::npos)
        << run.output;
    EXPECT_FALSE(Exists("1.wav"));

    run = Slice({"--encode", "fastenc", "--markers1", "10"});
    EXPECT_EQ(run.exitStatus, kExitUsage) << run.output;
    EXPECT_NE(run.output.find("--encoder PATH"), std::string::npos) << run.output;
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
