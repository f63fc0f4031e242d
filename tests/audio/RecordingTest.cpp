// Recording through InputCallback with generated blocks: what reaches the file and its
// header on every way a recording ends, the blinking status, the automatic stop.

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "audio/LevelMeter.h"
#include "audio/RecordingFile.h"
#include "sidefile/WaveFile.h"
#include "tests/audio/RecordingHarness.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::size_t kCallsPerSecond = kBlinkDivisor;  // one probe per 689 calls
constexpr std::size_t kBufferCalls = kSampleBufferBytes / kBlockBytes;

struct RecordingFixture : ::testing::Test {
    TempDir dir;
    std::string path = dir / "side 1.wav";
    FakeCaptureStream* stream = new FakeCaptureStream;  // owned by recorder
    Recorder recorder{std::unique_ptr<CaptureStream>(stream)};

    RecordingState& State() { return recorder.State(); }
    void Start(bool autoStop = false, float gain = 1.0f) {
        ASSERT_EQ(recorder.Open(path, 3), OpenResult::Ok);
        ASSERT_TRUE(recorder.Record({gain, autoStop}));
    }
    void ExpectFile(const std::vector<Frame>& expected) {
        const RecordedFile file = ReadRecordedFile(path);
        EXPECT_EQ(file.dataSize, expected.size() * 4);
        EXPECT_EQ(file.riffSize, expected.size() * 4 + 36);
        ASSERT_EQ(file.frames.size(), expected.size());
        EXPECT_TRUE(file.frames == expected);
        EXPECT_TRUE(WaveFile::IsStereoWave(path, 44100));
    }
};

std::vector<Frame> Prefix(const std::vector<Frame>& frames, std::size_t calls) {
    std::vector<Frame> out(calls * kCallbackFrames);
    for (std::size_t i = 0; i < out.size() && i < frames.size(); ++i) out[i] = frames[i];
    return out;
}

// Stops by the button at several points: every captured sample reaches the file, with or
// without the automatic stop chosen, and the sizes count exactly those samples.
struct StopCase {
    const char* name;
    std::size_t calls;
    bool autoStop;
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class StopByButton : public RecordingFixture, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopByButton, FileHoldsEverySampleCaptured) {
    const StopCase& c = GetParam();
    const auto input = NoiseFrames(c.calls * kCallbackFrames, 0.8, 7);
    Start(c.autoStop);
    ASSERT_EQ(Feed(State(), input, c.calls), c.calls);
    recorder.Stop();
    ExpectFile(Prefix(input, c.calls));
    EXPECT_EQ(recorder.Summary().cause, StopCause::Button);
    EXPECT_EQ(recorder.Summary().framesWritten, c.calls * kCallbackFrames);
    EXPECT_TRUE(recorder.Summary().fileOk);
    EXPECT_FALSE(recorder.Active());
}

INSTANTIATE_TEST_SUITE_P(
    Points, StopByButton,
    ::testing::Values(StopCase{"BeforeAnySample", 0, false}, StopCase{"OneBlock", 1, false},
                      StopCase{"ExactlyOneBuffer", kBufferCalls, false},
                      StopCase{"OneBufferAndABlock", kBufferCalls + 1, false},
                      StopCase{"ThirtySeconds", 30 * 44100 / 64 + 1, false},
                      StopCase{"ThirtySecondsAutoStopOn", 30 * 44100 / 64 + 1, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordingFixture, CancelledLevelsDialogLeavesHeaderOnly) {
    ASSERT_EQ(recorder.Open(path, 0), OpenResult::Ok);
    Feed(State(), NoiseFrames(6400, 0.5), 100);  // monitored only
    recorder.Cancel();
    ExpectFile({});
    EXPECT_FALSE(recorder.Active());
}

TEST_F(RecordingFixture, FailedOpenClosesTheFileWithItsHeader) {
    stream->result = OpenResult::InvalidInput;
    EXPECT_EQ(recorder.Open(path, 5), OpenResult::InvalidInput);
    EXPECT_FALSE(recorder.Active());
    ExpectFile({});
    EXPECT_EQ(recorder.Open(dir / "no such folder/x.wav", 0), OpenResult::FileFailed);
}

// The take the user chose to replace survives a start that fails and a cancelled levels
// dialog, and goes only once the recording starts; nothing else is left in the folder.
TEST_F(RecordingFixture, ExistingFileIsReplacedOnlyOnceTheStreamHasStarted) {
    const auto take = NoiseFrames(500, 0.5, 3);
    ASSERT_TRUE(WriteWav(path, take));
    stream->result = OpenResult::InvalidInput;
    EXPECT_EQ(recorder.Open(path, 0), OpenResult::InvalidInput);
    EXPECT_EQ(ReadWavFrames(path), take);

    // The levels dialog shows while the stream runs: its Cancel keeps the take too.
    stream->result = OpenResult::Ok;
    ASSERT_EQ(recorder.Open(path, 0), OpenResult::Ok);
    EXPECT_EQ(ReadWavFrames(path), take);
    recorder.Cancel();
    EXPECT_EQ(ReadWavFrames(path), take);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    Start();
    const auto input = NoiseFrames(10 * kCallbackFrames, 0.8, 7);
    Feed(State(), input, 10);
    recorder.Stop();
    ExpectFile(input);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// A finished recording is cut to its samples through the open file: a file system that
// refuses to truncate by path (seen on FUSE mounts; here the path is simply gone) does not
// make a complete recording look failed.
TEST(RecordingFileClose, CutsThroughTheOpenFileNotItsPath) {
    TempDir dir;
    RecordingFile file;
    ASSERT_TRUE(file.Create(dir / "side.wav"));
    const std::string samples(402, '\x11');
    ASSERT_EQ(file.Write(reinterpret_cast<const std::uint8_t*>(samples.data()), 402), 402u);
    std::filesystem::rename(dir / "side.wav", dir / "moved.wav");
    EXPECT_TRUE(file.Close(400));
    const RecordedFile recorded = ReadRecordedFile(dir / "moved.wav");
    EXPECT_EQ(ReadFileBytes(dir / "moved.wav").size(), 444u);
    EXPECT_EQ(recorded.dataSize, 400u);
}

TEST_F(RecordingFixture, StatusBlinksOncePerSecond) {
    Start();
    const auto input = NoiseFrames(4 * kCallsPerSecond * 64, 0.5);
    std::vector<std::uint32_t> changes;  // calls at which the blink count moved on
    for (std::size_t call = 0; call < 4 * kCallsPerSecond; ++call) {
        const auto block = CallbackBlock(input, call * 64);
        const std::uint32_t before = recorder.Blinks();
        audio::InputCallback(block.data(), State(), false);
        EXPECT_FALSE(recorder.Poll());
        if (recorder.Blinks() != before) changes.push_back(static_cast<std::uint32_t>(call + 1));
    }
    const std::vector<std::uint32_t> expected = {689, 1378, 2067, 2756};
    EXPECT_EQ(changes, expected);
    EXPECT_EQ(recorder.Blinks(), 4u);
}

// The automatic stop: 20 quiet probes in a row end the recording; one probe at loudness
// 128 starts the count again, one at 127 does not.
struct ProbeCase {
    const char* name;
    std::int16_t probe20;     // sample magnitude in the block of the 20th probe
    std::size_t expectCalls;  // calls until the callback stops
};

void PrintTo(const ProbeCase& c, std::ostream* os) {
    *os << c.name;
}

class AutoStop : public RecordingFixture, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(AutoStop, StopsAfterTwentyQuietProbes) {
    const ProbeCase& c = GetParam();
    const std::size_t limit = 60 * kCallsPerSecond;
    std::vector<Frame> input(limit * 64, Frame{3, -3});
    // The probe looks at the whole block of its call: the 20th probe's block.
    const std::size_t probeCall = 20 * kCallsPerSecond - 1;
    for (std::size_t i = 0; i < 64; ++i)
        input[probeCall * 64 + i] = {c.probe20, static_cast<std::int16_t>(-c.probe20)};
    Start(true);
    EXPECT_EQ(Feed(State(), input, limit), c.expectCalls);
    EXPECT_TRUE(recorder.Poll());
    EXPECT_FALSE(recorder.Active());
    EXPECT_EQ(recorder.Summary().cause, StopCause::Quiet);
    ExpectFile(Prefix(input, c.expectCalls));
}

INSTANTIATE_TEST_SUITE_P(Probes, AutoStop,
                         ::testing::Values(ProbeCase{"Silence", 3, 20 * kCallsPerSecond},
                                           ProbeCase{"Loudness127", 127, 20 * kCallsPerSecond},
                                           ProbeCase{"Loudness128Resets", 128,
                                                     40 * kCallsPerSecond}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordingFixture, SizeLimitStopsWithAValidFile) {
    const auto input = NoiseFrames(2000 * 64, 0.5);
    Start();
    State().maxDataBytes = 1000 * kBlockBytes;
    EXPECT_EQ(Feed(State(), input, 2000), 1000u);
    EXPECT_TRUE(recorder.Poll());
    EXPECT_EQ(recorder.Summary().cause, StopCause::SizeLimit);
    ExpectFile(Prefix(input, 1000));
}

TEST_F(RecordingFixture, RequestedLengthEndsOnTheExactFrame) {
    for (const std::uint64_t frames : {1, 63, 64, 65, 44100}) {
        const auto input = NoiseFrames(frames + 200, 0.5);
        ASSERT_EQ(recorder.OpenRecording(path, 0, {1.0f, false, frames}), OpenResult::Ok);
        EXPECT_EQ(Feed(State(), input, frames / 64 + 3), (frames + 63) / 64);
        recorder.Poll();
        EXPECT_EQ(recorder.Summary().cause, StopCause::Length);
        ExpectFile(std::vector<Frame>(input.begin(), input.begin() + frames));
    }
}

TEST_F(RecordingFixture, GainSaturatesAndZeroGainRecordsSilence) {
    const std::vector<Frame> input(64 * 10, Frame{1000, -1000});
    Start(false, kMaxGain);
    Feed(State(), input, 10);
    recorder.Stop();
    ExpectFile(std::vector<Frame>(640, Frame{32767, -32768}));

    Start(false, 0.0f);
    Feed(State(), NoiseFrames(640, 1.0), 10);
    recorder.Stop();
    ExpectFile(std::vector<Frame>(640, Frame{0, 0}));
}

TEST_F(RecordingFixture, InputOverflowsAreCounted) {
    Start();
    const auto block = CallbackBlock(NoiseFrames(64, 0.5), 0);
    for (int call = 0; call < 10; ++call)
        audio::InputCallback(block.data(), State(), call % 3 == 0);
    recorder.Stop();
    EXPECT_EQ(recorder.Summary().inputOverflows, 4u);
}

// Records until the file can take no more: nothing is written after the first failed
// write, and the file ends with the last whole frame that reached the disk, its header
// counting exactly those.
void RecordUntilTheWritesFail(const std::string& path) {
    Recorder recorder{std::make_unique<FakeCaptureStream>(), 99 * kBlockBytes};
    ASSERT_EQ(recorder.OpenRecording(path, 0, {}), OpenResult::Ok);
    const auto input = NoiseFrames(100000, 0.8, 5);  // 400 KB: more than the file may hold
    RecordingState& state = recorder.State();
    bool ended = false;
    for (std::size_t call = 0; call * kCallbackFrames < input.size() && !ended; ++call) {
        while (state.writer && state.writer->WriterBusy())  // no block dropped for slowness
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        const auto block = CallbackBlock(input, call * kCallbackFrames);
        audio::InputCallback(block.data(), state, false);
        ended = recorder.Poll();
    }
    ASSERT_TRUE(ended);
    const RecordingSummary& summary = recorder.Summary();
    EXPECT_EQ(summary.cause, StopCause::WriteError);
    EXPECT_FALSE(summary.fileOk);
    EXPECT_EQ(summary.framesLost, 0u);
    ASSERT_GT(summary.framesWritten, 0u);

    const RecordedFile file = ReadRecordedFile(path);
    EXPECT_EQ(ReadFileBytes(path).size(), 44 + summary.framesWritten * 4);
    EXPECT_EQ(file.dataSize, summary.framesWritten * 4);
    EXPECT_EQ(file.riffSize, summary.framesWritten * 4 + 36);
    ASSERT_EQ(file.frames.size(), summary.framesWritten);
    EXPECT_TRUE(std::equal(file.frames.begin(), file.frames.end(), input.begin()));
}

// A real full file system: a small tmpfs (mounting one needs root; skipped else).
TEST(RecordingWriteFails, DiskFull) {
    TempDir dir;
    const std::string small = dir / "small";
    std::filesystem::create_directory(small);
    if (mount("velvane-test", small.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    RecordUntilTheWritesFail(small + "/side.wav");
    umount2(small.c_str(), MNT_DETACH);
}

// A write cut short inside a frame (the file size limit, 2 bytes into one).
TEST(RecordingWriteFails, InsideAFrame) {
    TempDir dir;
    const FileSizeLimit limit(44 + 4 * 30001 + 2);
    ASSERT_TRUE(limit.Set());
    RecordUntilTheWritesFail(dir / "side.wav");
}

TEST(ApplyGain, TruncatesTowardZeroAndSaturates) {
    struct Case {
        std::int16_t sample;
        float gain;
        std::int16_t expected;
    } cases[] = {{1000, 1.0f, 1000},        {3, 0.5f, 1},           {-3, 0.5f, -1},
                 {1000, 51.0f, 32767},      {-1000, 51.0f, -32768}, {-32768, 1.0f, -32768},
                 {32767, 1.999999f, 32767}, {12345, 0.0f, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(audio::ApplyGain(c.sample, c.gain), c.expected) << c.sample << " x " << c.gain;
}

TEST(InputCallbackModes, StoppedEndsTheStreamAndMonitoringRecordsNothing) {
    RecordingState state;
    const auto block = CallbackBlock(NoiseFrames(64, 0.5), 0);
    EXPECT_EQ(audio::InputCallback(block.data(), state, false), kCallbackStop);
    state.mode = RecordingMode::Monitoring;
    EXPECT_EQ(audio::InputCallback(block.data(), state, false), kCallbackContinue);
    EXPECT_EQ(state.bytesCaptured, 0u);
}

}  // namespace
