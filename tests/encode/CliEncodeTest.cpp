// Runs of the built velvane-cli that encode: with a real encoder, a failing one, none, and
// Ctrl+C during a run. (What the encoding options set: tests/cli/CliOptionsTest.cpp.)

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include <filesystem>
#include <string>
#include <vector>

#include "TestEnv.h"
#include "cli/CliOptions.h"
#include "platform/Process.h"
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

// Ctrl+C in a terminal reaches the whole job: the running encoder is left to finish its
// file, no further run starts, and the status says the run was interrupted.
TEST_F(CliEncodeRun, CtrlCLetsTheRunningEncoderFinishItsFile) {
    ScopedEnv slow{"FAKE_ENCODER_SLOW_MS", "1500"};
    const pid_t pid =
        StartProgram({VELVANE_CLI, "slice", "--quiet", "--typed", "--times1", "0.1", "--encoder",
                      FAKE_ENCODER_PATH, "--encode", "blade", dir / "side.wav"},
                     dir.path());
    while (!Exists("A1.mp3")) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(-pid, SIGINT);
    const ProgramRun run = WaitProgram(pid, dir.path());
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(ReadFileBytes(dir / "A1.mp3"), "encoded " + (dir / "1.wav") + "\n");
    EXPECT_FALSE(Exists("A2.mp3"));
    EXPECT_TRUE(Exists("1.wav") && Exists("2.wav"));
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

}  // namespace
