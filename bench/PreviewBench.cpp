// What one preview playback callback costs against the 64 frames (1.45 ms) it must fill
// in time: the whole 10 s listen window played through PlaybackCallback, with and without
// the treble boost, Normalize and a fade. Prints figures; asserts nothing.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "waveview/ListenWindow.h"
#include "waveview/PlaybackCallback.h"

namespace {

struct Settings : PlaybackSettings {
    int fadeId = 300;
    bool normalize = false;
    float level = 0;
    ProcessingSettings Processing() const override {
        ProcessingSettings settings;
        settings.fadeSeconds = menu::FadeSecondsForId(fadeId);
        settings.normalize = normalize;
        settings.trebleBoost = level;
        return settings;
    }
    float PeakLevel(Side) const override { return 0.7f; }
};

double NanosecondsPerCall(const Settings& settings, const std::vector<std::int16_t>& samples) {
    constexpr int kRounds = 20;
    std::int16_t out[128];
    std::int64_t sink = 0, calls = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        PlaybackState state;
        state.left = samples.data();
        state.right = samples.data();
        state.size = kListenFrames;
        state.endMode = round % 2 == 0;
        state.settings = &settings;
        while (state.position + 64 < state.size) {
            waveview::PlaybackCallback(out, &state);
            sink += out[5];
            ++calls;
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (sink == 42) std::puts("");  // keeps the work
    return std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(calls);
}

}  // namespace

int main() {
    std::vector<std::int16_t> samples(kListenFrames);
    std::uint32_t x = 1;
    for (auto& s : samples) s = static_cast<std::int16_t>((x = x * 1664525 + 1013904223) >> 16);
    constexpr double kBudgetNs = 64.0 / 44100.0 * 1e9;

    Settings plain;
    Settings full;
    full.fadeId = 303;
    full.normalize = true;
    full.level = 12;
    std::printf("preview callback, 64 frames per call (budget %.0f ns)\n", kBudgetNs);
    for (const auto& [name, settings] :
         {std::pair{"no processing", &plain}, std::pair{"EQ 12, normalize, 2 s fade", &full}}) {
        const double ns = NanosecondsPerCall(*settings, samples);
        std::printf("  %-28s %8.0f ns/call  %6.2f%% of the budget\n", name, ns,
                    100.0 * ns / kBudgetNs);
    }
    return 0;
}
