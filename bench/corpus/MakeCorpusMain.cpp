// velvane-make-corpus: builds the Smart Sense corpus, record and cassette sides made from
// real music with what real transfers carry, each with its ground truth. Run through
// bench/make-corpus.sh, which decodes the music first.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>

#include "bench/BenchRun.h"
#include "bench/corpus/CorpusSide.h"

namespace {

int Usage() {
    std::fputs(
        "Usage: velvane-make-corpus --music DIR --out DIR [--seed S] [--sides N]\n"
        "Builds N sides (default 14) as OUT/sideNN.wav with OUT/sideNN.truth, from the\n"
        "decoded tracks (*.raw, 44.1 kHz 16-bit stereo) in the music folder. The same seed\n"
        "gives the same corpus; another seed a different one.\n",
        stderr);
    return 2;
}

// Crackle from a few clicks a minute to sixty a second.
constexpr double kCrackle[] = {0.05, 0.3, 1, 3, 10, 25, 60};
// Songs per side: a single long piece, and up to eleven.
constexpr int kSongs[] = {11, 3, 6, 9, 2, 11, 5, 8, 4, 7, 10, 1, 6, 11};

}  // namespace

int main(int argc, char** argv) {
    std::string music, out, seedText = "1";
    int sides = 14;
    if (!bench::ReadOptions(
            argc, argv,
            {{"--music", &music}, {"--out", &out}, {"--seed", &seedText}, {"--sides", &sides}}) ||
        music.empty() || out.empty() || sides < 1)
        return Usage();
    const std::uint64_t seed = std::strtoull(seedText.c_str(), nullptr, 10);

    const corpus::MusicSources sources(music, 40);
    if (sources.Stretches().empty()) {
        std::fprintf(stderr, "velvane-make-corpus: no usable music in %s\n", music.c_str());
        return 1;
    }
    std::filesystem::create_directories(out);
    corpus::Random random(seed);
    // Each seed deals the profiles out in its own order.
    std::vector<int> order(static_cast<std::size_t>(sides));
    std::iota(order.begin(), order.end(), 0);
    for (std::size_t i = order.size(); i > 1; --i)
        std::swap(order[i - 1], order[static_cast<std::size_t>(random.Below(static_cast<int>(i)))]);

    for (int i = 0; i < sides; ++i) {
        const int j = order[static_cast<std::size_t>(i)];
        corpus::SideProfile profile;
        profile.medium = j % 4 == 3 ? corpus::Medium::Cassette : corpus::Medium::Vinyl;
        profile.clicksPerSecond = kCrackle[j % std::size(kCrackle)];
        profile.songs = kSongs[j % std::size(kSongs)];
        profile.segue = j % 5 == 2;
        profile.low = j % 14 == 5;
        char name[32];
        std::snprintf(name, sizeof name, "side%02d", i + 1);
        const corpus::SidePlan plan = corpus::PlanSide(name, profile, sources, random);
        const std::string base = out + "/" + name;
        if (!corpus::RenderSide(plan, sources, base + ".wav", seed * 1000 + i) ||
            !corpus::WriteTruth(plan, sources, base + ".truth")) {
            std::fprintf(stderr, "velvane-make-corpus: cannot write %s.wav\n", base.c_str());
            return 1;
        }
        const corpus::SideLayout layout = corpus::LayOut(plan);
        std::printf("%s: %5.1f min, %2zu songs, %s\n", name,
                    static_cast<double>(layout.frames) / corpus::kRate / 60, plan.songs.size(),
                    profile.medium == corpus::Medium::Vinyl ? "vinyl" : "cassette");
        std::fflush(stdout);
    }
    return 0;
}
