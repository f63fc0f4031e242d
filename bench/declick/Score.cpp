#include "bench/declick/Score.h"

#include <algorithm>
#include <cmath>

namespace declick {

namespace {

double Db(double signal, double noise) {
    if (noise <= 0) return kNoHarmDb;
    return std::min(kNoHarmDb, 10 * std::log10(signal / noise));
}

// Summed squared difference of a and b over frames [begin, end), both channels.
double Energy(const float* a, const float* b, std::size_t begin, std::size_t end) {
    double sum = 0;
    for (std::size_t i = begin * kChannels; i < end * kChannels; ++i) {
        const double d = static_cast<double>(a[i]) - (b ? b[i] : 0.0f);
        sum += d * d;
    }
    return sum;
}

// Whether the click's peak stands kStandOutDb above the music's level around it (the RMS of
// both clean channels within kLocalFrames of it).
bool StandsOut(const float* clean, const float* in, std::size_t frames, const DamageEvent& e) {
    double peak = 0;
    for (std::size_t i = e.start * kChannels; i < (e.start + e.length) * kChannels; ++i) {
        peak = std::max(peak, std::fabs(static_cast<double>(in[i]) - clean[i]));
    }
    const std::size_t from = e.start - std::min(e.start, kLocalFrames);
    const std::size_t to = std::min(frames, e.start + e.length + kLocalFrames);
    const double meanSquare =
        Energy(clean, nullptr, from, to) / static_cast<double>((to - from) * kChannels);
    return 20 * std::log10(peak + 1e-30) >= 10 * std::log10(meanSquare + 1e-30) + kStandOutDb;
}

}  // namespace

DamageScore ScoreDamage(const std::vector<float>& clean, const Damaged& damaged,
                        const float* output) {
    DamageScore score;
    const std::size_t frames = clean.size() / kChannels;
    const float* c = clean.data();
    const float* in = damaged.samples.data();
    const double music = Energy(c, nullptr, 0, frames);
    score.wholeGainDb =
        Db(music, Energy(output, c, 0, frames)) - Db(music, Energy(in, c, 0, frames));
    // The damaged frames: the union of the events' spans.
    std::vector<bool> hit(frames, false);
    for (const DamageEvent& e : damaged.events) {
        std::fill(hit.begin() + static_cast<std::ptrdiff_t>(e.start),
                  hit.begin() + static_cast<std::ptrdiff_t>(e.start + e.length), true);
        if (!StandsOut(c, in, frames, e)) continue;
        const double before = Energy(in, c, e.start, e.start + e.length);
        const double after = Energy(output, c, e.start, e.start + e.length);
        ++score.clicks;
        score.repaired += after <= kRepairedResidualShare * before;
    }
    double before = 0, after = 0;
    for (std::size_t f = 0; f < frames; ++f) {
        if (!hit[f]) continue;
        before += Energy(in, c, f, f + 1);
        after += Energy(output, c, f, f + 1);
    }
    score.spanGainDb = Db(before, after);
    return score;
}

double HarmDb(const std::vector<float>& input, const float* output) {
    const std::size_t frames = input.size() / kChannels;
    return Db(Energy(input.data(), nullptr, 0, frames), Energy(output, input.data(), 0, frames));
}

}  // namespace declick
