#include "bench/corpus/Applause.h"

#include <algorithm>
#include <cmath>

#include "bench/corpus/MusicSources.h"

namespace corpus {

namespace {

constexpr double kClapsPerSecond = 150;
constexpr double kClapDecayFrames = 0.006 * kRate;
constexpr std::uint64_t kClapFrames = static_cast<std::uint64_t>(kClapDecayFrames * 6);
constexpr double kSwellSeconds = 0.4;
// About the RMS per channel of the clap stream at unit gain after the band filters.
constexpr double kUnitRms = 0.12;

}  // namespace

Applause::Applause(std::uint64_t frames, double db, std::uint64_t dies, std::uint64_t seed)
    : frames_(frames),
      dies_(std::min(dies, frames)),
      gain_(DecibelsToFactor(db) / kUnitRms),
      random_(seed) {}

double Applause::Envelope(std::uint64_t x) const {
    double g = std::min(1.0, static_cast<double>(x) / (kSwellSeconds * kRate));
    if (dies_ > 0 && x + dies_ >= frames_) {
        // Dies away exponentially, 60 dB over its last stretch.
        const double into = static_cast<double>(x + dies_ - frames_) / static_cast<double>(dies_);
        g *= std::pow(10.0, -3 * into);
    }
    return g;
}

void Applause::Add(std::uint64_t from, std::size_t n, double* out) {
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint64_t x = from + k;
        if (x >= frames_) break;
        while (nextClap_ <= static_cast<double>(x)) {
            const double pan = random_.Unit();
            claps_.push_back({x, random_.Uniform(0.3, 1.0), std::sqrt(1 - pan), std::sqrt(pan)});
            nextClap_ += random_.Exponential(kClapsPerSecond / kRate);
        }
        double left = 0, right = 0;
        for (const Clap& c : claps_) {
            const double v = c.amplitude *
                             std::exp(-static_cast<double>(x - c.start) / kClapDecayFrames) *
                             (2 * random_.Unit() - 1);
            left += c.left * v;
            right += c.right * v;
        }
        std::erase_if(claps_, [x](const Clap& c) { return x - c.start >= kClapFrames; });
        // A clap's band: roughly 300 Hz to 5 kHz.
        const double g = gain_ * Envelope(x);
        double* o = out + 2 * k;
        const double in[2] = {left, right};
        for (int c = 0; c < 2; ++c) {
            low_[c] += 0.5 * (in[c] - low_[c]);
            high_[c] += 0.043 * (low_[c] - high_[c]);
            o[c] += g * (low_[c] - high_[c]);
        }
    }
}

}  // namespace corpus
