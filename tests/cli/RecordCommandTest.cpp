// velvane-cli record on the virtual sound card: the device list, recordings compared
// sample for sample with what the card played, the ways a recording ends, exit statuses.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"
#include "tests/support/VirtualAudio.h"

namespace {

ProgramRun Record(const std::vector<std::string>& args, const TempDir& dir) {
    std::vector<std::string> argv = {VELVANE_CLI, "record"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, dir.path());
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
}

/// The frames of a recorded file, after checking that its header counts exactly them.
std::vector<Frame> RecordedFrames(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    EXPECT_GE(bytes.size(), 44u);
    if (bytes.size() < 44) return {};
    EXPECT_EQ(Le32(bytes, 40), bytes.size() - 44);
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    return ReadWavFrames(path).value_or(std::vector<Frame>{});
}

struct ListCase {
    const char* profile;
    const char* expected;
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.profile;
}

class ListDevices : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListDevices, AsTheInputMenuListsThem) {
    REQUIRE_VIRTUAL_AUDIO(GetParam().profile);
    TempDir dir;
    const ProgramRun run = Record({"--list-devices"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ListDevices,
    ::testing::Values(
        ListCase{"basic", "1: Virtual Line In (stereo in)\n"},
        ListCase{"mixed", "1: Virtual Line In (stereo in)\n2: Virtual Line In 2 (stereo in)\n"},
        ListCase{"many",
                 "1: Virtual Line 1 (stereo in)\n2: Virtual Line 2 (stereo in)\n"
                 "3: Virtual Line 3 (stereo in)\n4: Virtual Line 4 (stereo in)\n"
                 "5: Virtual Line 5 (stereo in)\n6: Virtual Line 6 (stereo in)\n"
                 "7: Virtual Line 7 (stereo in)\n8: Virtual Line 8 (stereo in)\n"},
        ListCase{"none", ""}),
    [](const auto& info) { return std::string(info.param.profile); });

struct CliRecording : ::testing::Test {
    TempDir dir;
    std::vector<Frame> signal = NoiseFrames(4 * 44100, 0.7, 21);
    std::vector<Frame> other = NoiseFrames(4 * 44100, 0.7, 22);
    void SetUp() override {
        ASSERT_TRUE(WriteWav(dir / "signal.wav", signal));
        ASSERT_TRUE(WriteWav(dir / "other.wav", other));
    }
};

TEST_F(CliRecording, SecondsGiveExactlyThatManyFramesOfTheInput) {
    REQUIRE_VIRTUAL_AUDIO("mixed");
    SetVirtualCapture(dir / "signal.wav", true, dir / "other.wav");
    for (const auto& [device, seconds, frames, expected] :
         {std::tuple{"1", "2.5", 110250u, &signal}, std::tuple{"2", "0.00003", 1u, &other},
          std::tuple{"2", "3.99999", 176400u, &other}}) {
        const ProgramRun run =
            Record({"side.wav", "--force", "--device", device, "--seconds", seconds}, dir);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto frames_ = RecordedFrames(dir / "side.wav");
        ASSERT_EQ(frames_.size(), frames);
        EXPECT_TRUE(std::equal(frames_.begin(), frames_.end(), expected->begin())) << seconds;
    }
}

// A take that may not be repeatable is never replaced unasked: without --force the file
// stays as it was; with it, the new recording takes its place.
TEST_F(CliRecording, AnExistingFileNeedsForce) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    SetVirtualCapture(dir / "other.wav", true);
    const std::string before = ReadFileBytes(dir / "signal.wav");
    ProgramRun run = Record({"signal.wav", "--seconds", "1"}, dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(dir / "signal.wav"), before);
    run = Record({"signal.wav", "--seconds", "1", "--force"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(RecordedFrames(dir / "signal.wav").size(), 44100u);
}

TEST_F(CliRecording, GainIsAppliedAndSaturated) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    SetVirtualCapture(dir / "signal.wav", true);
    const ProgramRun run = Record({"loud.wav", "--gain", "3", "--seconds", "1"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto frames = RecordedFrames(dir / "loud.wav");
    ASSERT_EQ(frames.size(), 44100u);
    const auto gained = [](std::int16_t s) {
        return static_cast<std::int16_t>(std::clamp(3 * s, -32768, 32767));
    };
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i].left, gained(signal[i].left)) << i;
        ASSERT_EQ(frames[i].right, gained(signal[i].right)) << i;
    }
}

TEST_F(CliRecording, AutoStopEndsAfterTwentyQuietSecondsKeepingEverySample) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    SetVirtualCapture(dir / "signal.wav", true);  // 4 s of sound, then silence
    const ProgramRun run = Record({"auto.wav", "--auto-stop"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("near-silence"), std::string::npos) << run.out;
    const auto frames = RecordedFrames(dir / "auto.wav");
    // Probes every 44096 frames; the 20 quiet ones are those after the sound.
    const std::size_t probe = 689 * 64;
    EXPECT_EQ(frames.size(), (signal.size() / probe + 20) * probe);
    EXPECT_TRUE(std::equal(signal.begin(), signal.end(), frames.begin()));
}

TEST_F(CliRecording, TerminationEndsARealTimeRecordingWithAValidFile) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    SetVirtualCapture(dir / "signal.wav", false);
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        const pid_t pid = StartProgram({VELVANE_CLI, "record", "--force", "held.wav"}, dir.path());
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        kill(pid, signalNumber);
        const ProgramRun run = WaitProgram(pid, dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
        const auto frames = RecordedFrames(dir / "held.wav");
        EXPECT_GT(frames.size(), 0u);
        ASSERT_LE(frames.size(), signal.size());
        EXPECT_TRUE(std::equal(frames.begin(), frames.end(), signal.begin()));
    }
}

struct FailureCase {
    const char* name;
    const char* profile;
    std::vector<std::string> args;
    int status;
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class RecordFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RecordFailure, ExitStatusAndReason) {
    const FailureCase& c = GetParam();
    REQUIRE_VIRTUAL_AUDIO(c.profile);
    SetVirtualCapture("", true);
    TempDir dir;
    const ProgramRun run = Record(c.args, dir);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordFailure,
    ::testing::Values(
        FailureCase{"NoInput", "none", {"x.wav", "--seconds", "1"}, 1, "no stereo input"},
        FailureCase{
            "DeviceOutsideTheList", "mixed", {"x.wav", "--device", "3"}, 2, "only 2 stereo inputs"},
        FailureCase{"FileCannotBeCreated", "basic", {"no/such/folder/x.wav"}, 1, "cannot create"},
        FailureCase{"NoFile", "basic", {"--seconds", "1"}, 2, "needs one file"},
        FailureCase{"GainOutOfRange", "basic", {"x.wav", "--gain", "52"}, 2, "not 0 to 51"},
        FailureCase{"ListWithFile", "basic", {"--list-devices", "x.wav"}, 2, "takes no file"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// 96 kHz (and 192 kHz) 24-bit: what the card plays, sample for sample, in a file of that
// format; the automatic stop's probes a second apart (1500 blocks of 64 frames) as at
// 44.1 kHz.
TEST(CliRecordingFormats, NinetySixKilohertzTwentyFourBitsSampleExact) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    TempDir dir;
    constexpr SideFormat k96k24{96000, 2, SampleEncoding::Int24};
    const std::string played = NoiseBytes(k96k24, 2 * 96000, 0.7, 23);
    ASSERT_TRUE(WriteSideWav(dir / "played.wav", k96k24, played));
    SetVirtualCapture(dir / "played.wav", true);
    ProgramRun run =
        Record({"side.wav", "--rate", "96000", "--bits", "24", "--seconds", "1.5"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("144000 frames (1.5 s)"), std::string::npos) << run.out;
    EXPECT_EQ(SoxInfo(dir / "side.wav", "-r") + " " + SoxInfo(dir / "side.wav", "-b"), "96000 24");
    EXPECT_TRUE(SoxSamples(dir / "side.wav") == played.substr(0, 144000 * 6));
    // And at 192 kHz: 0.5 s of the same bytes, read as frames of that rate.
    ASSERT_TRUE(WriteSideWav(dir / "played.wav", {192000, 2, SampleEncoding::Int24}, played));
    run = Record({"fast.wav", "--rate", "192000", "--bits", "24", "--seconds", "0.5"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(SoxSamples(dir / "fast.wav") == played.substr(0, 96000 * 6));
    ASSERT_TRUE(WriteSideWav(dir / "played.wav", k96k24, played));

    run = Record({"auto.wav", "--rate", "96000", "--bits", "24", "--auto-stop"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string recorded = SoxSamples(dir / "auto.wav");
    constexpr std::size_t kProbe = 1500 * 64;
    EXPECT_EQ(recorded.size() / 6, (2 * 96000 / kProbe + 20) * kProbe);
    EXPECT_TRUE(recorded.substr(0, played.size()) == played);
}

}  // namespace
