// record_bench: a whole record from sides to encoded files. A generated two-side record (10
// songs, 40 minutes) is sliced by auto sense and encoded by velvane-cli with one encoder
// run at a time (--jobs 1) and with its default (one per processor), and by what a user
// would otherwise script: sox splitting each side at silences, then the same encoder over
// the pieces with xargs -P <processors>. For lame at 192 kbit/s, oggenc and flac, with the
// page cache warm; prints the median and best wall times and the ratios against the
// targets. Not a test: it asserts nothing.
//
// record_bench [--cli PATH] [--runs N] [--minutes M] [--encoders lame,ogg,flac] [--dir DIR]

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchRun.h"
#include "bench/SideGenerator.h"

namespace fs = std::filesystem;

namespace {

struct Encoder {
    const char* kind;     ///< velvane-cli --encode
    const char* program;  ///< on PATH
    /// The same arguments velvane-cli gives the encoder, for the script: {} is the piece.
    const char* scriptArgs;
    const char* extension;
};

constexpr Encoder kEncoders[] = {
    {"lame", "lame", "lame -b 192 {} {}.mp3", ".mp3"},
    {"ogg", "oggenc", "oggenc -b 192 -o {}.ogg {}", ".ogg"},
    {"flac", "flac", "flac --silent -f -o {}.flac {}", ".flac"},
};

struct Contender {
    Contender(std::string n, std::vector<std::string> a) : name(std::move(n)), args(std::move(a)) {}
    std::string name;
    std::vector<std::string> args;
    std::vector<double> times;
    int failures = 0;
    int files = 0;  ///< encoded files the last run left
};

int CountFiles(const std::string& folder, const std::string& extension) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == extension) ++count;
    return count;
}

void Usage() {
    std::fputs(
        "Usage: record_bench [--cli PATH] [--runs N] [--minutes M] [--encoders LIST] [--dir DIR]\n"
        "Defaults: the velvane-cli built beside this program, 3 runs, a 40-minute record (two\n"
        "sides of 5 songs), the encoders lame,ogg,flac, a fresh folder under /tmp.\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv) {
    std::string cli = VELVANE_CLI_PATH;
    int runs = 3;
    double minutes = 40;
    std::string encoders = "lame,ogg,flac";
    std::string parent = fs::temp_directory_path().string();
    if (!bench::ReadOptions(argc, argv,
                            {{"--cli", &cli},
                             {"--runs", &runs},
                             {"--minutes", &minutes},
                             {"--encoders", &encoders},
                             {"--dir", &parent}})) {
        Usage();
        return 2;
    }
    runs = std::max(1, runs);
    encoders = "," + encoders + ",";
    cli = fs::absolute(cli).string();
    const std::string dir = bench::MakeTempFolder(parent, "velvane-record-bench");
    if (dir.empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    const std::string sides[2] = {dir + "/side1.wav", dir + "/side2.wav"};
    const std::string out = dir + "/out";
    std::printf("generating a %.0f-minute record of 10 songs in %s ...\n", minutes, dir.c_str());
    for (int s = 0; s < 2; ++s) {
        sidegen::SideRecipe recipe;
        recipe.minutes = minutes / 2;
        recipe.songs = 5;
        recipe.seed = static_cast<std::uint32_t>(s + 1);
        if (!sidegen::WriteSideFile(sides[s], recipe)) {
            std::fprintf(stderr, "cannot write %s\n", sides[s].c_str());
            return 1;
        }
    }
    const bool haveSox = bench::HasProgram("sox");
    const double loadBefore = bench::LoadAverage();

    struct Result {
        const Encoder* encoder;
        std::vector<Contender> contenders;
    };
    std::vector<Result> results;
    for (const Encoder& e : kEncoders) {
        if (encoders.find(std::string(",") + e.kind + ",") == std::string::npos) continue;
        if (!bench::HasProgram(e.program)) {
            std::printf("%s: not installed, skipped\n", e.program);
            continue;
        }
        const std::vector<std::string> velvane = {cli,      "slice", "--quiet", "--encode", e.kind,
                                                  "--rate", "192",   "--out",   out};
        Result result{&e, {}};
        std::vector<std::string> one = velvane, all = velvane;
        one.insert(one.end(), {"--jobs", "1", sides[0], sides[1]});
        all.insert(all.end(), {sides[0], sides[1]});
        result.contenders.emplace_back("velvane-cli --jobs 1", one);
        result.contenders.emplace_back("velvane-cli (default)", all);
        if (haveSox) {
            const std::string script =
                "for s in \"$0\" \"$1\"; do sox \"$s\" \"$(basename \"$s\")\" silence 1 0.1 0.5% "
                "1 2.0 0.5% : newfile : restart || exit 1; done; "
                "find . -name 'side*.wav' -size +1k -print0 | xargs -0 -P " +
                std::to_string(cores) + " -I{} " + e.scriptArgs;
            result.contenders.emplace_back(
                "sox + xargs -P " + std::to_string(cores),
                std::vector<std::string>{"sh", "-c", script, sides[0], sides[1]});
        }
        std::printf("%s: %d runs of %zu contenders ...\n", e.program, runs,
                    result.contenders.size());
        std::fflush(stdout);
        for (int run = 0; run < runs; ++run)
            for (Contender& c : result.contenders) {
                bench::EmptyFolder(out);
                for (const std::string& side : sides) bench::WarmPageCache(side);
                const bench::RunResult r = bench::Run(c.args, out);
                if (r.status != 0) ++c.failures;
                c.times.push_back(r.seconds);
                c.files = CountFiles(out, e.extension);
            }
        results.push_back(std::move(result));
    }
    bench::EmptyFolder(out);

    std::printf(
        "\nrecord of %.0f minutes, page cache warm, %ld cores, load average %.1f before "
        "and %.1f after:\n",
        minutes, cores, loadBefore, bench::LoadAverage());
    std::printf("  %-10s %-24s %9s %9s %6s\n", "encoder", "", "median", "best", "files");
    for (const Result& r : results)
        for (const Contender& c : r.contenders)
            std::printf("  %-10s %-24s %7.2f s %7.2f s %6d%s\n", r.encoder->program, c.name.c_str(),
                        bench::Median(c.times), bench::Best(c.times), c.files,
                        c.failures ? "  (FAILED in some runs)" : "");

    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    for (const bool best : {false, true}) {
        std::printf("\nratios of the %s wall times:\n", best ? "best" : "median");
        for (const Result& r : results) {
            const auto time = [&](std::size_t i) {
                const std::vector<double>& t = r.contenders[i].times;
                return best ? bench::Best(t) : bench::Median(t);
            };
            const bool lossy = r.encoder->extension != std::string(".flac");
            const double jobs = time(0) / time(1);
            std::printf("  %-8s --jobs 1 / default   %5.2f", r.encoder->program, jobs);
            if (lossy && cores >= 2) std::printf("   target >= 1.8  %s", verdict(jobs >= 1.8));
            std::printf("\n");
            if (r.contenders.size() > 2) {
                const double script = time(2) / time(1);
                std::printf("  %-8s script / velvane-cli %5.2f   target > 1    %s\n",
                            r.encoder->program, script, verdict(script > 1));
            }
        }
    }

    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
