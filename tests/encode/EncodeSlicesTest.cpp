// EncodeSlices over the test encoder: the runs it starts, where, the gauge, stops,
// failures and what may be deleted afterwards.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "encode/Encoder.h"
#include "encode/EncodingQueue.h"
#include "jobs/FinishSide.h"
#include "platform/Paths.h"
#include "tests/encode/EncodeJobContext.h"
#include "tests/encode/TestEnv.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;
constexpr int kL3Enc = static_cast<int>(EncoderKind::L3Enc);
constexpr int kBlade = static_cast<int>(EncoderKind::BladeEnc);
constexpr int kOgg = static_cast<int>(EncoderKind::OggVorbis);
constexpr int kFastEnc = static_cast<int>(EncoderKind::FastEnc);
constexpr int kLame = static_cast<int>(EncoderKind::Lame);
constexpr int kFlac = static_cast<int>(EncoderKind::Flac);

class EncodeSlicesTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directory(folder); }

    void MakeSlices(int first, int count) {
        for (int n = first; n < first + count; ++n) ASSERT_TRUE(WriteFileBytes(Slice(n), "RIFF"));
    }
    std::string Slice(int number) const {
        return platform::JoinPath(folder, std::to_string(number) + ".wav");
    }
    std::string In(const std::string& name) const { return platform::JoinPath(folder, name); }
    /// Makes slices 1..count and encodes them as side 1 of the auto-sense job.
    SideEncodeResult EncodeSide1(int count) {
        MakeSlices(1, count);
        return jobs::EncodeSlices(ctx, {Side::One, folder, 1, count, false},
                                  EncodeNaming::AutoOrTyped, tally);
    }
    /// The test encoder copied to `path` (folders made as needed).
    static void InstallEncoder(const std::string& path) {
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(FAKE_ENCODER_PATH, path);
    }

    TempDir dir;
    std::string folder = dir / "rec";
    std::string log = dir / "runs.log";
    ScopedEnv logEnv{"FAKE_ENCODER_LOG", log};
    ScopedEnv failEnv{"FAKE_ENCODER_FAIL", nullptr};
    ScopedEnv noOutputEnv{"FAKE_ENCODER_NO_OUTPUT", nullptr};
    ScopedEnv emptyEnv{"FAKE_ENCODER_EMPTY", nullptr};
    ScopedEnv failLateEnv{"FAKE_ENCODER_FAIL_LATE", nullptr};
    EncodeJobContext ctx;
    EncodeTally tally;
};

TEST_F(EncodeSlicesTest, RunsEachSliceInTheEncodersFolderWithItsArguments) {
    const std::string encoder = FAKE_ENCODER_PATH;
    constexpr auto kAuto = EncodeNaming::AutoOrTyped;
    constexpr auto kMarkers = EncodeNaming::Markers;
    const struct {
        int kind;
        EncodeNaming naming;
        int rateId;
        SideSlices slices;        // folder filled in below
        std::vector<Args> tails;  // each run's argv after argv[0], "@" = the folder
    } cases[] = {
        // clang-format off
        // Side 2 with three slices after five on side 1, at 192 kbit/s.
        {kBlade, kAuto, 204, {Side::Two, "", 6, 3, true}, {{"@6.wav", "@B1.mp3", "-br", "192000"},
                                                   {"@7.wav", "@B2.mp3", "-br", "192000"},
                                                   {"@8.wav", "@B3.mp3", "-br", "192000"}}},
        {kBlade, kMarkers, 202, {Side::One, "", 1, 1, true}, {{"@1.wav", "@A1.mp3", "-br", "128000"}}},
        {kL3Enc, kMarkers, 203, {Side::One, "", 1, 1, false},
         {{"@1.wav", "@A1.mp3", "-br", "160000", "-hq", "-sr", "44100"}}},
        {kFastEnc, kAuto, 202, {Side::Two, "", 7, 1, true},
         {{"@7.wav", "@B1.mp3", "-br", "128000", "-hq", "-sr", "44100"}}},
        // Ogg files by slice number in the auto-sense job, by side and index with markers.
        {kOgg, kAuto, 202, {Side::Two, "", 6, 2, true}, {{"-b", "128", "-o", "@6.ogg", "@6.wav"},
                                                 {"-b", "128", "-o", "@7.ogg", "@7.wav"}}},
        {kOgg, kMarkers, 200, {Side::One, "", 1, 1, true}, {{"-b", "96", "-o", "@A1.ogg", "@1.wav"}}},
        {kOgg, kMarkers, 206, {Side::Two, "", 4, 1, true}, {{"-b", "320", "-o", "@B1.ogg", "@4.wav"}}},
        {kLame, kAuto, 201, {Side::Two, "", 3, 1, true}, {{"-b", "112", "@3.wav", "@B1.mp3"}}},
        {kLame, kMarkers, 202, {Side::One, "", 1, 1, false}, {{"-b", "128", "@1.wav", "@A1.mp3"}}},
        {kFlac, kAuto, 202, {Side::One, "", 1, 1, false}, {{"--silent", "-f", "-o", "@1.flac", "@1.wav"}}},
        {kFlac, kMarkers, 205, {Side::Two, "", 3, 1, true},
         {{"--silent", "-f", "-o", "@B1.flac", "@3.wav"}}},
        // clang-format on
    };
    const std::string callerCwd = fs::current_path().string();
    for (const auto& c : cases) {
        fs::remove(log);
        ctx.encoderKind = c.kind;
        ctx.rateId = c.rateId;
        ctx.encoderPath = encoder;
        SideSlices slices = c.slices;
        slices.folder = folder;
        MakeSlices(slices.firstNumber, slices.count);

        const SideEncodeResult result = jobs::EncodeSlices(ctx, slices, c.naming, tally);

        const std::vector<RecordedRun> runs = ReadRuns(log);
        ASSERT_EQ(runs.size(), c.tails.size()) << c.kind;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            Args expected = {encoder};
            for (const std::string& arg : c.tails[i])
                expected.push_back(arg[0] == '@' ? In(arg.substr(1)) : arg);
            EXPECT_EQ(runs[i].argv, expected);
            EXPECT_EQ(runs[i].cwd, platform::SplitDirectory(encoder));
            for (const std::string& arg : expected) {
                const std::string extension = fs::path(arg).extension().string();
                if (extension == ".mp3" || extension == ".ogg" || extension == ".flac") {
                    EXPECT_TRUE(fs::exists(arg)) << arg;
                }
            }
        }
        EXPECT_EQ(result.encoded.size(), c.tails.size());
        EXPECT_FALSE(result.stopped);
        EXPECT_EQ(tally.failedSlices, 0);
        EXPECT_EQ(fs::current_path().string(), callerCwd);
    }
    const std::vector<std::string> statuses = ctx.Events("status:");
    EXPECT_EQ(statuses.front(), "Converting side 2 slices to MP3/Ogg files...");
    EXPECT_EQ(statuses[2], "Converting side 1 slices to MP3/Ogg files...");
}

TEST_F(EncodeSlicesTest, GaugeFollowsTheSideAndTheOtherSidesSlices) {
    const struct {
        SideSlices slices;
        std::vector<int> gauge;
    } cases[] = {
        {{Side::One, "", 1, 3, false}, {33, 66, 100}},
        {{Side::One, "", 1, 5, true}, {10, 20, 30, 40, 50}},
        {{Side::Two, "", 6, 3, true}, {87, 93, 100}},  // 50 + (50*5 + 50*i) / 8
        {{Side::Two, "", 1, 3, true}, {66, 83, 100}},  // side 1 made no slices
        {{Side::Two, "", 1, 3, false}, {33, 66, 100}},
        {{Side::One, "", 1, 0, true}, {}},
    };
    for (const auto& c : cases) {
        ctx.gauges.clear();
        ctx.encoderKind = -1;  // no encoder chosen: the loop still runs, without runs
        SideSlices slices = c.slices;
        slices.folder = folder;
        const SideEncodeResult result =
            jobs::EncodeSlices(ctx, slices, EncodeNaming::Markers, tally);
        EXPECT_EQ(ctx.EncodingGauge(), c.gauge);
        EXPECT_TRUE(result.encoded.empty());
    }
    EXPECT_FALSE(fs::exists(log));
    EXPECT_EQ(ctx.destroyChecks, 17);  // one stop check per slice
}

TEST_F(EncodeSlicesTest, ReadsTheEncoderKindForEachSlice) {
    ctx.kindsPerRead = {kOgg, -1, kBlade};
    ctx.encoderPath = FAKE_ENCODER_PATH;
    const SideEncodeResult result = EncodeSide1(3);
    const std::vector<RecordedRun> runs = ReadRuns(log);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].argv[1], "-b");
    EXPECT_EQ(runs[1].argv[1], Slice(3));
    EXPECT_EQ(result.encoded, (std::vector<int>{1, 3}));
}

TEST_F(EncodeSlicesTest, StopIsSeenAfterTheRunningEncoderEnds) {
    ctx.encoderKind = kBlade;
    ctx.encoderPath = FAKE_ENCODER_PATH;
    ctx.destroyOnCheck = 1;
    const SideEncodeResult result = EncodeSide1(3);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(ReadRuns(log).size(), 1u);
    EXPECT_EQ(result.encoded, std::vector<int>{1});
    EXPECT_EQ(ctx.Events("slicing:"), std::vector<std::string>{"off"});
    EXPECT_TRUE(ctx.EncodingGauge().empty());
}

TEST_F(EncodeSlicesTest, FailedRunsAreCountedOnceAndOnlyEncodedSlicesAreDeleted) {
    ctx.encoderKind = kBlade;
    ctx.encoderPath = FAKE_ENCODER_PATH;
    // Outputs left by an earlier run: they count only when this run replaces them.
    ASSERT_TRUE(WriteFileBytes(In("A1.mp3"), "old"));
    ASSERT_TRUE(WriteFileBytes(In("A5.mp3"), "old"));
    ScopedEnv fail{"FAKE_ENCODER_FAIL", "2.wav"};
    ScopedEnv noOutput{"FAKE_ENCODER_NO_OUTPUT", "3.wav,5.wav"};
    ScopedEnv empty{"FAKE_ENCODER_EMPTY", "4.wav"};

    SideEncodeResult result = EncodeSide1(5);
    EXPECT_EQ(result.encoded, std::vector<int>{1});
    EXPECT_EQ(tally.failedSlices, 4);
    EXPECT_EQ(tally.failureReason, "exit status 3");
    EXPECT_EQ(tally.encoder, FAKE_ENCODER_PATH);
    EXPECT_EQ(ReadFileBytes(In("A1.mp3")), "encoded " + Slice(1) + "\n");
    EXPECT_EQ(ReadFileBytes(In("A5.mp3")), "old");  // put back, as this run made none
    EXPECT_FALSE(fs::exists(In("A1.mp3.velvane-earlier")));
    EXPECT_FALSE(fs::exists(In("A5.mp3.velvane-earlier")));

    // A second side adds to the same tally; the first failure stays the one reported.
    ctx.encoderPath = dir / "no such encoder";
    MakeSlices(6, 1);
    result =
        jobs::EncodeSlices(ctx, {Side::Two, folder, 6, 1, true}, EncodeNaming::AutoOrTyped, tally);
    EXPECT_TRUE(result.encoded.empty());
    EXPECT_EQ(tally.failedSlices, 5);

    EncodeTally none;
    jobs::ReportEncodeFailures(ctx, none);
    EXPECT_TRUE(ctx.Events("message:").empty());
    jobs::ReportEncodeFailures(ctx, tally);
    const std::vector<std::string> messages = ctx.Events("message:");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Encoding failed|5 slices could not be encoded by " +
                                    std::string(FAKE_ENCODER_PATH),
                                0),
              0u);
    const std::vector<std::string> failures = ctx.Events("encoding failed:");
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find(In("2.wav")), std::string::npos);

    EXPECT_EQ(encode::DeleteSlices(folder, {1, 99}), 1);
    EXPECT_FALSE(fs::exists(Slice(1)));
    for (int n = 2; n <= 6; ++n) EXPECT_TRUE(fs::exists(Slice(n))) << n;
}

// A file already aside (left by a program that ended abruptly) is the user's too: the next
// run's aside takes another name, and both are where they were once the run is over.
TEST_F(EncodeSlicesTest, AnAsideAlreadyThereIsNeverReplaced) {
    ASSERT_TRUE(WriteFileBytes(In("A1.mp3"), "left by an orphan"));
    ASSERT_TRUE(WriteFileBytes(In("A1.mp3.velvane-earlier"), "the user's"));
    {
        EarlierOutput earlier(In("A1.mp3"));
        EXPECT_FALSE(earlier.InTheWay());
        EXPECT_EQ(earlier.Aside(), In("A1.mp3.velvane-earlier-2"));
        EXPECT_FALSE(fs::exists(In("A1.mp3")));
        EXPECT_EQ(ReadFileBytes(In("A1.mp3.velvane-earlier")), "the user's");
    }
    EXPECT_EQ(ReadFileBytes(In("A1.mp3")), "left by an orphan");
    EXPECT_EQ(ReadFileBytes(In("A1.mp3.velvane-earlier")), "the user's");
    EXPECT_FALSE(fs::exists(In("A1.mp3.velvane-earlier-2")));
}

// A run that wrote its whole file and then reported an error failed all the same: its
// slice is not among those to delete.
TEST_F(EncodeSlicesTest, AnErrorAfterTheOutputStillKeepsTheSlice) {
    ctx.encoderKind = kBlade;
    ctx.encoderPath = FAKE_ENCODER_PATH;
    ScopedEnv failLate{"FAKE_ENCODER_FAIL_LATE", "2.wav"};
    const SideEncodeResult result = EncodeSide1(2);
    EXPECT_EQ(result.encoded, std::vector<int>{1});
    EXPECT_EQ(tally.failedSlices, 1);
    encode::DeleteSlices(folder, result.encoded);
    EXPECT_FALSE(fs::exists(Slice(1)));
    EXPECT_TRUE(fs::exists(Slice(2)));
}

TEST(EncodeFailureTextTest, ShowsTheLastLinesOfWhatTheEncoderSaidAsCleanText) {
    EncodeTally tally;
    tally.failedSlices = 1;
    tally.encoder = "/usr/bin/oggenc";
    tally.failedCommand = "/usr/bin/oggenc -b 128 -o /r/1.ogg /r/1.wav";
    tally.failureReason = "exit status 1";
    // Cut inside "é", progress by carriage returns, a bad byte, a bell, then seven lines.
    tally.failureOutput =
        "\xA9t\xC3\xA9\r[ 10%]\r[ 20%]\nbad \xFF byte\x07\nl3\r\nl4\nl5\nl6\nl7\n";
    EXPECT_EQ(encode::EncodeFailureText(tally),
              "1 slice could not be encoded by /usr/bin/oggenc.\n"
              "The wave slices of these have been kept.\n\n"
              "First failed command:\n/usr/bin/oggenc -b 128 -o /r/1.ogg /r/1.wav\n"
              "(exit status 1)\n\n"
              "bad  byte\nl3\nl4\nl5\nl6\nl7");
    tally.failureOutput = "\xA9t\xC3\xA9\r[ 10%]";
    EXPECT_NE(encode::EncodeFailureText(tally).find("(exit status 1)\n\nt\xC3\xA9\n[ 10%]"),
              std::string::npos);
}

TEST_F(EncodeSlicesTest, PathsWithSpacesAndQuotesReachTheEncoderUnchanged) {
    const std::string odd = "rec \"one\" it's";
    folder = dir / odd;
    fs::create_directory(folder);
    const std::string encoder = dir / "my \"tools\"/fake enc";
    InstallEncoder(encoder);
    ctx.encoderKind = kOgg;
    ctx.encoderPath = encoder;
    const SideEncodeResult result = EncodeSide1(1);
    const std::vector<RecordedRun> runs = ReadRuns(log);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].argv, (Args{encoder, "-b", "128", "-o", In("1.ogg"), In("1.wav")}));
    EXPECT_EQ(runs[0].cwd, dir / "my \"tools\"");
    EXPECT_EQ(result.encoded, std::vector<int>{1});
    EXPECT_EQ(ReadFileBytes(In("1.ogg")), "encoded " + In("1.wav") + "\n");
}

TEST_F(EncodeSlicesTest, EmptyPathFindsTheEncoderInTheInstallFolderThenOnPath) {
    const std::string home = dir / "home";
    const std::string bin = dir / "bin";
    fs::create_directories(home);
    InstallEncoder(platform::JoinPath(home, "oggenc"));
    InstallEncoder(platform::JoinPath(bin, "oggenc"));
    InstallEncoder(platform::JoinPath(bin, "lame"));
    ScopedEnv homeEnv{"VELVANE_HOME", home};
    ScopedEnv pathEnv{"PATH", bin};

    for (int kind : {kOgg, kLame, kL3Enc}) {  // the MP3 encoders of old have no fall-back
        ctx.encoderKind = kind;
        EncodeSide1(1);
    }

    const std::vector<RecordedRun> runs = ReadRuns(log);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].argv[0], platform::JoinPath(home, "oggenc"));
    EXPECT_EQ(runs[0].cwd, home);
    EXPECT_EQ(runs[1].argv[0], platform::JoinPath(bin, "lame"));
    EXPECT_EQ(runs[1].cwd, bin);
    EXPECT_EQ(tally.failedSlices, 1);
    EXPECT_EQ(tally.failureReason, "no encoder found");

    EXPECT_TRUE(encode::EncoderAvailable(model::EncoderKindOf(kOgg), ""));
    EXPECT_TRUE(encode::EncoderAvailable(model::EncoderKindOf(kLame), ""));
    EXPECT_FALSE(encode::EncoderAvailable(model::EncoderKindOf(kFlac), ""));
    EXPECT_FALSE(encode::EncoderAvailable(model::EncoderKindOf(kL3Enc), ""));
    EXPECT_FALSE(encode::EncoderAvailable(std::nullopt, ""));
    EXPECT_TRUE(encode::EncoderAvailable(model::EncoderKindOf(kL3Enc), "/where/ever/l3enc.exe"));
}

}  // namespace
