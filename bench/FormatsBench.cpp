// formats_bench: velvane-cli on a 25-minute 96 kHz 24-bit side (made from a generated side
// by linear interpolation), auto-sense and typed-times slicing, against a sox split at
// silences and a dd copy of the same file, page cache warm; and velvane-cli's peak
// resident size slicing a 60-minute 192 kHz 24-bit side (an RF64 file). Prints figures,
// ratios and targets. Not a test: it asserts nothing.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchRun.h"
#include "bench/SideGenerator.h"
#include "platform/File.h"
#include "sidefile/SideReader.h"
#include "sidefile/WaveHeader.h"

namespace fs = std::filesystem;

namespace {

// The generated 44.1 kHz side at `rate`, 24-bit, interpolated linearly between its frames.
bool WriteFineSide(const std::string& from, const std::string& to, std::uint32_t rate) {
    const std::unique_ptr<SideReader> side = SideReader::Open(from);
    if (!side) return false;
    const std::uint64_t inFrames = side->Frames();
    std::vector<std::int16_t> in(2 * inFrames);
    if (side->Read(reinterpret_cast<std::uint8_t*>(in.data()), inFrames) != inFrames) return false;
    const SideFormat format{rate, 2, SampleEncoding::Int24};
    const std::uint64_t outFrames = inFrames * rate / 44100;
    platform::FilePtr out = platform::OpenFile(to, "wb");
    const WaveHeader header = WaveHeader::For(format, outFrames * 6);
    if (!out || !header.Write(out.get(), outFrames * 6)) return false;
    std::vector<std::uint8_t> bytes;
    constexpr std::uint64_t kStep = 1 << 16;
    for (std::uint64_t j = 0; j < outFrames; j += kStep) {
        const std::uint64_t n = std::min(kStep, outFrames - j);
        bytes.resize(n * 6);
        for (std::uint64_t k = 0; k < n; ++k) {
            const double t = static_cast<double>(j + k) * 44100 / rate;
            const auto i = std::min<std::uint64_t>(static_cast<std::uint64_t>(t), inFrames - 2);
            const double frac = t - static_cast<double>(i);
            for (int c = 0; c < 2; ++c) {
                const double v = (1 - frac) * in[2 * i + c] + frac * in[2 * i + 2 + c];
                const auto s = static_cast<std::int32_t>(v * 256);
                for (int b = 0; b < 3; ++b)
                    bytes[6 * k + 3 * c + b] = static_cast<std::uint8_t>(s >> (8 * b));
            }
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size()) return false;
    }
    return platform::CloseFile(out);
}

struct Contender {
    std::string name;
    std::vector<std::string> args;
    std::vector<double> times;
    int failures = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::string cli = VELVANE_CLI_PATH;
    int runs = 3;
    double minutes = 25, rssMinutes = 60;
    std::string parent = fs::temp_directory_path().string();
    if (!bench::ReadOptions(argc, argv,
                            {{"--cli", &cli},
                             {"--runs", &runs},
                             {"--minutes", &minutes},
                             {"--rss-minutes", &rssMinutes},
                             {"--dir", &parent}})) {
        std::fputs(
            "Usage: formats_bench [--cli PATH] [--runs N] [--minutes M] [--rss-minutes M] "
            "[--dir DIR]\n",
            stderr);
        return 2;
    }
    runs = std::max(1, runs);
    cli = fs::absolute(cli).string();
    const std::string dir = bench::MakeTempFolder(parent, "velvane-formats-bench");
    if (dir.empty()) return 1;
    const std::string out = dir + "/out";
    const std::string side = dir + "/side96.wav";

    std::printf("generating a %.0f-minute 96 kHz 24-bit side in %s ...\n", minutes, dir.c_str());
    sidegen::SideRecipe recipe;
    recipe.minutes = minutes;
    recipe.songs = 8;
    if (!sidegen::WriteSideFile(dir + "/side44.wav", recipe) ||
        !WriteFineSide(dir + "/side44.wav", side, 96000)) {
        std::fprintf(stderr, "cannot write %s\n", side.c_str());
        return 1;
    }
    fs::remove(dir + "/side44.wav");

    std::vector<Contender> contenders = {
        {"velvane-cli slice (auto)", {cli, "slice", "--quiet", "--out", out, side}, {}},
        {"velvane-cli slice --typed",
         {cli, "slice", "--quiet", "--typed", "--times1", "3:00,6:00,9:00,12:00,15:00,18:00,21:00",
          "--out", out, side},
         {}},
        {"sox split at silences",
         {"sox", side, "out.wav", "silence", "1", "0.1", "0.5%", "1", "2.0", "0.5%", ":", "newfile",
          ":", "restart"},
         {}},
        {"dd bs=1M copy", {"dd", "if=" + side, "of=" + out + "/copy.wav", "bs=1M"}, {}},
    };
    const bool haveSox = bench::HasProgram("sox");
    if (!haveSox) contenders[2].failures = -1;
    for (int run = 0; run < runs; ++run)
        for (Contender& c : contenders) {
            if (c.failures < 0) continue;
            bench::EmptyFolder(out);
            bench::WarmPageCache(side);
            const bench::RunResult r = bench::Run(c.args, out);
            if (r.status != 0) ++c.failures;
            c.times.push_back(r.seconds);
        }
    bench::EmptyFolder(out);

    std::printf("\n%d runs each, page cache warm, load average %.1f on %ld cores (%s, %.0f MB):\n",
                runs, bench::LoadAverage(), sysconf(_SC_NPROCESSORS_ONLN), side.c_str(),
                static_cast<double>(fs::file_size(side)) / 1e6);
    for (const Contender& c : contenders) {
        if (c.failures < 0) {
            std::printf("  %-28s not installed\n", c.name.c_str());
            continue;
        }
        std::printf("  %-28s median %7.3f s  best %7.3f s%s\n", c.name.c_str(),
                    bench::Median(c.times), *std::min_element(c.times.begin(), c.times.end()),
                    c.failures ? "  (FAILED in some runs)" : "");
    }
    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    const double dd = bench::Median(contenders[3].times);
    const double sox = bench::Median(contenders[2].times);
    std::printf("\nratios of the median wall times:\n");
    for (int k = 0; k < 2; ++k) {
        const double velvane = bench::Median(contenders[k].times);
        const char* how = k == 0 ? "auto " : "typed";
        if (haveSox)
            std::printf("  sox / velvane (%s)      %6.2f   target >= 5    %s\n", how, sox / velvane,
                        verdict(sox / velvane >= 5));
        std::printf("  velvane (%s) / dd       %6.2f   target <= 2    %s\n", how, velvane / dd,
                    verdict(velvane / dd <= 2));
    }

    if (rssMinutes > 0) {
        std::printf("\ngenerating a %.0f-minute 192 kHz 24-bit side for the memory figure ...\n",
                    rssMinutes);
        fs::remove(side);
        const std::string longSide = dir + "/long192.wav";
        recipe.minutes = rssMinutes;
        recipe.songs = 10;
        if (sidegen::WriteSideFile(dir + "/long44.wav", recipe) &&
            WriteFineSide(dir + "/long44.wav", longSide, 192000)) {
            fs::remove(dir + "/long44.wav");
            for (const bool eq : {false, true}) {
                bench::EmptyFolder(out);
                std::vector<std::string> args = {cli, "slice", "--quiet", "--out", out};
                if (eq) args.insert(args.end(), {"--eq", "6", "--fade", "1"});
                args.push_back(longSide);
                const bench::RunResult r = bench::Run(args, out);
                std::printf("  velvane-cli slice%s peak RSS  %6.1f MB   target < 64 MB  %s%s\n",
                            eq ? " --eq 6 --fade 1" : "", r.peakRssKb / 1024.0,
                            verdict(r.peakRssKb < 64 * 1024), r.status ? "  (the run FAILED)" : "");
            }
        } else {
            std::printf("  cannot write %s\n", longSide.c_str());
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
