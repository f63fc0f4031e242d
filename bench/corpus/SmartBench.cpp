// smart_bench: Auto Sense, Smart Sense (without and with the song counts) and sox's
// silence splitting side by side on the corpus that bench/make-corpus.sh builds, per
// condition, per half (the tuning half and the held-out half) and overall: F1, mean distance
// from the gap's middle, music start and end within a second, sides with every gap found and
// no cut inside a song; then the time of the whole corpus against sox's, and Smart Sense's
// peak memory and time on long sides. Run through bench/smart-bench.sh. Not a test: it
// asserts nothing.
//
// The cuts are velvane-cli's (analyze, analyze --smart, analyze --smart --songs N); where
// the music starts and ends comes from the same detector run in this program on the same
// side, whose cuts are checked against the program's. sox has no list of cut positions to
// give: its split files are found again in the side (sox copies the samples unchanged), and
// its cut is taken in the middle of the silence it left out between two files, the most
// favourable reading. Its time is that of the same command writing to the null device, so
// it writes no files.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchRun.h"
#include "bench/corpus/Score.h"
#include "detect/BandScan.h"
#include "detect/SmartSense.h"
#include "platform/File.h"
#include "sidefile/WaveFile.h"
#include "sidefile/WaveReader.h"

namespace fs = std::filesystem;

namespace {

// Cuts in seconds from velvane-cli analyze's "cuts:" line (tenths; zeros are no cuts).
std::vector<double> ParseCuts(const std::string& out) {
    std::vector<double> cuts;
    const std::size_t at = out.find("cuts:");
    if (at == std::string::npos) return cuts;
    std::istringstream in(out.substr(at + 5, out.find('\n', at) - at - 5));
    long tenths;
    while (in >> tenths)
        if (tenths > 0) cuts.push_back(tenths / 10.0);
    return cuts;
}

// The samples of a WAV file (interleaved, 16-bit).
std::vector<std::int16_t> ReadSamples(const std::string& path, std::size_t maxFrames = SIZE_MAX) {
    std::vector<std::int16_t> samples;
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile header;
    if (!in || !header.ReadHeader(in.get())) return samples;
    WaveReader wave(in.get(), header);
    const std::size_t frames = std::min<std::size_t>(header.dataBytes / 4, maxFrames);
    samples.resize(2 * frames);
    samples.resize(wave.ReadBytes(samples.data(), 4 * frames) / 2);
    return samples;
}

// Where sox's split files lie in the side: the middle of what it left out between files.
std::vector<double> SoxCuts(const std::vector<std::int16_t>& side, const std::string& folder) {
    std::vector<std::string> parts;
    for (const auto& entry : fs::directory_iterator(folder)) parts.push_back(entry.path());
    std::sort(parts.begin(), parts.end());
    std::vector<double> cuts;
    std::size_t from = 0;  // frame in the side where the search goes on
    bool first = true;
    for (const std::string& part : parts) {
        const std::vector<std::int16_t> head = ReadSamples(part, 256);
        if (head.empty()) continue;
        const std::size_t frames = fs::file_size(part) > 44 ? (fs::file_size(part) - 44) / 4 : 0;
        std::size_t at = from;
        const std::size_t n = head.size();
        while (at * 2 + n <= side.size() &&
               std::memcmp(&side[at * 2], head.data(), n * sizeof(std::int16_t)) != 0)
            ++at;
        if (at * 2 + n > side.size()) break;  // not found: give up on this side
        if (!first)
            cuts.push_back((static_cast<double>(from) + static_cast<double>(at)) / 2 / 44100);
        first = false;
        from = at + frames;
    }
    return cuts;
}

// The side's band energies, measured here as velvane-cli measures them.
std::vector<float> MeasureHere(const std::string& path) {
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile header;
    if (!in || !header.ReadHeader(in.get())) return {};
    BandScan scan(path, header.dataBytes / kBytesPerFrame);
    while (!scan.Ended()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return scan.Failed() ? std::vector<float>() : scan.Blocks();
}

std::vector<double> Seconds(const std::vector<std::int32_t>& tenths) {
    std::vector<double> seconds;
    for (const std::int32_t c : tenths) seconds.push_back(c / 10.0);
    return seconds;
}

// What a row of the table adds up.
struct Tally {
    int sides = 0;
    corpus::Score autoSense, smart, smartSongs;
    std::vector<corpus::Score> sox;
    int startOk = 0, endOk = 0, allRight = 0, allRightSongs = 0;
    double smartSeconds = 0, soxSeconds = 0;
};

void PrintRow(const std::string& name, const std::string& half, const Tally& t) {
    std::printf(
        "| %s | %s | %d | %d | %.3f | %.3f | %.2f s | %d of %d | %d of %d | %d / %d of %d | %.3f |",
        name.c_str(), half.c_str(), t.sides, t.smart.gaps, t.smart.F1(), t.smartSongs.F1(),
        t.smart.MeanDistance(), t.startOk, t.sides, t.endOk, t.sides, t.allRight, t.allRightSongs,
        t.sides, t.autoSense.F1());
    for (const corpus::Score& s : t.sox) std::printf(" %.3f |", s.F1());
    std::printf("\n");
}

void Usage() {
    std::fputs(
        "Usage: smart_bench --cli PATH --corpus DIR [--runs N] [--sox T,T,...] [--details]\n"
        "                   [--long-minutes M] [--long-hours H] [--detector-only]\n"
        "                   [--half tuning|held-out]\n"
        "Runs every *.wav of DIR that has a .truth beside it. Defaults: 1 run per timing (the\n"
        "median counts), sox at 1% (its manual's example), a 60-minute side for the memory\n"
        "figure (0 skips it; long sides take the median of at least 3 runs), no side of hours\n"
        "(--long-hours 6 adds one). --detector-only\n"
        "scores Smart Sense run here alone, without velvane-cli, sox or timings; --half runs\n"
        "the sides of one half of the conditions only.\n",
        stderr);
}

// One long side: the corpus sides end to end, cut to length.
std::string LongSide(const std::string& folder, const std::vector<std::string>& sides,
                     double seconds) {
    const std::string path = folder + "/long-" + std::to_string(std::lround(seconds)) + "s.wav";
    if (fs::exists(path)) return path;
    std::vector<std::string> args = {"sox"};
    const int rounds = 1 + static_cast<int>(seconds / 3600);  // the corpus is some hours long
    for (int k = 0; k < rounds; ++k) args.insert(args.end(), sides.begin(), sides.end());
    args.insert(args.end(), {path, "trim", "0", std::to_string(seconds)});
    bench::Run(args, ".");
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    std::string cli, corpusDir, soxList = "1%", half;
    int runs = 1;
    double longMinutes = 60, longHours = 0;
    bool details = false, detectorOnly = false;
    if (!bench::ReadOptions(argc, argv,
                            {{"--details", &details},
                             {"--detector-only", &detectorOnly},
                             {"--half", &half},
                             {"--cli", &cli},
                             {"--corpus", &corpusDir},
                             {"--runs", &runs},
                             {"--sox", &soxList},
                             {"--long-minutes", &longMinutes},
                             {"--long-hours", &longHours}})) {
        Usage();
        return 2;
    }
    runs = std::max(1, runs);
    if ((cli.empty() && !detectorOnly) || corpusDir.empty()) {
        Usage();
        return 2;
    }
    std::vector<std::string> soxThresholds;  // "--sox none" leaves sox out
    for (std::istringstream in(soxList); std::getline(in, soxList, ',');)
        if (soxList != "none") soxThresholds.push_back(soxList);

    std::vector<std::string> sides;
    for (const auto& entry : fs::directory_iterator(corpusDir)) {
        const fs::path p = entry.path();
        if (p.extension() == ".wav" && fs::exists(fs::path(p).replace_extension(".truth")))
            sides.push_back(p);
    }
    std::sort(sides.begin(), sides.end());
    if (sides.empty()) {
        std::fprintf(stderr, "smart_bench: no side with its truth in %s\n", corpusDir.c_str());
        return 1;
    }
    const std::string scratch = (fs::temp_directory_path() / "velvane-smart-bench").string();

    // The median wall time of `runs` runs; the last run's result and standard output.
    const auto timed = [&](const std::vector<std::string>& args, bench::RunResult* last = nullptr,
                           std::string* output = nullptr) {
        std::vector<double> times;
        bench::RunResult r;
        for (int k = 0; k < runs; ++k) {
            r = bench::Run(args, ".", output);
            times.push_back(r.seconds);
        }
        if (last) *last = r;
        return bench::Median(times);
    };
    const auto soxEffect = [](const std::string& t) {
        return std::vector<std::string>{"silence", "1", "0.1",     t,   "1",      "2.0",
                                        t,         ":", "newfile", ":", "restart"};
    };

    std::map<std::string, Tally> byCondition;  // in the order of the names; halves below
    std::map<std::string, bool> heldOut;
    Tally halves[2], all;
    double totalSeconds = 0, autoSeconds = 0;
    int disagreements = 0;
    for (const std::string& side : sides) {
        const corpus::Truth truth = *corpus::ReadTruth(fs::path(side).replace_extension(".truth"));
        if (!half.empty() && half != (truth.heldOut ? "held-out" : "tuning")) continue;
        totalSeconds += truth.seconds;
        const std::vector<float> energies = MeasureHere(side);
        const SmartSenseResult here = detect::ChooseSmartSense(energies, {});
        SmartSenseOptions given;
        given.songs = truth.songs;
        std::vector<double> autoCuts,
            smartCuts = Seconds(here.cuts),
            songsCuts = Seconds(detect::ChooseSmartSense(energies, given).cuts);
        double smartSeconds = 0;
        if (!detectorOnly) {
            bench::WarmPageCache(side);
            std::string out;
            autoSeconds += timed({cli, "analyze", "--quiet", side}, nullptr, &out);
            autoCuts = ParseCuts(out);
            smartSeconds = timed({cli, "analyze", "--quiet", "--smart", side}, nullptr, &out);
            disagreements += ParseCuts(out) != smartCuts;
            smartCuts = ParseCuts(out);
            bench::Run({cli, "analyze", "--quiet", "--smart", "--songs",
                        std::to_string(truth.songs), side},
                       ".", &out);
            songsCuts = ParseCuts(out);
        }

        Tally t;
        t.sides = 1;
        t.autoSense = corpus::ScoreCuts(truth, autoCuts);
        t.smart = corpus::ScoreCuts(truth, smartCuts);
        t.smartSongs = corpus::ScoreCuts(truth, songsCuts);
        t.startOk = std::abs(here.musicStart / 10.0 - truth.musicStart) <=
                    corpus::kMusicEdgeToleranceSeconds;
        t.endOk =
            std::abs(here.musicEnd / 10.0 - truth.musicEnd) <= corpus::kMusicEdgeToleranceSeconds;
        t.allRight = t.smart.found == t.smart.gaps && t.smart.Inside() == 0;
        t.allRightSongs = t.smartSongs.found == t.smartSongs.gaps && t.smartSongs.Inside() == 0;
        t.smartSeconds = smartSeconds;
        if (detectorOnly) soxThresholds.clear();
        const std::vector<std::int16_t> samples =
            soxThresholds.empty() ? std::vector<std::int16_t>() : ReadSamples(side);
        for (std::size_t k = 0; k < soxThresholds.size(); ++k) {
            std::vector<std::string> toNull = {"sox", "-D", side, "-n"};
            const std::vector<std::string> effect = soxEffect(soxThresholds[k]);
            toNull.insert(toNull.end(), effect.begin(), effect.end());
            const double seconds = timed(toNull);
            if (k == 0) t.soxSeconds = seconds;
            bench::EmptyFolder(scratch);
            std::vector<std::string> split = {"sox", "-D", side, scratch + "/part.wav"};
            split.insert(split.end(), effect.begin(), effect.end());
            bench::Run(split, ".");
            t.sox.push_back(corpus::ScoreCuts(truth, SoxCuts(samples, scratch)));
        }
        if (details)
            std::printf(
                "%-22s smart %2d/%2d gaps %2d inside | songs %2d/%2d %2d inside | start %+.1f s "
                "end %+.1f s%s%s\n",
                fs::path(side).stem().c_str(), t.smart.found, t.smart.gaps, t.smart.Inside(),
                t.smartSongs.found, t.smartSongs.gaps, t.smartSongs.Inside(),
                here.musicStart / 10.0 - truth.musicStart, here.musicEnd / 10.0 - truth.musicEnd,
                here.message.empty() ? "" : " | ", here.message.c_str());
        std::fflush(stdout);

        for (Tally* into : {&byCondition[truth.condition], &halves[truth.heldOut ? 1 : 0], &all}) {
            into->sides += t.sides;
            into->autoSense += t.autoSense;
            into->smart += t.smart;
            into->smartSongs += t.smartSongs;
            into->sox.resize(t.sox.size());
            for (std::size_t k = 0; k < t.sox.size(); ++k) into->sox[k] += t.sox[k];
            into->startOk += t.startOk;
            into->endOk += t.endOk;
            into->allRight += t.allRight;
            into->allRightSongs += t.allRightSongs;
            into->smartSeconds += t.smartSeconds;
            into->soxSeconds += t.soxSeconds;
        }
        heldOut[truth.condition] = truth.heldOut;
    }
    fs::remove_all(scratch);

    std::printf(
        "\n%d sides, %.0f minutes, %d gaps; load average %.1f on %ld cores; velvane-cli and "
        "the detector run here disagree on %d sides\n\n",
        all.sides, totalSeconds / 60, all.smart.gaps, bench::LoadAverage(),
        sysconf(_SC_NPROCESSORS_ONLN), disagreements);
    std::printf(
        "| condition | half | sides | gaps | Smart Sense F1 | F1, songs given | mean distance "
        "from gap middle | music start within 1 s | music end within 1 s | sides all right "
        "(songs given) | Auto Sense F1 |");
    for (const std::string& s : soxThresholds) std::printf(" sox %s F1 |", s.c_str());
    std::printf("\n|---|---|---|---|---|---|---|---|---|---|---|");
    for (std::size_t k = 0; k < soxThresholds.size(); ++k) std::printf("---|");
    std::printf("\n");
    for (const bool held : {false, true})
        for (const auto& [name, tally] : byCondition)
            if (heldOut[name] == held) PrintRow(name, held ? "held-out" : "tuning", tally);
    PrintRow("**tuning half**", "", halves[0]);
    PrintRow("**held-out half**", "", halves[1]);
    PrintRow("**all**", "", all);
    const corpus::Score& s = all.smart;
    std::printf(
        "\nSmart Sense overall: %d of %d gaps found, %d cuts inside songs; songs given: %d of "
        "%d, %d inside\n",
        s.found, s.gaps, s.Inside(), all.smartSongs.found, all.smartSongs.gaps,
        all.smartSongs.Inside());
    if (!soxThresholds.empty())
        std::printf(
            "Time over the corpus (median of %d runs per side): velvane-cli analyze --smart "
            "%.1f s, analyze (Auto Sense) %.1f s, sox silence %s %.1f s: Smart Sense %.1f "
            "times faster than sox\n",
            runs, all.smartSeconds, autoSeconds, soxThresholds.front().c_str(), all.soxSeconds,
            all.soxSeconds / all.smartSeconds);

    for (const double seconds : {longMinutes * 60, longHours * 3600}) {
        if (seconds <= 0 || detectorOnly) continue;
        const std::string longSide = LongSide(corpusDir, sides, seconds);
        bench::WarmPageCache(longSide);
        runs = std::max(runs, 3);  // one long side: the median of three
        bench::RunResult r;
        const double smart = timed({cli, "analyze", "--quiet", "--smart", longSide}, &r);
        std::printf("%s (%.0f minutes): velvane-cli analyze --smart %.1f s, peak memory %.1f MB",
                    longSide.c_str(), seconds / 60, smart, r.peakRssKb / 1024.0);
        if (!soxThresholds.empty()) {
            std::vector<std::string> toNull = {"sox", "-D", longSide, "-n"};
            const std::vector<std::string> effect = soxEffect(soxThresholds.front());
            toNull.insert(toNull.end(), effect.begin(), effect.end());
            const double sox = timed(toNull);
            std::printf("; sox %.1f s (%.1f times Smart Sense's)", sox, sox / smart);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
