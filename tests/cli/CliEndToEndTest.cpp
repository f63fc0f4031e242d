// Runs the built velvane-cli on generated sides and checks what it writes and says.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "bench/SideGenerator.h"
#include "cli/CliContext.h"
#include "detect/Analysis.h"
#include "settings/SettingsFile.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

using CliRun = ProgramRun;

// Starts velvane-cli in `folder` with stdout and stderr going to files there.
pid_t Start(const std::vector<std::string>& args, const std::string& folder) {
    std::vector<std::string> all = {VELVANE_CLI};
    all.insert(all.end(), args.begin(), args.end());
    return StartProgram(all, folder);
}

CliRun Finish(pid_t pid, const std::string& folder) {
    return WaitProgram(pid, folder);
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& folder) {
    return Finish(Start(args, folder), folder);
}

// Five songs of 20 s or more and a short run-out: four cuts, which auto sense prefers.
sidegen::SideRecipe SmallSide(std::uint32_t seed, bool listChunk = false) {
    sidegen::SideRecipe recipe;
    recipe.minutes = 2.5;
    recipe.songs = 5;
    recipe.runOutSeconds = 3;
    recipe.seed = seed;
    recipe.listChunk = listChunk;
    return recipe;
}

// Numbered slices first..last in `folder` read back; fails the test on a bad header.
std::vector<std::vector<Frame>> ReadSlices(const std::string& folder, int first, int last) {
    std::vector<std::vector<Frame>> slices;
    for (int n = first; n <= last; ++n) {
        const std::string path = folder + "/" + std::to_string(n) + ".wav";
        const std::string bytes = ReadFileBytes(path);
        EXPECT_GE(bytes.size(), 44u) << path;
        if (bytes.size() < 44) return slices;
        // The canonical header states exactly the frames that follow it.
        std::uint32_t declared = 0;
        for (int i = 3; i >= 0; --i) declared = (declared << 8) | std::uint8_t(bytes[40 + i]);
        EXPECT_EQ(declared, bytes.size() - 44) << path;
        std::optional<std::vector<Frame>> frames = ReadWavFrames(path);
        EXPECT_TRUE(frames) << path;
        slices.push_back(frames.value_or(std::vector<Frame>{}));
    }
    return slices;
}

int CountSlices(const std::string& folder) {
    int count = 0;
    while (fs::exists(folder + "/" + std::to_string(count + 1) + ".wav")) ++count;
    return count;
}

// A side's slices, put back together, are the side; each boundary lies outside every song.
void ExpectSlicedInGaps(const std::vector<std::vector<Frame>>& slices,
                        const std::vector<Frame>& side, const sidegen::SideLayout& layout) {
    std::vector<Frame> joined;
    std::uint64_t boundary = 0;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        if (i > 0) {
            for (const sidegen::Song& song : layout.songs)
                EXPECT_FALSE(boundary > song.startFrame && boundary < song.endFrame)
                    << "cut at frame " << boundary << " inside a song";
        }
        joined.insert(joined.end(), slices[i].begin(), slices[i].end());
        boundary += slices[i].size();
    }
    EXPECT_TRUE(joined == side);
}

// Two sides made once (one canonical, one with a LIST chunk) and linked into each test's
// own folder.
class CliEndToEnd : public ::testing::Test {
  protected:
    struct Sides {
        TempDir dir;
        sidegen::SideLayout layout1, layout2;
        std::vector<Frame> frames1, frames2;
    };

    static void SetUpTestSuite() {
        sides_ = std::make_unique<Sides>();
        ASSERT_TRUE(sidegen::WriteSideFile(sides_->dir / "1", SmallSide(3), &sides_->layout1));
        ASSERT_TRUE(
            sidegen::WriteSideFile(sides_->dir / "2", SmallSide(4, true), &sides_->layout2));
        sides_->frames1 = *ReadWavFrames(sides_->dir / "1");
        sides_->frames2 = *ReadWavFrames(sides_->dir / "2");
    }
    static void TearDownTestSuite() { sides_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(sides_);
        fs::create_hard_link(sides_->dir / "1", dir_ / "side one.wav");
        fs::create_hard_link(sides_->dir / "2", dir_ / "side two.wav");
    }

    static inline std::unique_ptr<Sides> sides_;
    TempDir dir_;
    const sidegen::SideLayout& layout1_ = sides_->layout1;
    const sidegen::SideLayout& layout2_ = sides_->layout2;
    const std::vector<Frame>& side1_ = sides_->frames1;
    const std::vector<Frame>& side2_ = sides_->frames2;
};

TEST_F(CliEndToEnd, AutoSenseSlicesBothSidesAtTheirGapsWithContinuingNumbers) {
    const CliRun run = RunCli({"slice", "side one.wav", "side two.wav"}, dir_.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find('\r'), std::string::npos);  // no progress bar off a terminal

    const int total = CountSlices(dir_.path());
    ASSERT_NE(run.out.find("side 2 ("), std::string::npos) << run.out;
    // "side 1 (<abs path>): N slices, 1.wav to N.wav in <folder>"
    const std::string expected1 = "side 1 (" + dir_.path() + "/side one.wav): ";
    ASSERT_EQ(run.out.rfind(expected1, 0), 0u) << run.out;
    const int n1 = std::atoi(run.out.c_str() + expected1.size());
    ASSERT_EQ(n1, 5);  // the four gaps between five songs
    ASSERT_GT(total, n1);
    EXPECT_NE(run.out.find(std::to_string(n1 + 1) + ".wav to " + std::to_string(total) + ".wav"),
              std::string::npos)
        << run.out;

    ExpectSlicedInGaps(ReadSlices(dir_.path(), 1, n1), side1_, layout1_);
    ExpectSlicedInGaps(ReadSlices(dir_.path(), n1 + 1, total), side2_, layout2_);
}

TEST_F(CliEndToEnd, AnalyzeJsonMatchesTheEngineAndTheSlices) {
    const CliRun run = RunCli({"analyze", "--json", "side two.wav"}, dir_.path());
    ASSERT_EQ(run.status, 0) << run.err;
    // Exactly one object: {"levelCount": N, "peak": P, "cuts": [...], "levels": [...]}
    const std::string& j = run.out;
    ASSERT_EQ(j.rfind("{\"levelCount\": ", 0), 0u) << j.substr(0, 80);
    ASSERT_EQ(j.substr(j.size() - 3), "]}\n");
    const char* p = j.c_str() + 15;
    char* end = nullptr;
    const unsigned long levelCount = std::strtoul(p, &end, 10);
    ASSERT_EQ(std::string(end, 10), ", \"peak\": ");
    const float peak = std::strtof(end + 10, &end);
    ASSERT_EQ(std::string(end, 11), ", \"cuts\": [");
    std::vector<long> cuts;
    for (p = end + 11; *p != ']'; p = end + (*end == ',' ? 2 : 0)) {
        cuts.push_back(std::strtol(p, &end, 10));
        ASSERT_NE(end, p) << "not a number: " << std::string(p, 20);
    }
    ASSERT_EQ(std::string(p, 14), "], \"levels\": [");
    std::vector<float> levels;
    for (p += 14; *p != ']'; p = end + (*end == ',' ? 2 : 0)) {
        levels.push_back(std::strtof(p, &end));
        ASSERT_NE(end, p) << "not a number: " << std::string(p, 20);
    }
    ASSERT_EQ(cuts.size(), 10u);
    ASSERT_EQ(levels.size(), levelCount);

    // Read back, every float is the engine's own, to the bit.
    WindowState state = cli::BatchDefaults();
    CliContext ctx(state, false);
    const AnalysisResult engine =
        detect::AnalyzeSide(ctx, ctx.Treble(), dir_ / "side two.wav", 2, 0, 100);
    ASSERT_TRUE(engine.ok);
    EXPECT_EQ(levelCount, engine.levelCount);
    EXPECT_EQ(peak, engine.peak);
    for (std::size_t i = 0; i < levels.size(); ++i) ASSERT_EQ(levels[i], engine.levels[i]) << i;
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(cuts[i], engine.cuts[i]);

    // Slicing the side alone cuts exactly at the analysed cuts.
    ASSERT_EQ(RunCli({"slice", "--quiet", "--out", "out", "side two.wav"}, dir_.path()).status, 0);
    const auto slices = ReadSlices(dir_ / "out", 1, CountSlices(dir_ / "out"));
    std::uint64_t boundary = 0;
    for (std::size_t i = 0; i + 1 < slices.size(); ++i) {
        boundary += slices[i].size();
        EXPECT_EQ(boundary, static_cast<std::uint64_t>(cuts[i]) * 4410);
    }
    EXPECT_EQ(cuts[slices.size() - 1], 0);
}

// With --smart the JSON lists every cut, past ten and without zeros; --songs keeps N - 1.
TEST_F(CliEndToEnd, SmartSenseJsonListsEveryCut) {
    sidegen::SideRecipe recipe = SmallSide(5);
    recipe.songs = 12;  // songs of about 8 s
    sidegen::SideLayout layout;
    ASSERT_TRUE(sidegen::WriteSideFile(dir_ / "twelve.wav", recipe, &layout));
    const auto jsonCuts = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = {"analyze", "--json", "--smart", "--min-song", "5"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("twelve.wav");
        const CliRun run = RunCli(args, dir_.path());
        EXPECT_EQ(run.status, 0) << run.err;
        const std::size_t at = run.out.find("\"cuts\": [");
        const std::size_t end = run.out.find(']', at);
        std::vector<long> cuts;
        std::istringstream list(run.out.substr(at + 9, end - at - 9));
        for (std::string item; std::getline(list, item, ',');) cuts.push_back(std::stol(item));
        return cuts;
    };
    const std::vector<long> all = jsonCuts({});
    ASSERT_EQ(all.size(), 11u);
    for (std::size_t k = 0; k < all.size(); ++k) {  // between song k and song k + 1
        EXPECT_GT(all[k] * 4410, static_cast<long>(layout.songs[k].endFrame)) << k;
        EXPECT_LT(all[k] * 4410, static_cast<long>(layout.songs[k + 1].startFrame)) << k;
    }
    EXPECT_EQ(jsonCuts({"--songs", "3"}).size(), 2u);
    // Where the music starts and ends, within a second, in the JSON and in the text.
    const CliRun text =
        RunCli({"analyze", "--smart", "--min-song", "5", "twelve.wav"}, dir_.path());
    long start = -1, end = -1;
    ASSERT_EQ(
        std::sscanf(text.out.c_str() + text.out.find("music: "), "music: %ld %ld", &start, &end), 2)
        << text.out;
    EXPECT_NEAR(start * 4410.0, static_cast<double>(layout.songs.front().startFrame), 44100);
    EXPECT_NEAR(end * 4410.0, static_cast<double>(layout.songs.back().endFrame), 44100);
    const CliRun json =
        RunCli({"analyze", "--json", "--smart", "--min-song", "5", "twelve.wav"}, dir_.path());
    EXPECT_NE(json.out.find("\"musicStart\": " + std::to_string(start) +
                            ", \"musicEnd\": " + std::to_string(end)),
              std::string::npos);
    // Sliced with the lead-in and the run-out trimmed, the slices hold the music and half a
    // second either side of it; a side said to hold one song is one such slice.
    const std::optional<std::vector<Frame>> side = ReadWavFrames(dir_ / "twelve.wav");
    ASSERT_TRUE(side);
    const auto music = side->begin() + (start - 5) * 4410;
    for (const std::string songs : {"12", "1"}) {
        const std::string out = "trim" + songs;
        const CliRun run = RunCli({"slice", "--quiet", "--smart", "--min-song", "5", "--trim",
                                   "--songs", songs, "--out", out, "twelve.wav"},
                                  dir_.path());
        ASSERT_EQ(run.status, 0) << run.err;
        std::vector<Frame> joined;
        for (const std::vector<Frame>& slice : ReadSlices(dir_ / out, 1, CountSlices(dir_ / out)))
            joined.insert(joined.end(), slice.begin(), slice.end());
        EXPECT_EQ(CountSlices(dir_ / out), std::stoi(songs));
        EXPECT_TRUE(joined == std::vector<Frame>(music, side->begin() + (end + 5) * 4410));
    }
    // The cut list written beside holds the same cuts: twelve tracks.
    jsonCuts({"--labels", "twelve.txt"});
    const std::string labels = ReadFileBytes(dir_ / "twelve.txt");
    EXPECT_EQ(std::count(labels.begin(), labels.end(), '\n'), 12) << labels;
}

TEST_F(CliEndToEnd, TypedTimesWithFadeIntoAnOutputFolder) {
    const CliRun run =
        RunCli({"slice", "--typed", "--times1", "0.30,,1.0", "--times2", "0.0.5", "--fade", "0.1",
                "--out", "songs/new", "side one.wav", "side two.wav"},
               dir_.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string out = dir_ / "songs/new";
    ASSERT_EQ(CountSlices(out), 5);
    const auto slices = ReadSlices(out, 1, 5);
    ASSERT_EQ(slices.size(), 5u);
    const std::size_t sizes[] = {1323000, 1323000, side1_.size() - 2646000, 22050,
                                 side2_.size() - 22050};
    const std::size_t at[] = {0, 1323000, 2646000, 0, 22050};
    for (int i = 0; i < 5; ++i) {
        const std::vector<Frame>& source = i < 3 ? side1_ : side2_;
        ASSERT_EQ(slices[i].size(), sizes[i]) << "slice " << i + 1;
        // Fade-in: factor 0 at the first frame; past 0.1 s the samples are untouched.
        EXPECT_EQ(slices[i][0], Frame{}) << "slice " << i + 1;
        if (sizes[i] > 2 * 4410) {
            EXPECT_EQ(slices[i][5000], source[at[i] + 5000]) << "slice " << i + 1;
        }
    }
    EXPECT_FALSE(fs::exists(dir_ / "1.wav"));  // nothing in the sides' own folder
}

TEST_F(CliEndToEnd, MarkersAndSettingsFile) {
    SettingsFields settings;
    settings.side1Path = dir_ / "side one.wav";
    settings.side2Path = dir_ / "side two.wav";
    settings.fadeId = 303;       // overridden below
    settings.createEncoded = 0;  // no encoder is given
    ASSERT_TRUE(settings::SaveSettingsFile(dir_ / "s.lpx", settings));

    const CliRun run = RunCli(
        {"slice", "--settings", "s.lpx", "--fade", "0", "--markers1", "600,150", "--out", "m"},
        dir_.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("side 2 ("), std::string::npos);
    EXPECT_NE(run.out.find("no slices"), std::string::npos) << run.out;
    ASSERT_EQ(CountSlices(dir_ / "m"), 3);
    const auto slices = ReadSlices(dir_ / "m", 1, 3);
    EXPECT_EQ(slices[0].size(), 150u * 4410);
    EXPECT_EQ(slices[1].size(), 450u * 4410);
    EXPECT_TRUE(slices[1].front() == side1_[150 * 4410]);  // no fade
}

TEST_F(CliEndToEnd, RefusedAndMissingFilesExitOneNamingTheFile) {
    const std::vector<Frame> frames = NoiseFrames(4410, 0.3);
    // Mono, 48 kHz and 24 bits are sides now; these are not.
    WavLayout quad, slow, coarse;
    quad.channels = 4;
    slow.sampleRate = 8000;
    coarse.bitsPerSample = 8;
    ASSERT_TRUE(WriteWav(dir_ / "quad.wav", frames, quad));
    ASSERT_TRUE(WriteWav(dir_ / "8k.wav", frames, slow));
    ASSERT_TRUE(WriteWav(dir_ / "8bit.wav", frames, coarse));
    const std::pair<const char*, const char*> cases[] = {{"quad.wav", "4 channels"},
                                                         {"8k.wav", "8000 Hz"},
                                                         {"8bit.wav", "8 bits"},
                                                         {"none.wav", "cannot be opened"}};
    for (const auto& [name, reason] : cases) {
        const std::vector<std::vector<std::string>> commands = {{"analyze", name},
                                                                {"slice", "side one.wav", name}};
        for (const auto& args : commands) {
            SCOPED_TRACE(args[0] + " " + name);
            const CliRun run = RunCli(args, dir_.path());
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(dir_ / name), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
        }
    }
    EXPECT_EQ(CountSlices(dir_.path()), 0);  // refused before anything was written
    // A missing file is missing, not of the wrong format.
    EXPECT_EQ(RunCli({"analyze", "none.wav"}, dir_.path()).err.find("not a 44.1"),
              std::string::npos);
}

// A copy cut short (its header counts 3 s, the file holds 1.5 s) is used for what it holds,
// and the user is told so.
TEST_F(CliEndToEnd, ATruncatedSideIsSaidToBeShorterThanItsHeader) {
    ASSERT_TRUE(WriteWav(dir_ / "cut.wav", NoiseFrames(3 * 44100, 0.3)));
    std::filesystem::resize_file(dir_ / "cut.wav", 44 + 4 * 66150);
    const CliRun run = RunCli({"analyze", "cut.wav"}, dir_.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("shorter than its header says: it holds 0:01.5 of the 0:03.0"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("levelCount: 15\n"), std::string::npos) << run.out;  // 1.5 s
}

TEST_F(CliEndToEnd, UsageErrorsExitTwo) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"slice"}, {"cut", "a.wav"}, {"slice", "--eq", "5", "a.wav"}}) {
        const CliRun run = RunCli(args, dir_.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("velvane-cli --help"), std::string::npos);
    }
    const CliRun help = RunCli({"--help"}, dir_.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--markers1"), std::string::npos);
}

TEST_F(CliEndToEnd, SliceThatWouldReplaceASideIsRefused) {
    // Side 2 is stored as "2.wav" where side 1's slices go.
    fs::copy_file(dir_ / "side two.wav", dir_ / "2.wav");
    const CliRun run = RunCli({"slice", "side one.wav", "2.wav"}, dir_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("2.wav"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(dir_ / "2.wav"), ReadFileBytes(dir_ / "side two.wav"));
}

TEST_F(CliEndToEnd, UnwritableOutputExitsOneNamingIt) {
    ASSERT_TRUE(WriteFileBytes(dir_ / "file", "x"));
    CliRun run = RunCli({"slice", "--out", "file/sub", "side one.wav"}, dir_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("file/sub"), std::string::npos) << run.err;

    // The second slice cannot be created: the first stays, complete.
    fs::create_directories(dir_ / "out/2.wav");
    run = RunCli({"slice", "--out", "out", "side one.wav"}, dir_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(dir_ / "out/2.wav"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("1 slice, 1.wav in"), std::string::npos) << run.out;
    const auto first = ReadSlices(dir_ / "out", 1, 1);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_GT(first[0].size(), 0u);
    EXPECT_TRUE(std::equal(first[0].begin(), first[0].end(), side1_.begin()));
}

// Ctrl+C while slicing: exit status 130, and every file left is a valid WAV.
TEST_F(CliEndToEnd, InterruptLeavesValidFiles) {
    sidegen::SideRecipe recipe = SmallSide(5);
    recipe.minutes = 8;
    ASSERT_TRUE(sidegen::WriteSideFile(dir_ / "long.wav", recipe));
    const pid_t pid = Start({"slice", "--quiet", "--eq", "12", "--typed", "--times1",
                             "0.10,0.20,0.30,1.00,2.00,3.00,4.00,5.00,6.00,7.00", "long.wav"},
                            dir_.path());
    // Freeze the program as soon as it has begun writing slices, then interrupt it.
    int status = 0;
    while (!fs::exists(dir_ / "1.wav") && waitpid(pid, &status, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    kill(pid, SIGSTOP);
    kill(pid, SIGINT);
    kill(pid, SIGCONT);
    const CliRun run = Finish(pid, dir_.path());
    EXPECT_EQ(run.status, 130) << run.err;
    const int written = CountSlices(dir_.path());
    EXPECT_LT(written, 11);
    ReadSlices(dir_.path(), 1, written);
}

}  // namespace

namespace {

// A label file exported by analyze, one start moved by hand 1.5 s later and imported by
// slice: exactly the two slices beside that cut change, by 1.5 s, and the titles name them.
TEST_F(CliEndToEnd, AMovedLabelMovesExactlyThatCut) {
    const CliRun analyze = RunCli(
        {"analyze", "--labels", "cuts.txt", "--titles1", "a|b|c|d|e", "side one.wav"}, dir_.path());
    ASSERT_EQ(analyze.status, 0) << analyze.err;
    const std::string labels = ReadFileBytes(dir_ / "cuts.txt");
    // Third line: the start of track c.
    std::size_t line = labels.find('\n', labels.find('\n') + 1) + 1;
    const std::size_t tab = labels.find('\t', line);
    char moved[32];
    std::snprintf(moved, sizeof moved, "%.6f", std::stod(labels.substr(line, tab - line)) + 1.5);
    ASSERT_TRUE(
        WriteFileBytes(dir_ / "moved.txt", labels.substr(0, line) + moved + labels.substr(tab)));

    std::vector<std::size_t> sizes[2];
    for (int run = 0; run < 2; ++run) {
        const std::string out = run == 0 ? "same" : "moved";
        const CliRun slice = RunCli({"slice", "--labels", run == 0 ? "cuts.txt" : "moved.txt",
                                     "--out", out, "side one.wav"},
                                    dir_.path());
        ASSERT_EQ(slice.status, 0) << slice.err;
        const char* names[] = {"01 - a.wav", "02 - b.wav", "03 - c.wav", "04 - d.wav",
                               "05 - e.wav"};
        for (const char* name : names) {
            const std::optional<std::vector<Frame>> frames = ReadWavFrames(dir_ / out + "/" + name);
            ASSERT_TRUE(frames) << out << "/" << name;
            sizes[run].push_back(frames->size());
        }
    }
    const std::size_t shift = 66150;  // 1.5 s at 44.1 kHz
    EXPECT_EQ(sizes[1], (std::vector<std::size_t>{sizes[0][0], sizes[0][1] + shift,
                                                  sizes[0][2] - shift, sizes[0][3], sizes[0][4]}));
}

// Sliced again with new titles: the first run's files stay, and are named, unless
// --replace-earlier is given; then they go, and nothing else of the folder does.
TEST_F(CliEndToEnd, ASecondRunSaysOrRemovesWhatTheFirstLeft) {
    ASSERT_TRUE(WriteWav(dir_ / "take.wav", NoiseFrames(3 * 44100, 0.3)));
    ASSERT_TRUE(WriteFileBytes(dir_ / "notes.txt", "mine"));
    const auto slice = [&](const char* titles, bool replace) {
        std::vector<std::string> args = {"slice",     "--typed", "--times1", "1,2",
                                         "--titles1", titles,    "take.wav"};
        if (replace) args.insert(args.begin() + 1, "--replace-earlier");
        return RunCli(args, dir_.path());
    };
    ASSERT_EQ(slice("a|b|c", false).status, 0);
    CliRun run = slice("x|y|z", false);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("remain beside the new ones: " + (dir_ / "01 - a.wav")),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::exists(dir_ / "01 - a.wav") && fs::exists(dir_ / "01 - x.wav"));

    run = slice("x|y", true);  // two titles: the third slice is "03.wav"
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* gone : {"01 - a.wav", "02 - b.wav", "03 - c.wav", "03 - z.wav"})
        EXPECT_FALSE(fs::exists(dir_ / gone)) << gone;
    for (const char* kept : {"01 - x.wav", "02 - y.wav", "03.wav", "notes.txt", "take.wav"})
        EXPECT_TRUE(fs::exists(dir_ / kept)) << kept;
}

// What would replace a recording or cut at a text that is no time is refused before any
// file is written: exit 1 for a file's fault, 2 for an option's.
TEST_F(CliEndToEnd, RefusalsWriteNothing) {
    SettingsFields settings;
    settings.side1Path = dir_ / "side one.wav";
    settings.cutsHow = 1;
    settings.typedTimes[2] = "6 34";
    ASSERT_TRUE(settings::SaveSettingsFile(dir_ / "typed.lpx", settings));
    const std::string side1 = ReadFileBytes(dir_ / "side one.wav");
    const std::string side2 = ReadFileBytes(dir_ / "side two.wav");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string said;
    } cases[] = {
        {{"analyze", "--cue", "side one.wav", "side one.wav"}, 1, dir_ / "side one.wav"},
        {{"analyze", "--labels", "side two.wav", "side one.wav"}, 1, dir_ / "side two.wav"},
        {{"slice", "--settings", "typed.lpx", "--out", "o"}, 1, "side 1, box 3: \"6 34\""},
        {{"slice", "--typed", "--times1", "1.00,6 34", "--out", "o", "side one.wav"},
         2,
         "--times1, field 2: \"6 34\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const CliRun run = RunCli(c.args, dir_.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    EXPECT_TRUE(ReadFileBytes(dir_ / "side one.wav") == side1);
    EXPECT_TRUE(ReadFileBytes(dir_ / "side two.wav") == side2);
    EXPECT_EQ(CountSlices(dir_ / "o"), 0);
}

// Every track of a cut list is cut at, whatever method a settings file chose, and no notice
// says otherwise; titles that do not match the slices are counted in the summary.
TEST_F(CliEndToEnd, EveryTrackOfACutListCountsAndTitlesAreCounted) {
    std::string sheet = "FILE \"side one.wav\" WAVE\n";
    for (int k = 0; k < 15; ++k) {
        char track[96];
        std::snprintf(track, sizeof track,
                      "  TRACK %02d AUDIO\n    TITLE \"t%d\"\n    INDEX 01 %02d:%02d:00\n", k + 1,
                      k + 1, 9 * k / 60, 9 * k % 60);
        sheet += track;
    }
    ASSERT_TRUE(WriteFileBytes(dir_ / "fifteen.cue", sheet));
    SettingsFields smart;
    smart.side1Path = dir_ / "side one.wav";
    smart.cutsHow = 2;
    ASSERT_TRUE(settings::SaveSettingsFile(dir_ / "smart.lpx", smart));
    for (const std::string& out : {std::string("auto"), std::string("smart")}) {
        std::vector<std::string> args = {"slice", "--cue", "fifteen.cue", "--out", out};
        if (out == "smart")
            args.insert(args.end(), {"--settings", "smart.lpx"});
        else
            args.push_back("side one.wav");
        const CliRun run = RunCli(args, dir_.path());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("15 slices, 01 - t1.wav to 15 - t15.wav"), std::string::npos)
            << run.out;
        const std::optional<std::vector<Frame>> last = ReadWavFrames(dir_ / out + "/15 - t15.wav");
        ASSERT_TRUE(last);
        EXPECT_EQ(last->size(), side1_.size() - 126 * 44100);  // from the last track's 2:06
    }
    const CliRun titled = RunCli({"slice", "--typed", "--times1", "0:30,1:00,1:30", "--titles1",
                                  "a|b", "--out", "titled", "side one.wav"},
                                 dir_.path());
    ASSERT_EQ(titled.status, 0) << titled.err;
    EXPECT_NE(titled.out.find("4 slices, 01 - a.wav to 04.wav in " + dir_ / "titled" +
                              " (2 titles given for 4 slices)\n"),
              std::string::npos)
        << titled.out;
}

}  // namespace
