// The slicing jobs with encoding: the steps after each side, what is deleted, the one
// message for failed runs, the encoder precondition and a stop during encoding.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "EncodeJobContext.h"
#include "TestEnv.h"
#include "engine/EncoderKind.h"
#include "engine/Jobs.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;
constexpr int kOgg = static_cast<int>(EncoderKind::OggVorbis);

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
        ctx.encoderKind = kOgg;
        ctx.encoderPath = FAKE_ENCODER_PATH;
    }
    bool Exists(const std::string& name) const { return fs::exists(dir / name); }

    TempDir dir;
    EncodeJobContext ctx;
    ScopedEnv log{"FAKE_ENCODER_LOG", dir / "runs.log"};
    ScopedEnv fail{"FAKE_ENCODER_FAIL", "2.wav"};
};

TEST_F(EncodeJobsTest, MarkerJobDeletesOnlyEncodedSlicesAtTheEndAndReportsFailuresOnce) {
    const JobReport report = RunJob(SliceJob::SliceByMarkers, ctx);
    ASSERT_FALSE(report.stopped);
    EXPECT_EQ(ctx.Events("voice:"),
              (Strings{"wavside1.wav", "mp3side1.wav", "wavside2.wav", "mp3side2.wav"}));
    for (const char* name : {"a/A1.ogg", "a/A3.ogg", "b/B1.ogg", "b/B2.ogg", "a/2.wav"})
        EXPECT_TRUE(Exists(name)) << name;
    for (const char* name : {"a/1.wav", "a/3.wav", "b/4.wav", "b/5.wav", "a/A2.ogg"})
        EXPECT_FALSE(Exists(name)) << name;
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
    RunJob(SliceJob::SliceAutoOrTyped, ctx);
    for (const char* name : {"a/1.ogg", "b/3.ogg", "b/4.ogg", "a/2.wav"})
        EXPECT_TRUE(Exists(name)) << name;
    for (const char* name : {"a/1.wav", "b/3.wav", "b/4.wav"}) EXPECT_FALSE(Exists(name)) << name;
    EXPECT_EQ(ctx.Events("message:").size(), 1u);
}

TEST_F(EncodeJobsTest, NothingIsDeletedWithoutEncoding) {
    ctx.createEncoded = false;
    RunJob(SliceJob::SliceByMarkers, ctx);
    for (const char* name : {"a/1.wav", "a/2.wav", "a/3.wav", "b/4.wav", "b/5.wav"})
        EXPECT_TRUE(Exists(name)) << name;
    EXPECT_EQ(ctx.Events("voice:"), (Strings{"wavside1.wav", "wavside2.wav"}));
    EXPECT_FALSE(Exists("runs.log"));
}

TEST_F(EncodeJobsTest, StopDuringEncodingEndsTheJobWithoutDeletingOrReporting) {
    ctx.onGauge = [](FakeJobContext& c, Gauge gauge, int value) {
        if (gauge == Gauge::Encoding && value > 0) c.destroy = true;
    };
    const JobReport report = RunJob(SliceJob::SliceByMarkers, ctx);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(ReadRuns(dir / "runs.log").size(), 2u);  // the run after the first gauge step
    EXPECT_TRUE(Exists("a/1.wav"));
    EXPECT_TRUE(ctx.Events("message:").empty());
    EXPECT_EQ(ctx.Events("voice:"), Strings{"wavside1.wav"});
    EXPECT_FALSE(ctx.slicing);
}

TEST_F(EncodeJobsTest, MissingEncoderOnlyWhenNoneCanBeFound) {
    const std::string bin = dir / "bin";
    fs::create_directory(bin);
    fs::create_directory(dir / "home");
    ScopedEnv home{"VELVANE_HOME", dir / "home"};
    ScopedEnv path{"PATH", bin};
    ctx.encoderPath.clear();
    EXPECT_TRUE(RunJob(SliceJob::SliceByMarkers, ctx).refused);  // no oggenc anywhere
    fs::copy_file(FAKE_ENCODER_PATH, bin + "/oggenc");
    EXPECT_FALSE(RunJob(SliceJob::SliceByMarkers, ctx).refused);
    EXPECT_TRUE(Exists("a/A1.ogg"));
    ctx.encoderKind = static_cast<int>(EncoderKind::FastEnc);
    EXPECT_TRUE(RunJob(SliceJob::SliceByMarkers, ctx).refused);
    EXPECT_EQ(ctx.Events("message:Missing encoder!").size(), 2u);
}

}  // namespace
