// smart_bench: Auto Sense, Smart Sense (without and with the song counts) and sox's
// silence splitting side by side on the corpus that bench/make-corpus.sh builds: gaps
// found, cuts inside songs, precision, recall, F1, mean distance from the gap's middle,
// wall time and the ratio to sox's; then Smart Sense's peak memory and time on a 60-minute
// side. Run through bench/smart-bench.sh. Not a test: it asserts nothing.
//
// sox has no list of cut positions to give: its split files are found again in the side
// (sox copies the samples unchanged), and its cut is taken in the middle of the silence it
// left out between two files, the most favourable reading. Its time is that of the same
// command writing to the null device, so it writes no files.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchRun.h"
#include "bench/corpus/Score.h"
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

struct Method {
    explicit Method(std::string n) : name(std::move(n)) {}
    std::string name;
    corpus::Score score;
    double seconds = 0;
};

void Usage() {
    std::fputs(
        "Usage: smart_bench --cli PATH --corpus DIR [--runs N] [--sox T,T,...] [--details]\n"
        "                   [--long-minutes M]\n"
        "Runs every sideNN.wav of DIR that has a sideNN.truth. Defaults: 3 runs per timing\n"
        "(the median counts), sox at 1% (its manual's example), a 60-minute side for the\n"
        "memory figure (0 skips it).\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv) {
    std::string cli, corpusDir, soxList = "1%";
    int runs = 3;
    double longMinutes = 60;
    bool details = false;
    if (!bench::ReadOptions(argc, argv,
                            {{"--details", &details},
                             {"--cli", &cli},
                             {"--corpus", &corpusDir},
                             {"--runs", &runs},
                             {"--sox", &soxList},
                             {"--long-minutes", &longMinutes}})) {
        Usage();
        return 2;
    }
    runs = std::max(1, runs);
    if (cli.empty() || corpusDir.empty()) {
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

    std::vector<Method> methods = {Method("Auto Sense"), Method("Smart Sense"),
                                   Method("Smart Sense, songs known")};
    for (const std::string& t : soxThresholds) methods.emplace_back("sox silence " + t + ", 2 s");
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

    double totalSeconds = 0;
    int totalSongs = 0, totalGaps = 0;
    for (const std::string& side : sides) {
        const corpus::Truth truth = *corpus::ReadTruth(fs::path(side).replace_extension(".truth"));
        totalSeconds += truth.seconds;
        totalSongs += truth.songs;
        totalGaps += static_cast<int>(truth.gaps.size());
        const std::vector<std::vector<std::string>> velvane = {
            {cli, "analyze", "--quiet", side},
            {cli, "analyze", "--quiet", "--smart", side},
            {cli, "analyze", "--quiet", "--smart", "--songs", std::to_string(truth.songs), side}};
        std::vector<std::vector<double>> found(methods.size());
        for (std::size_t m = 0; m < velvane.size(); ++m) {
            std::string out;
            methods[m].seconds += timed(velvane[m], nullptr, &out);
            found[m] = ParseCuts(out);
        }
        // The side's samples, to find sox's split files in it.
        const std::vector<std::int16_t> samples =
            soxThresholds.empty() ? std::vector<std::int16_t>() : ReadSamples(side);
        for (std::size_t t = 0; t < soxThresholds.size(); ++t) {
            const std::vector<std::string> effect = {
                "silence", "1",       "0.1", soxThresholds[t], "1", "2.0", soxThresholds[t],
                ":",       "newfile", ":",   "restart"};
            std::vector<std::string> toNull = {"sox", "-D", side, "-n"};
            toNull.insert(toNull.end(), effect.begin(), effect.end());
            methods[3 + t].seconds += timed(toNull);
            fs::remove_all(scratch);
            fs::create_directories(scratch);
            std::vector<std::string> split = {"sox", "-D", side, scratch + "/part.wav"};
            split.insert(split.end(), effect.begin(), effect.end());
            bench::Run(split, ".");
            found[3 + t] = SoxCuts(samples, scratch);
        }
        for (std::size_t m = 0; m < methods.size(); ++m) {
            const corpus::Score s = corpus::ScoreCuts(truth, found[m]);
            methods[m].score += s;
            if (details)
                std::printf("%s  %-26s %2d/%2d gaps, %2d inside\n",
                            fs::path(side).filename().c_str(), methods[m].name.c_str(), s.found,
                            s.gaps, s.Inside());
        }
    }
    fs::remove_all(scratch);

    std::printf(
        "\n%zu sides, %.0f minutes, %d songs, %d gaps; median of %d runs per side, load "
        "average %.1f on %ld cores\n\n",
        sides.size(), totalSeconds / 60, totalSongs, totalGaps, runs, bench::LoadAverage(),
        sysconf(_SC_NPROCESSORS_ONLN));
    std::printf(
        "| method | gaps found | cuts inside songs | precision | recall | F1 | mean "
        "distance from gap middle | time | sox (%s) / time "
        "|\n|---|---|---|---|---|---|---|---|---|\n",
        soxThresholds.empty() ? "not run" : soxThresholds.front().c_str());
    const double soxSeconds = soxThresholds.empty() ? 0 : methods[3].seconds;
    for (const Method& m : methods)
        std::printf("| %s | %d of %d | %d | %.3f | %.3f | %.3f | %.2f s | %.2f s | %.1f |\n",
                    m.name.c_str(), m.score.found, m.score.gaps, m.score.Inside(),
                    m.score.Precision(), m.score.Recall(), m.score.F1(), m.score.MeanDistance(),
                    m.seconds, soxSeconds / m.seconds);

    if (longMinutes > 0 && !soxThresholds.empty()) {
        // One long side: the corpus sides end to end, cut to length.
        const std::string longSide = corpusDir + "/long.wav";
        if (!fs::exists(longSide)) {
            std::vector<std::string> args = {"sox"};
            args.insert(args.end(), sides.begin(), sides.end());
            args.insert(args.end(), {longSide, "trim", "0", std::to_string(longMinutes * 60)});
            bench::Run(args, ".");
        }
        bench::RunResult r;
        const double smart = timed({cli, "analyze", "--quiet", "--smart", longSide}, &r);
        const double sox =
            timed({"sox", "-D", longSide, "-n", "silence", "1", "0.1", soxThresholds.front(), "1",
                   "2.0", soxThresholds.front(), ":", "newfile", ":", "restart"});
        std::printf(
            "\n%s (%.0f minutes): Smart Sense %.2f s, peak memory %.1f MB; sox %.2f s "
            "(%.1f times Smart Sense's)\n",
            longSide.c_str(), longMinutes, smart, r.peakRssKb / 1024.0, sox, sox / smart);
    }
    return 0;
}
