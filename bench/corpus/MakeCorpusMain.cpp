// velvane-make-corpus: builds the Smart Sense corpus, record and cassette sides made from
// real music with what real transfers carry, each under one condition (Conditions.h) and
// with its ground truth. Run through bench/make-corpus.sh, which decodes the music first.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchRun.h"
#include "bench/corpus/CorpusSide.h"

namespace {

int Usage() {
    std::fputs(
        "Usage: velvane-make-corpus --music DIR --out DIR [--seed S] [--sides-per-condition N]\n"
        "Builds N sides (default 3) under each condition as OUT/CONDITION-K.wav with\n"
        "OUT/CONDITION-K.truth, from the decoded tracks (*.raw, 44.1 kHz 16-bit stereo) in the\n"
        "music folder. The same seed gives the same corpus; another seed a different one.\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string music, out, seedText = "1";
    int sides = 3;
    if (!bench::ReadOptions(argc, argv,
                            {{"--music", &music},
                             {"--out", &out},
                             {"--seed", &seedText},
                             {"--sides-per-condition", &sides}}) ||
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
    int made = 0;
    for (int c = 0; c < corpus::kConditions; ++c) {
        const auto condition = static_cast<corpus::Condition>(c);
        for (int k = 1; k <= sides; ++k, ++made) {
            const std::string name =
                std::string(corpus::ConditionName(condition)) + "-" + std::to_string(k);
            const corpus::SidePlan plan = corpus::PlanSide(name, condition, sources, random);
            const std::string base = out + "/" + name;
            if (!corpus::RenderSide(plan, sources, base + ".wav", seed * 1000 + made) ||
                !corpus::WriteTruth(plan, sources, base + ".truth")) {
                std::fprintf(stderr, "velvane-make-corpus: cannot write %s.wav\n", base.c_str());
                return 1;
            }
            const corpus::SideLayout layout = corpus::LayOut(plan);
            std::printf("%-20s %5.1f min, %zu songs, %s\n", name.c_str(),
                        static_cast<double>(layout.frames) / corpus::kRate / 60, plan.songs.size(),
                        plan.noise.medium == corpus::Medium::Vinyl ? "vinyl" : "cassette");
            std::fflush(stdout);
        }
    }
    return 0;
}
