// velvane-cli on sides in the formats of transfers: slices sample for sample as sox reads
// the side, FLAC in and out, CD copies against sox's own very high quality resampling, the
// same cuts at 44.1 and 96 kHz, and the click repair (declick on a FLAC side, its report and
// refusals, slice --declick's count in the summary).

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "bench/SideGenerator.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

ProgramRun Cli(const std::vector<std::string>& args, const TempDir& dir) {
    std::vector<std::string> argv = {VELVANE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, dir.path());
}

struct SideCase {
    const char* name;
    SideFormat format;
    const char* container;  ///< the side's file type ("wav" as written here, else by sox)
    const char* encoder;    ///< "" or --encode's KIND
};

void PrintTo(const SideCase& c, std::ostream* os) {
    *os << c.name;
}

class CliSides : public ::testing::TestWithParam<SideCase> {};

// Cut at 3.5 s and 7.2 s: every slice holds the side's samples of its span, in the side's
// format (an encoded FLAC file too).
TEST_P(CliSides, TypedTimesGiveTheSidesSamplesInItsFormat) {
    const SideCase& c = GetParam();
    TempDir dir;
    const std::uint32_t rate = c.format.sampleRate;
    const std::string side = NoiseBytes(c.format, 9 * rate + 77, 0.8, 3);
    std::string path = dir / "side.wav";
    ASSERT_TRUE(WriteSideWav(path, c.format, side));
    if (std::string(c.container) != "wav") {
        path = dir / (std::string("side.") + c.container);
        ASSERT_TRUE(RunSox({dir / "side.wav", path}));
    }
    std::vector<std::string> args = {"slice", "--typed",   "--times1", "0.3.5,0.7.2",
                                     "--out", dir / "out", path};
    if (*c.encoder) args.insert(args.begin() + 1, {"--encode", c.encoder});
    const ProgramRun run = Cli(args, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::size_t frame = c.format.BytesPerFrame();
    const std::uint64_t starts[] = {0, 35 * rate / 10, 72 * rate / 10, 9ull * rate + 77};
    for (int n = 1; n <= 3; ++n) {
        const std::string span =
            side.substr(starts[n - 1] * frame, (starts[n] - starts[n - 1]) * frame);
        const std::string slice = dir / ("out/" + std::to_string(n) + ".wav");
        EXPECT_TRUE(SameSamples(SoxSamples(slice), span, c.format)) << slice;
        if (*c.encoder) {
            const std::string encoded = dir / ("out/" + std::to_string(n) + ".flac");
            EXPECT_TRUE(SoxSamples(encoded) == span) << encoded;
            EXPECT_EQ(SoxInfo(encoded, "-r") + " " + SoxInfo(encoded, "-b"),
                      std::to_string(rate) + " " + std::to_string(c.format.BitsPerSample()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CliSides,
    ::testing::Values(
        SideCase{"wav_96k_24", {96000, 2, SampleEncoding::Int24}, "wav", ""},
        SideCase{"wav_48k_16_mono", {48000, 1, SampleEncoding::Int16}, "wav", ""},
        SideCase{"wav_44k_float", {44100, 2, SampleEncoding::Float32}, "wav", ""},
        SideCase{"flac_96k_24_to_flac", {96000, 2, SampleEncoding::Int24}, "flac", "flac"}),
    [](const ::testing::TestParamInfo<SideCase>& info) { return info.param.name; });

std::vector<float> FloatSamples(const std::string& path, const std::vector<std::string>& effects) {
    TempDir dir;
    std::vector<std::string> args = {path, "-e", "float", "-b", "32", "-t", "raw", dir / "f.raw"};
    args.insert(args.end(), effects.begin(), effects.end());
    if (!RunSox(args)) return {};
    const std::string bytes = ReadFileBytes(dir / "f.raw");
    std::vector<float> samples(bytes.size() / 4);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 4);
    return samples;
}

// --cd: each slice resampled and dithered to 44.1 kHz 16-bit, within -90 dBFS (RMS) of
// what sox's very high quality rate conversion makes of the same span.
TEST(CliCdCopies, MatchSoxVeryHighQualityResampling) {
    TempDir dir;
    ASSERT_TRUE(RunSox({"-n", "-r", "96000", "-b", "24", "-c", "2", dir / "side.wav", "synth", "12",
                        "sine", "440", "sine", "3000", "vol", "0.3"}));
    const ProgramRun run =
        Cli({"slice", "--cd", "--typed", "--times1", "0.5.0", dir / "side.wav"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string slice = dir / "2.wav";
    EXPECT_EQ(SoxInfo(slice, "-r") + " " + SoxInfo(slice, "-b") + " " + SoxInfo(slice, "-c"),
              "44100 16 2");
    const std::vector<float> ours = FloatSamples(dir / "2.wav", {});
    const std::vector<float> sox =
        FloatSamples(dir / "side.wav", {"trim", "480000s", "rate", "-v", "44100"});
    ASSERT_EQ(ours.size(), sox.size());
    ASSERT_EQ(ours.size(), 2u * 7 * 44100);
    double sum = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) sum += std::pow(double{ours[i]} - sox[i], 2);
    EXPECT_LT(10 * std::log10(sum / ours.size()), -90.0);
}

std::vector<int> CutsOf(const std::string& analyzeOutput) {
    std::istringstream in(analyzeOutput.substr(analyzeOutput.find("cuts:") + 5));
    std::vector<int> cuts;
    for (int cut; in >> cut && cut > 0;) cuts.push_back(cut);
    return cuts;
}

// The same music at 44.1 kHz 16-bit and at 96 kHz 24-bit: Auto Sense and Smart Sense cut
// within a block (0.1 s) of each other.
TEST(CliRates, SameCutsAtFortyFourAndNinetySixKilohertz) {
    TempDir dir;
    sidegen::SideRecipe recipe;
    recipe.minutes = 2.5;
    recipe.songs = 5;
    recipe.runOutSeconds = 3;
    recipe.seed = 31;
    ASSERT_TRUE(sidegen::WriteSideFile(dir / "side44.wav", recipe));
    ASSERT_TRUE(RunSox({dir / "side44.wav", "-b", "24", dir / "side96.wav", "rate", "96000"}));
    for (const std::vector<std::string> method :
         {std::vector<std::string>{"analyze"}, std::vector<std::string>{"analyze", "--smart"}}) {
        SCOPED_TRACE(method.back());
        std::vector<std::string> args44 = method, args96 = method;
        args44.push_back(dir / "side44.wav");
        args96.push_back(dir / "side96.wav");
        const ProgramRun at44 = Cli(args44, dir);
        const ProgramRun at96 = Cli(args96, dir);
        ASSERT_EQ(at44.status, 0) << at44.err;
        ASSERT_EQ(at96.status, 0) << at96.err;
        const std::vector<int> cuts44 = CutsOf(at44.out), cuts96 = CutsOf(at96.out);
        ASSERT_EQ(cuts44.size(), cuts96.size()) << at44.out << at96.out;
        ASSERT_GE(cuts44.size(), 4u);
        for (std::size_t i = 0; i < cuts44.size(); ++i) EXPECT_NEAR(cuts44[i], cuts96[i], 1);
    }
}

}  // namespace

namespace {

// lame and oggenc (whose bit-rate modes stop at 48 kHz) get a rate they take, resampled
// before they run (the copy gone afterwards).
TEST(CliEncoders, EachGetsARateItTakes) {
    TempDir dir;
    constexpr SideFormat k96k24{96000, 2, SampleEncoding::Int24};
    ASSERT_TRUE(WriteSideWav(dir / "side.wav", k96k24, NoiseBytes(k96k24, 3 * 96000, 0.3)));
    const std::pair<const char*, const char*> cases[] = {{"lame", "A1.mp3"}, {"ogg", "1.ogg"}};
    const char* const rates[] = {"48000", "48000"};
    for (int k = 0; k < 2; ++k) {
        const auto& [kind, file] = cases[k];
        const ProgramRun run =
            Cli({"slice", "--encode", kind, "--typed", "--times1", "0.1.0", dir / "side.wav"}, dir);
        ASSERT_EQ(run.status, 0) << run.err;
        const ProgramRun rate = RunProgram(
            {"/usr/bin/python3", "-c",
             "import sys, mutagen; print(mutagen.File(sys.argv[1]).info.sample_rate)", dir / file},
            dir.path());
        EXPECT_EQ(rate.out, std::string(rates[k]) + "\n") << kind << rate.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "1.wav.encoder.wav")) << kind;
    }
}

constexpr std::size_t kClickAt = 2 * 44100 + 200;

// A 3 s side with one click at kClickAt, as 24-bit FLAC (and the WAV it was made from).
std::string WriteClickedFlac(const TempDir& dir) {
    EXPECT_TRUE(WriteWav(dir / "side.wav", ClickedSineFrames(3 * 44100, kClickAt)));
    EXPECT_TRUE(RunSox({dir / "side.wav", "-b", "24", dir / "side.flac"}));
    return dir / "side.flac";
}

TEST(CliDeclick, RepairsASideIntoItsOwnFormatAndReportsTheClick) {
    TempDir dir;
    const std::string side = WriteClickedFlac(dir);
    const ProgramRun run = Cli({"declick", "--report", side, "out.wav"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string out = dir / "out.wav";
    EXPECT_EQ(SoxInfo(out, "-r") + " " + SoxInfo(out, "-b") + " " + SoxInfo(out, "-c"),
              "44100 24 2");

    // One report line, covering the click; then the summary.
    std::istringstream lines(run.out);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    std::uint64_t start = 0;
    std::uint32_t length = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "click at frame %" SCNu64 " (%*f s), %" SCNu32 " frames",
                          &start, &length),
              2)
        << line;
    EXPECT_LE(start, kClickAt);
    EXPECT_GE(start + length, kClickAt + kClickFrames);
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_NE(line.find("1 click repaired (medium)"), std::string::npos) << line;

    // Every frame outside the click as the side holds it; the click's frames replaced.
    const std::string before = SoxSamples(side), after = SoxSamples(out);
    ASSERT_EQ(before.size(), after.size());
    constexpr std::size_t kFrameBytes = 6;
    EXPECT_EQ(before.substr(0, start * kFrameBytes), after.substr(0, start * kFrameBytes));
    EXPECT_EQ(before.substr((start + length) * kFrameBytes),
              after.substr((start + length) * kFrameBytes));
    EXPECT_NE(before.substr(kClickAt * kFrameBytes, kFrameBytes),
              after.substr(kClickAt * kFrameBytes, kFrameBytes));
}

// Nothing of the user's is lost: OUT is never the side, and an existing OUT is replaced only
// with --force.
TEST(CliDeclick, NeverWritesOverTheSideOrAnExistingFileUnasked) {
    TempDir dir;
    const std::string side = WriteClickedFlac(dir);
    const std::string kept = "a file of the user's";
    ASSERT_TRUE(WriteFileBytes(dir / "out.wav", kept));
    const ProgramRun refused = Cli({"declick", side, "out.wav"}, dir);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadFileBytes(dir / "out.wav"), kept);
    EXPECT_EQ(Cli({"declick", "--force", "side.wav", "./side.wav"}, dir).status, 2);

    EXPECT_EQ(Cli({"declick", "--force", "--quiet", side, "out.wav"}, dir).status, 0);
    EXPECT_EQ(SoxInfo(dir / "out.wav", "-b"), "24");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              3);  // side.wav, side.flac, out.wav: no file left beside
}

TEST(CliDeclick, SliceCountsTheClicksRepairedPerSlice) {
    TempDir dir;
    ASSERT_TRUE(WriteWav(dir / "side.wav", ClickedSineFrames(3 * 44100, kClickAt)));
    const ProgramRun run =
        Cli({"slice", "--declick", "medium", "--typed", "--times1", "1,2", "side.wav"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("3 slices, 1.wav to 3.wav in " + dir.path() +
                           " (clicks repaired per slice: 0, 0, 1)"),
              std::string::npos)
        << run.out;
}

}  // namespace
