// The slicing jobs with encoding: the steps after each side, what is deleted, the one
// message for failed runs, the encoder precondition and a stop during encoding.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "jobs/Jobs.h"
#include "model/EncoderKind.h"
#include "tests/encode/EncodeJobContext.h"
#include "tests/encode/TestEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;
constexpr int kOggVorbis = static_cast<int>(EncoderKind::OggVorbis);

class EncodeJobsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* side : {"a", "b"}) {
            fs::create_directory(dir / side);
            ASSERT_TRUE(WriteWav(dir / side + "/side.wav", NoiseFrames(44100 * 6, 0.3)));
        }
        ctx.sidePaths = {"", dir / "a/side.wav", dir / "b/side.wav"};
        // Markers: side 1 cut at 2 s and 4 s (three slices), side 2 at 3 s (two slices).
        ctx.sides[1].cuts[0] = 20;
        ctx.sides[1].cuts[1] = 40;
        ctx.sides[1].cutCount = 2;
        ctx.sides[2].cuts[0] = 30;
        ctx.sides[2].cutCount = 1;
        ctx.wavesDrawn = true;
        ctx.createEncoded = ctx.deleteSlices = true;
        ctx.voiceAfterSlicing = ctx.voiceAfterEncoding = true;
        ctx.encoderKind = kOggVorbis;
        ctx.encoderPath = FAKE_ENCODER_PATH;
    }
    bool Exists(const std::string& name) const { return fs::exists(dir / name); }
    // What the marker job leaves with slice 2's run failing: every other slice encoded and
    // deleted, slice 2 kept and no output of its run.
    void ExpectMarkerJobFiles() const {
        for (const char* name : {"a/A1.ogg", "a/A3.ogg", "b/B1.ogg", "b/B2.ogg", "a/2.wav"})
            EXPECT_TRUE(Exists(name)) << name;
        for (const char* name : {"a/1.wav", "a/3.wav", "b/4.wav", "b/5.wav", "a/A2.ogg"})
            EXPECT_FALSE(Exists(name)) << name;
    }

    TempDir dir;
    EncodeJobContext ctx;
    ScopedEnv log{"FAKE_ENCODER_LOG", dir / "runs.log"};
    ScopedEnv fail{"FAKE_ENCODER_FAIL", "2.wav"};
};

TEST_F(EncodeJobsTest, MarkerJobDeletesOnlyEncodedSlicesAtTheEndAndReportsFailuresOnce) {
    const JobReport report = jobs::RunJob(SliceJob::SliceByMarkers, ctx);
    ASSERT_FALSE(report.stopped);
    EXPECT_EQ(ctx.Events("voice:"),
              (Strings{"wavside1.wav", "mp3side1.wav", "wavside2.wav", "mp3side2.wav"}));
    ExpectMarkerJobFiles();
    const Strings messages = ctx.Events("message:");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Encoding failed|1 slice could not be encoded by ", 0), 0u);
    EXPECT_EQ(ctx.Events("encoding failed:").size(), 1u);
    // Side 2: 50 + (50 * 3 + 50 * i) / 5.
    EXPECT_EQ(ctx.EncodingGauge(), (std::vector<int>{0, 16, 33, 50, 90, 100}));
}

TEST_F(EncodeJobsTest, AutoOrTypedJobNamesOggBySliceNumberAndDeletesPerSide) {
    ctx.cutsHow = 1;  // typed times
    ctx.typedTimes[0] = "0.2";
    ctx.typedTimes[10] = "0.3";
    jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    for (const char* name : {"a/1.ogg", "b/3.ogg", "b/4.ogg", "a/2.wav"})
        EXPECT_TRUE(Exists(name)) << name;
    for (const char* name : {"a/1.wav", "b/3.wav", "b/4.wav"}) EXPECT_FALSE(Exists(name)) << name;
    EXPECT_EQ(ctx.Events("message:").size(), 1u);
}

TEST_F(EncodeJobsTest, NothingIsDeletedWithoutEncoding) {
    ctx.createEncoded = false;
    jobs::RunJob(SliceJob::SliceByMarkers, ctx);
    for (const char* name : {"a/1.wav", "a/2.wav", "a/3.wav", "b/4.wav", "b/5.wav"})
        EXPECT_TRUE(Exists(name)) << name;
    EXPECT_EQ(ctx.Events("voice:"), (Strings{"wavside1.wav", "wavside2.wav"}));
    EXPECT_FALSE(Exists("runs.log"));
}

TEST_F(EncodeJobsTest, StopDuringEncodingEndsTheJobWithoutDeletingOrReporting) {
    ctx.onGauge = [](FakeJobContext& c, Gauge gauge, int value) {
        if (gauge == Gauge::Encoding && value > 0) c.destroy = true;
    };
    const JobReport report = jobs::RunJob(SliceJob::SliceByMarkers, ctx);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(ReadRuns(dir / "runs.log").size(), 2u);  // the run after the first gauge step
    EXPECT_TRUE(Exists("a/1.wav"));
    EXPECT_TRUE(ctx.Events("message:").empty());
    EXPECT_EQ(ctx.Events("voice:"), Strings{"wavside1.wav"});
    EXPECT_FALSE(ctx.slicing);
}

// Four runs at once, ending out of order (the first slice's run is slow): the files, the one
// message and the gauge are those of one run at a time; each side's gauge reaches its end
// once, and its voice message comes after all its runs.
TEST_F(EncodeJobsTest, RunsAtOnceEndLikeOneAfterTheOther) {
    ctx.encoderRuns = 4;
    ScopedEnv slow{"FAKE_ENCODER_SLOW", "1.wav"};
    ScopedEnv slowMs{"FAKE_ENCODER_SLOW_MS", "300"};
    const JobReport report = jobs::RunJob(SliceJob::SliceByMarkers, ctx);
    ASSERT_FALSE(report.stopped);
    ExpectMarkerJobFiles();
    const Strings messages = ctx.Events("message:");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("1 slice could not be encoded"), std::string::npos);
    EXPECT_NE(messages[0].find(dir / "a/2.wav"), std::string::npos);
    EXPECT_EQ(ctx.EncodingGauge(), (std::vector<int>{0, 16, 33, 50, 90, 100}));
    const Strings voices = ctx.Events("voice:");
    const auto at = [&](const char* name) {
        return std::find(voices.begin(), voices.end(), name) - voices.begin();
    };
    EXPECT_EQ(voices.size(), 4u);
    EXPECT_LT(at("wavside1.wav"), at("mp3side1.wav"));
    EXPECT_LT(at("mp3side1.wav"), at("mp3side2.wav"));
    EXPECT_LT(at("wavside2.wav"), at("mp3side2.wav"));
}

// Stop while four encoders run: no run starts after the stop is seen, the running ones are
// waited for, so every file they write is whole and no encoder process is left.
TEST_F(EncodeJobsTest, StopWhileRunsAtOnceLeavesWholeFilesAndNoEncoder) {
    ctx.encoderRuns = 4;
    ctx.sidePaths[2].clear();
    for (int k = 0; k < 5; ++k) ctx.sides[1].cuts[k] = 10 * (k + 1);  // six slices
    ctx.sides[1].cutCount = 5;
    ScopedEnv noFailure{"FAKE_ENCODER_FAIL", nullptr};
    ScopedEnv slow{"FAKE_ENCODER_SLOW_MS", "300"};
    // Stop after the first gauge step: runs 1 to 4 were going, one more starts in the place
    // of the one that ended, and the next end shows the stop.
    ctx.onGauge = [](FakeJobContext& c, Gauge gauge, int value) {
        if (gauge == Gauge::Encoding && value > 0) c.destroy = true;
    };
    const JobReport report = jobs::RunJob(SliceJob::SliceByMarkers, ctx);
    EXPECT_TRUE(report.stopped);
    const std::vector<RecordedRun> runs = ReadRuns(dir / "runs.log");
    EXPECT_EQ(runs.size(), 5u);
    for (const RecordedRun& run : runs) {
        const std::string input = run.argv.back();
        const std::string output = run.argv[run.argv.size() - 2];
        EXPECT_EQ(ReadFileBytes(output), "encoded " + input + "\n") << output;
    }
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);  // no child process, running or ended
    EXPECT_EQ(errno, ECHILD);
    for (int n = 1; n <= 6; ++n) EXPECT_TRUE(Exists("a/" + std::to_string(n) + ".wav")) << n;
    EXPECT_TRUE(ctx.Events("message:").empty());
    EXPECT_FALSE(ctx.slicing);
}

TEST_F(EncodeJobsTest, MissingEncoderOnlyWhenNoneCanBeFound) {
    const std::string bin = dir / "bin";
    fs::create_directory(bin);
    fs::create_directory(dir / "home");
    ScopedEnv home{"VELVANE_HOME", dir / "home"};
    ScopedEnv path{"PATH", bin};
    ctx.encoderPath.clear();
    EXPECT_TRUE(jobs::RunJob(SliceJob::SliceByMarkers, ctx).refused);  // no oggenc anywhere
    fs::copy_file(FAKE_ENCODER_PATH, bin + "/oggenc");
    EXPECT_FALSE(jobs::RunJob(SliceJob::SliceByMarkers, ctx).refused);
    EXPECT_TRUE(Exists("a/A1.ogg"));
    ctx.encoderKind = static_cast<int>(EncoderKind::FastEnc);
    EXPECT_TRUE(jobs::RunJob(SliceJob::SliceByMarkers, ctx).refused);
    EXPECT_EQ(ctx.Events("message:Missing encoder!").size(), 2u);
}

}  // namespace
