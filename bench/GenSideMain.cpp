// velvane-gen-side: writes a deterministic test side and prints where its songs lie.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/SideGenerator.h"

namespace {

int Usage() {
    std::fputs(
        "Usage: velvane-gen-side [--minutes M] [--songs N] [--seed S] [--lead-in SEC]\n"
        "                        [--run-out SEC] [--gap SEC] [--list] OUT.wav\n"
        "Writes a 44.1 kHz 16-bit stereo side: songs separated by hiss with crackle.\n"
        "Defaults: 25 minutes, 8 songs, seed 1, lead-in 3 s, run-out 6 s, gaps 4 s.\n"
        "--list adds a LIST chunk before the data. Prints each song's start and end in\n"
        "seconds and frames.\n",
        stderr);
    return 2;
}

bool ReadNumber(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    sidegen::SideRecipe recipe;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        double value = 0;
        if (arg == "--list") {
            recipe.listChunk = true;
        } else if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc || !ReadNumber(argv[++i], value)) return Usage();
            if (arg == "--minutes")
                recipe.minutes = value;
            else if (arg == "--songs")
                recipe.songs = static_cast<int>(value);
            else if (arg == "--seed")
                recipe.seed = static_cast<std::uint32_t>(value);
            else if (arg == "--lead-in")
                recipe.leadInSeconds = value;
            else if (arg == "--run-out")
                recipe.runOutSeconds = value;
            else if (arg == "--gap")
                recipe.gapSeconds = value;
            else
                return Usage();
        } else if (out.empty()) {
            out = arg;
        } else {
            return Usage();
        }
    }
    if (out.empty() || recipe.songs < 1 || recipe.minutes <= 0) return Usage();

    sidegen::SideLayout layout;
    if (!sidegen::WriteSideFile(out, recipe, &layout)) {
        std::fprintf(stderr, "velvane-gen-side: cannot write %s (or the songs do not fit)\n",
                     out.c_str());
        return 1;
    }
    for (std::size_t i = 0; i < layout.songs.size(); ++i) {
        const sidegen::Song& s = layout.songs[i];
        std::printf("song %zu: %.3f s - %.3f s (frames %llu - %llu)\n", i + 1,
                    static_cast<double>(s.startFrame) / sidegen::kRate,
                    static_cast<double>(s.endFrame) / sidegen::kRate,
                    static_cast<unsigned long long>(s.startFrame),
                    static_cast<unsigned long long>(s.endFrame));
    }
    std::printf("frames: %llu\n", static_cast<unsigned long long>(layout.frames));
    return 0;
}
