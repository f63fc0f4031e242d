#include "engine/SmartSense.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "engine/SideState.h"

namespace {

constexpr double kSilentDb = -96;           // below: no signal at all, not the groove's noise
constexpr double kMusicRangeDb = 20;        // music: within this of the side's typical level
constexpr std::int64_t kFloorReach = 30;    // the floor is looked for up to 3 s beyond the music
constexpr double kNearFloorDb = 8;          // a gap's blocks lie within this of the floor
constexpr double kBelowMusicDb = 20;        // and this far below the music on both sides
constexpr std::int64_t kMusicWindow = 100;  // blocks of music looked at on each side (10 s)
constexpr double kMusicPercentile = 0.9;
constexpr double kQuietestDb = 3;           // the quietest stretch: within this of the lowest
constexpr std::int64_t kShortestRun = 2;     // blocks: shorter dips are never gaps
constexpr std::int64_t kCertainBlocks = 20;  // a stretch this long at the floor is surely a gap

struct Candidate {
    std::int64_t begin, end;  // blocks [begin, end)
    double level;             // dB
    double depth;             // dB below the quieter side's music
    std::int32_t cut;
};

double Decibels(double energy) {
    return 10 * std::log10(std::max(energy, 1e-13));
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return -200;
    const auto k = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
}

}  // namespace

std::vector<std::int32_t> ChooseSmartSenseCuts(std::span<const float> energies,
                                               const SmartSenseOptions& options) {
    const auto blocks = static_cast<std::int64_t>(energies.size());
    std::vector<double> x(energies.size()), smooth(energies.size());
    for (std::int64_t q = 0; q < blocks; ++q) {
        x[q] = Decibels(energies[q]);
        double sum = 0;
        int n = 0;
        for (std::int64_t k = std::max<std::int64_t>(0, q - 2); k <= std::min(blocks - 1, q + 2);
             ++k, ++n)
            sum += energies[k];
        smooth[q] = Decibels(sum / n);
    }
    const double typical = Percentile(x, 0.5);
    std::int64_t first = 0, last = blocks - 1;
    while (first < blocks && x[first] < typical - kMusicRangeDb) ++first;
    while (last >= first && x[last] < typical - kMusicRangeDb) --last;
    if (first >= last) return {};

    // The floor: the quietest half second near the music that has some signal in all of
    // it (a stretch that takes in a block of nothing, before the needle lands, is no floor).
    double floor = 0;
    std::int64_t lastSilent = -1000;
    for (std::int64_t q = 0; q < std::min(blocks, last + 1 + kFloorReach + 2); ++q) {
        if (x[q] <= kSilentDb) lastSilent = q;
        const std::int64_t centre = q - 2;
        if (centre >= std::max<std::int64_t>(0, first - kFloorReach) && q - lastSilent > 4 &&
            centre < std::min(blocks, last + 1 + kFloorReach))
            floor = std::min(floor, smooth[centre]);
    }

    const std::int64_t minGap = std::max<std::int64_t>(1, std::llround(options.minGapSeconds * 10));
    const std::int64_t minSong = std::llround(options.minSongSeconds * 10);
    std::vector<Candidate> candidates;
    for (std::int64_t q = first; q <= last;) {
        if (x[q] > floor + kNearFloorDb) {
            ++q;
            continue;
        }
        std::int64_t end = q;
        while (end <= last && x[end] <= floor + kNearFloorDb) ++end;
        Candidate c{q, end, 0, 0, 0};
        q = end;
        if (c.end - c.begin < kShortestRun) continue;
        std::vector<double> inside(x.begin() + c.begin, x.begin() + c.end);
        c.level = Percentile(inside, 0.5);
        const std::vector<double> before(x.begin() + std::max<std::int64_t>(0, c.begin - kMusicWindow),
                                         x.begin() + c.begin);
        const std::vector<double> after(x.begin() + c.end,
                                        x.begin() + std::min(blocks, c.end + kMusicWindow));
        c.depth = std::min(Percentile(before, kMusicPercentile),
                           Percentile(after, kMusicPercentile)) - c.level;
        const double lowest = *std::min_element(inside.begin(), inside.end());
        std::int64_t a = c.end, b = c.begin;
        for (std::int64_t k = c.begin; k < c.end; ++k)
            if (x[k] <= lowest + kQuietestDb) a = std::min(a, k), b = std::max(b, k);
        c.cut = static_cast<std::int32_t>((a + b + 1) / 2);
        candidates.push_back(c);
    }
    if (std::getenv("SMART_DEBUG")) {
        std::fprintf(stderr, "floor %.1f typical %.1f first %lld last %lld\n", floor, typical, (long long)first, (long long)last);
        for (const Candidate& c : candidates) {
            std::vector<double> inside(x.begin() + c.begin, x.begin() + c.end);
            std::sort(inside.begin(), inside.end());
            std::fprintf(stderr, "cand %lld %lld len %lld level %.1f depth %.1f max %.1f p75 %.1f min %.1f cut %d\n", (long long)c.begin, (long long)c.end, (long long)(c.end-c.begin), c.level - floor, c.depth, inside.back() - floor, inside[inside.size()*3/4]-floor, inside.front()-floor, c.cut);
        }
    }

    // A gap is at least the minimum gap long and well below the music on both sides. With
    // the songs counted, shorter or shallower quiet stretches may make up the number.
    const auto isGap = [&](const Candidate& c) {
        return c.end - c.begin >= minGap && c.depth >= kBelowMusicDb;
    };
    if (!options.songs) std::erase_if(candidates, [&](const Candidate& c) { return !isGap(c); });
    // The clearest first: gaps before the rest, then the longer stretch at the floor (up to
    // two seconds, beyond which every gap is certain), then the deeper.
    const auto rank = [&](const Candidate& c) {
        return std::make_tuple(isGap(c), std::min(c.end - c.begin, kCertainBlocks), c.depth);
    };
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const Candidate& a, const Candidate& b) { return rank(a) > rank(b); });
    const std::size_t wanted =
        options.songs ? static_cast<std::size_t>(std::max(0, *options.songs - 1)) : kMaxCuts - 1;
    std::vector<std::int32_t> cuts;
    for (const Candidate& c : candidates) {
        if (cuts.size() >= wanted) break;
        if (c.cut < minSong || blocks - c.cut < minSong) continue;
        const bool spaced = std::all_of(cuts.begin(), cuts.end(), [&](std::int32_t k) {
            return std::abs(static_cast<std::int64_t>(k) - c.cut) >= minSong;
        });
        if (spaced) cuts.push_back(c.cut);
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}
