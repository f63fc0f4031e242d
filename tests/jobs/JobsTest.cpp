#include "jobs/Jobs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/jobs/FakeJobContext.h"
#include "tests/support/Reference.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Four songs of 25 s between gaps of hiss: auto sense cuts it into four slices.
const std::vector<Frame>& SongSide() {
    static const std::vector<Frame> side = [] {
        std::vector<ref::Stretch> stretches = {{1.0, 0.002}};
        for (int song = 0; song < 4; ++song) {
            stretches.push_back({25.0, 0.5});
            stretches.push_back({3.0, 0.002});
        }
        return ref::MakeSide(stretches, 31);
    }();
    return side;
}

class JobsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::create_directory(dir / "a"));
        ASSERT_TRUE(fs::create_directory(dir / "b"));
    }
    void Side(int side, const std::string& path, const std::vector<Frame>& frames) {
        ASSERT_TRUE(WriteWav(path, frames));
        ctx.sidePaths[side] = path;
    }
    void Typed(int side, Strings times) {
        for (std::size_t i = 0; i < times.size(); ++i)
            ctx.typedTimes[(side - 1) * 10 + i] = times[i];
    }
    TempDir dir;
    FakeJobContext ctx;
};

TEST_F(JobsTest, MissingFilesAndEncoder) {
    EXPECT_TRUE(jobs::RunJob(SliceJob::DrawWaveforms, ctx).refused);
    EXPECT_TRUE(jobs::RunJob(SliceJob::SliceByMarkers, ctx).refused);
    EXPECT_FALSE(jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx).refused);  // ends silently
    Side(1, dir / ("a/" + std::string("side.wav")), NoiseFrames(44100, 0.5));
    ctx.createEncoded = true;
    EXPECT_TRUE(jobs::RunJob(SliceJob::SliceByMarkers, ctx).refused);
    EXPECT_EQ(
        ctx.Events("message:"),
        (Strings{"Missing files!|You need to record or locate at least one file before "
                 "drawing.\nPlease click on the Rec.. or Locate... buttons for side 1 or 2.\n",
                 "Missing files!|You need to record or locate at least one file before "
                 "slicing.\nPlease click on some of the Rec.. or Locate... buttons.\n",
                 "Missing encoder!|You have selected MP3 or Ogg encoding but haven't located "
                 "an encoder. \nPlease click on Locate encoder... or deselect MP3/Ogg "
                 "creation.\n"}));
    EXPECT_EQ(ctx.Events("status:"), Strings{});
    EXPECT_FALSE(fs::exists(dir / ("a/" + std::string("1.wav"))));
}

TEST_F(JobsTest, DrawWaveformsLeavesAutoSenseCutsAsMarkers) {
    Side(2, dir / ("b/" + std::string("side.wav")), SongSide());
    ctx.silenceText = "";
    ctx.sides[1].cutCount = 3;
    ctx.sides[2].cuts.fill(7);  // old markers everywhere
    ctx.sides[2].cutCount = 512;
    Typed(2, {"0.10"});
    const JobReport report = jobs::RunJob(SliceJob::DrawWaveforms, ctx);
    EXPECT_FALSE(report.stopped);
    EXPECT_TRUE(ctx.wavesDrawn);
    EXPECT_EQ(ctx.Events("silence:"), Strings{"2"});
    EXPECT_EQ(ctx.Events("status:"), (Strings{"Analyzing volume on side 2...", "Finished."}));
    EXPECT_EQ(ctx.sides[1].cutCount, 0u);
    const SideState& two = ctx.sides[2];
    EXPECT_EQ(two.levelCount, (SongSide().size() - 1) / 4410 + 1);
    ASSERT_EQ(two.cutCount, 3u);
    EXPECT_NE(two.cuts[0], 100);  // the auto-sense cuts, not the typed time
    for (std::size_t i = 3; i < kMaxCuts; ++i) ASSERT_EQ(two.cuts[i], 0) << i;
    // Only side 2 present: its analysis used the whole gauge.
    EXPECT_EQ(ctx.gauges.back().second, 99);
    EXPECT_EQ(ctx.events.back(), "refresh");
}

TEST_F(JobsTest, AutoSenseNumbersAcrossSidesAndReplacesTheCutTable) {
    Side(1, dir / ("a/" + std::string("side.wav")), SongSide());
    Side(2, dir / ("b/" + std::string("side.wav")), SongSide());
    ctx.sides[1].cuts.fill(9);
    ctx.voiceAfterSlicing = true;
    const JobReport report = jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    EXPECT_EQ(ctx.Events("status:"),
              (Strings{"Analyzing volume on side 1...", "Slicing side 1 according to volume...",
                       "Analyzing volume on side 2...", "Slicing side 2 according to volume...",
                       "Finished."}));
    EXPECT_EQ(ctx.Events("voice:"), (Strings{"wavside1.wav", "wavside2.wav"}));
    ASSERT_EQ(report.sides[0].slices, 4u);
    ASSERT_EQ(report.sides[1].slices, 4u);
    for (const char* name : {"1.wav", "2.wav", "3.wav", "4.wav"})
        EXPECT_TRUE(ref::ReadSlice(dir / ("a/" + std::string(name)))) << name;
    for (const char* name : {"5.wav", "6.wav", "7.wav", "8.wav"})
        EXPECT_TRUE(ref::ReadSlice(dir / ("b/" + std::string(name)))) << name;
    EXPECT_FALSE(fs::exists(dir / ("b/" + std::string("1.wav"))));
    EXPECT_EQ(ctx.sides[1].cutCount, 3u);
    for (std::size_t i = 3; i < kMaxCuts; ++i) ASSERT_EQ(ctx.sides[1].cuts[i], 0) << i;
    EXPECT_FALSE(ctx.slicing);
    EXPECT_EQ(ctx.Events("message:"), Strings{});
}

TEST_F(JobsTest, TypedTimesFirstNumberSixAndOneMessageForSidesWithoutSlices) {
    Side(1, dir / ("a/" + std::string("side.wav")), NoiseFrames(44100 * 10, 0.3));
    Typed(1, {"0.1", "0.2", "", "0.3", "0.4"});
    Typed(2, {"1"});
    ctx.cutsHow = 1;
    ctx.sidePaths[2] = dir / ("b/" + std::string("missing.wav"));
    JobReport report = jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    EXPECT_EQ(report.sides[0].slices, 5u);
    EXPECT_EQ(report.sides[1].firstNumber, 6);
    EXPECT_EQ(report.sides[1].reason, "unreadable file");

    Typed(1, {"", "", "", "", ""});
    Side(2, dir / ("b/" + std::string("side.wav")), NoiseFrames(44100 * 3, 0.3));
    ctx.events.clear();
    report = jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    EXPECT_EQ(report.sides[1].firstNumber, 1);
    EXPECT_EQ(ctx.Events("status:"),
              (Strings{"Slicing side 1 according to entered values...",
                       "Slicing side 2 according to entered values...", "Finished."}));
    EXPECT_EQ(ctx.Events("message:"),
              Strings{"No slices|No slices were made for side 1 (no typed times)."});
    EXPECT_EQ(ctx.events.end()[-4],
              "message:No slices|No slices were made for side 1 (no typed "
              "times).");  // before "Finished."

    ctx.sidePaths[2] = dir / ("b/" + std::string("missing.wav"));
    ctx.events.clear();
    jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    EXPECT_EQ(ctx.Events("message:"),
              Strings{"No slices|No slices were made for side 1 (no typed times) and side 2 "
                      "(unreadable file)."});
}

TEST_F(JobsTest, MarkerJobUsesTheCutTableAndDeletesAtTheEnd) {
    Side(1, dir / ("a/" + std::string("side.wav")), NoiseFrames(44100 * 6, 0.3));
    Side(2, dir / ("b/" + std::string("side.wav")), NoiseFrames(44100 * 6, 0.3));
    ctx.sides[1].cuts[0] = 20;
    ctx.sides[1].cuts[1] = 40;
    ctx.sides[1].cutCount = 2;
    ctx.sides[2].cuts[0] = 30;
    ctx.sides[2].cutCount = 1;
    Typed(1, {"0.0.5"});      // not used: the markers are
    ctx.deleteSlices = true;  // without encoding nothing was encoded, so nothing goes
    const JobReport report = jobs::RunJob(SliceJob::SliceByMarkers, ctx);
    EXPECT_EQ(report.sides[0].slices, 3u);
    EXPECT_EQ(report.sides[1].slices, 2u);
    EXPECT_EQ(report.sides[1].firstNumber, 4);
    EXPECT_EQ(ctx.Events("status:"),
              (Strings{"Slicing side 1...", "Slicing side 2...", "Finished."}));
    for (const char* name : {"1.wav", "2.wav", "3.wav"})
        EXPECT_TRUE(fs::exists(dir / ("a/" + std::string(name))));
    for (const char* name : {"4.wav", "5.wav"})
        EXPECT_TRUE(fs::exists(dir / ("b/" + std::string(name))));
    EXPECT_TRUE(fs::exists(dir / ("a/" + std::string("side.wav"))));

    // The auto/typed job deletes only after encoding.
    ctx.cutsHow = 1;
    jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    EXPECT_TRUE(fs::exists(dir / ("a/" + std::string("1.wav"))));
    EXPECT_TRUE(fs::exists(dir / ("a/" + std::string("2.wav"))));  // the typed 0.5 s cut
}

TEST_F(JobsTest, StopDuringSlicingEndsTheJobWithValidFiles) {
    Side(1, dir / ("a/" + std::string("side.wav")), NoiseFrames(44100 * 8, 0.3));
    Side(2, dir / ("b/" + std::string("side.wav")), NoiseFrames(44100 * 8, 0.3));
    Typed(1, {"0.3"});
    Typed(2, {"0.3"});
    ctx.cutsHow = 1;
    ctx.voiceAfterSlicing = true;
    ctx.onGauge = [](FakeJobContext& c, Gauge, int value) {
        if (value >= 20) c.stopRequested = c.destroy = true;
    };
    const JobReport report = jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.sides[0].slices, 0u);
    EXPECT_FALSE(ctx.slicing);
    EXPECT_EQ(ctx.Events("status:"), Strings{"Slicing side 1 according to entered values..."});
    EXPECT_EQ(ctx.Events("message:"), Strings{});
    EXPECT_EQ(ctx.Events("voice:"), Strings{});
    EXPECT_TRUE(
        ref::ReadSlice(dir / ("a/" + std::string("2.wav"))));  // the slice cut short is valid
    EXPECT_FALSE(fs::exists(dir / ("b/" + std::string("3.wav"))));
}

// Stop pressed while side 1's slices are encoded: the encoder loop ends only once the
// thread itself is asked to end, but nothing after it may begin meanwhile (side 2's first
// slice file, the message about failed runs, "Finished.").
TEST_F(JobsTest, StopDuringEncodingBeginsNothingAfterIt) {
    for (const SliceJob job : {SliceJob::SliceAutoOrTyped, SliceJob::SliceByMarkers}) {
        SCOPED_TRACE(static_cast<int>(job));
        Side(1, dir / "a/side.wav", NoiseFrames(44100 * 2, 0.3));
        Side(2, dir / "b/side.wav", NoiseFrames(44100 * 2, 0.3));
        Typed(1, {"0.1"});
        ctx.cutsHow = 1;
        ctx.createEncoded = true;
        ctx.encoderKind = 2;
        ctx.encoderPath = "/bin/true";  // runs, but makes no file: a failed run
        ctx.events.clear();
        ctx.stopRequested = false;
        ctx.onGauge = [](FakeJobContext& c, Gauge gauge, int value) {
            if (gauge == Gauge::Encoding && value > 0) c.stopRequested = true;
        };
        const JobReport report = jobs::RunJob(job, ctx);
        EXPECT_TRUE(report.stopped);
        EXPECT_EQ(report.sides[0].slices, 2u);
        EXPECT_EQ(ctx.Events("message:"), Strings{});
        EXPECT_EQ(ctx.Events("status:").back(), "Converting side 1 slices to MP3/Ogg files...");
        EXPECT_FALSE(fs::exists(dir / "b/3.wav"));
    }
}

TEST_F(JobsTest, StoppedOrFailedAnalysisKeepsPreviousCuts) {
    Side(1, dir / ("a/" + std::string("side.wav")), SongSide());
    ctx.sides[1].cuts[0] = 1234;
    ctx.sides[1].cutCount = 1;
    ctx.sides[1].levelCount = 5;
    ctx.sides[1].levels.assign(5, 0.5f);
    ctx.onGauge = [](FakeJobContext& c, Gauge, int value) {
        if (value >= 10) c.destroy = true;
    };
    const JobReport report = jobs::RunJob(SliceJob::DrawWaveforms, ctx);
    EXPECT_TRUE(report.stopped);
    EXPECT_FALSE(ctx.wavesDrawn);
    EXPECT_EQ(ctx.sides[1].levelCount, 0u);
    EXPECT_EQ(ctx.sides[1].cuts[0], 1234);
    EXPECT_EQ(ctx.Events("status:"), Strings{"Analyzing volume on side 1..."});
}

TEST_F(JobsTest, WriterMessagesComeBeforeFinished) {
    // Side 2's recording is called 1.wav and lies where side 1's slices go.
    Side(1, dir / ("a/" + std::string("side.wav")), NoiseFrames(44100 * 3, 0.3));
    Side(2, dir / ("a/" + std::string("1.wav")), NoiseFrames(44100 * 3, 0.3));
    Typed(1, {"1"});
    Typed(2, {"1"});
    ctx.cutsHow = 1;
    const std::string before = ReadFileBytes(dir / ("a/" + std::string("1.wav")));
    const JobReport report = jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    EXPECT_EQ(report.sides[0].outcome, SliceOutcome::WouldOverwriteSide);
    EXPECT_EQ(ReadFileBytes(dir / ("a/" + std::string("1.wav"))), before);
    const Strings messages = ctx.Events("message:");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("Slicing side 1|", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find(dir / ("a/" + std::string("1.wav"))), std::string::npos);
    EXPECT_EQ(messages[1].rfind("Slicing side 2|", 0), 0u) << messages[1];  // 1.wav is itself
    EXPECT_EQ(ctx.Events("status:").back(), "Finished.");
}

}  // namespace

namespace {

// Smart Sense fills the cut table beyond ten entries, and every job slices at all of them.
TEST_F(JobsTest, SmartSenseCutsEverySongOfALongSide) {
    std::vector<ref::Stretch> stretches = {{1.0, 0.002}};
    for (int song = 0; song < 13; ++song) {
        stretches.push_back({6.0, 0.5});
        stretches.push_back({1.5, 0.002});
    }
    const std::string path = dir / "a/side.wav";
    Side(1, path, ref::MakeSide(stretches, 7));
    ctx.cutsHow = 2;
    ctx.minSongSeconds = 3;
    ctx.silenceText = "";

    jobs::RunJob(SliceJob::DrawWaveforms, ctx);
    const SideState& drawn = ctx.sides[1];
    ASSERT_EQ(drawn.cutCount, 12u);
    for (std::uint32_t k = 0; k < 12; ++k)  // the middle of the gap after song k + 1
        EXPECT_NEAR(drawn.cuts[k], 77.5 + 75 * k, 3) << k;
    EXPECT_EQ(drawn.cuts[12], 0);
    EXPECT_EQ(ctx.silenceText, "");  // Smart Sense needs no silence length

    jobs::RunJob(SliceJob::SliceByMarkers, ctx);
    EXPECT_TRUE(fs::exists(dir / "a/13.wav"));
    EXPECT_FALSE(fs::exists(dir / "a/14.wav"));

    ctx.songCounts[1] = 4;
    ctx.outputFolders[1] = dir / "b";
    jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    EXPECT_TRUE(fs::exists(dir / "b/4.wav"));
    EXPECT_FALSE(fs::exists(dir / "b/5.wav"));
    EXPECT_EQ(ctx.Events("message:"), Strings{});

    // More songs than the side can hold: the user is told how many cuts could be placed.
    ctx.songCounts[1] = 60;
    ctx.outputFolders[1] = dir / "c";
    jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    const Strings messages = ctx.Events("message:Smart Sense|Side 1: ");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("cuts placed"), std::string::npos) << messages[0];
}

// A side that never falls silent: Auto Sense finds nothing, and the message points to
// Smart Sense, which is made for such records.
TEST_F(JobsTest, AutoSenseWithoutASilentPassagePointsToSmartSense) {
    Side(1, dir / "a/side.wav", NoiseFrames(44100 * 30, 0.3));
    jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    const Strings messages = ctx.Events("message:No slices|");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("No slices were made for side 1 (no silent passage found).", 0),
              0u);
    EXPECT_NE(messages[0].find("choose \"Smart Sense\""), std::string::npos);
}

TEST(ReadTypedCutList, TakesEachSidesTenFields) {
    FakeJobContext ctx;
    ctx.typedTimes[0] = "3.20.5";
    ctx.typedTimes[2] = "7.02";
    ctx.typedTimes[9] = "1";
    ctx.typedTimes[10] = "0.0.5";
    const TypedCutList one = jobs::ReadTypedCutList(ctx, Side::One);
    const TypedCutList two = jobs::ReadTypedCutList(ctx, Side::Two);
    EXPECT_EQ(one, (TypedCutList{2005, 0, 4220, 0, 0, 0, 0, 0, 0, 10}));
    EXPECT_EQ(two, (TypedCutList{5, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace

namespace {

// A typed time that is not a time stops a slicing job that would cut at it before any file is
// written; a job that does not cut at typed times goes on.
TEST_F(JobsTest, TypedTimesThatAreNotTimesRefuseTheJob) {
    Side(1, dir / "a/side.wav", NoiseFrames(44100 * 3, 0.3));
    Side(2, dir / "b/side.wav", NoiseFrames(44100 * 3, 0.3));
    Typed(1, {"0:01", "", "6 34"});
    Typed(2, {"abc"});
    ctx.cutsHow = 1;
    for (const SliceJob job : {SliceJob::SliceAutoOrTyped, SliceJob::SliceByMarkers}) {
        ctx.events.clear();
        const JobReport report = jobs::RunJob(job, ctx);
        EXPECT_TRUE(report.refused && report.typedTimesRefused);
        EXPECT_EQ(ctx.Events("message:"),
                  Strings{"Typed times|side 1, box 3: \"6 34\" is not a time; write "
                          "min.sec.dsec, m:ss, m:ss.d or h:mm:ss\nside 2, box 1: \"abc\" is "
                          "not a time; write min.sec.dsec, m:ss, m:ss.d or h:mm:ss"});
        EXPECT_EQ(ctx.Events("status:"), Strings{});
        EXPECT_FALSE(fs::exists(dir / "a/1.wav") || fs::exists(dir / "b/1.wav"));
    }
    ctx.cutsHow = 0;  // markers: the typed fields are not read
    ctx.sides[1].cuts[0] = 10;
    ctx.sides[1].cutCount = 1;
    EXPECT_FALSE(jobs::RunJob(SliceJob::SliceByMarkers, ctx).refused);
    EXPECT_TRUE(fs::exists(dir / "a/2.wav"));
}

// The window's marker job cuts at a side's first ten markers; a front end that counts
// every marker gets a slice per marker.
TEST_F(JobsTest, MarkersCountedDecideTheSlices) {
    Side(1, dir / "a/side.wav", NoiseFrames(44100 * 14, 0.3));
    for (int k = 0; k < 12; ++k) ctx.sides[1].cuts[k] = 10 * (k + 1);
    ctx.sides[1].cutCount = 12;
    EXPECT_EQ(jobs::RunJob(SliceJob::SliceByMarkers, ctx).sides[0].slices, 11u);
    ctx.markersCounted = kMaxCuts;
    EXPECT_EQ(jobs::RunJob(SliceJob::SliceByMarkers, ctx).sides[0].slices, 13u);
}

// Titles that do not match the slices are told in the final status; matching ones are not.
TEST_F(JobsTest, FinalStatusCountsTitlesThatDoNotMatchTheSlices) {
    Side(1, dir / "a/side.wav", NoiseFrames(44100 * 4, 0.3));
    Typed(1, {"1", "2", "3"});
    ctx.cutsHow = 1;
    const std::pair<std::vector<TrackInfo>, std::string> cases[] = {
        {{{"a", ""}, {"b", ""}, {"", ""}}, "Finished. Side 1: 2 titles given for 4 slices."},
        {{{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}, {"e", ""}},
         "Finished. Side 1: 5 titles given for 4 slices."},
        {{{"a", ""}, {"", ""}, {"", ""}, {"d", ""}}, "Finished."},
    };
    for (const auto& [titles, status] : cases) {
        ctx.album.sides[0] = titles;
        ctx.events.clear();
        jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
        EXPECT_EQ(ctx.Events("status:").back(), status);
    }
}

// With Repair on, the final status counts the clicks repaired in each slice; off, it is as
// it always was.
TEST_F(JobsTest, FinalStatusCountsTheClicksRepairedPerSlice) {
    Side(1, dir / "a/side.wav", ClickedSineFrames(44100 * 4, 44100 * 2 + 200));
    Typed(1, {"1", "2", "3"});
    ctx.cutsHow = 1;
    for (const auto& [level, status] :
         {std::pair{2, "Finished. Side 1: clicks repaired per slice: 0, 0, 1, 0."},
          std::pair{0, "Finished."}}) {
        ctx.repairLevel = level;
        ctx.events.clear();
        jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
        EXPECT_EQ(ctx.Events("status:").back(), status);
    }
}

}  // namespace
