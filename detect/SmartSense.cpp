#include "detect/SmartSense.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "model/SideState.h"

namespace {

constexpr double kSilentDb = -96;            // below: no signal at all, not the groove's noise
constexpr double kMusicRangeDb = 20;         // music: within this of the side's typical level
constexpr std::int64_t kFloorReach = 30;     // the floor is looked for up to 3 s beyond the music
constexpr std::int64_t kHalfSecond = 5;      // blocks the floor is averaged over
constexpr double kNearFloorDb = 8;           // a gap's blocks lie within this of the floor
constexpr double kBelowMusicDb = 20;         // and its level this far below the music each side
constexpr std::int64_t kMusicWindow = 100;   // blocks of music looked at on each side (10 s)
constexpr double kMusicPercentile = 0.9;     // the music's level there: its loud parts
constexpr double kQuietestDb = 3;            // the quietest stretch: within this of the lowest
constexpr std::int64_t kShortestRun = 2;     // blocks: shorter dips are never gaps
constexpr std::int64_t kCertainBlocks = 20;  // a stretch this long at the floor is surely a gap

// A stretch of blocks near the floor.
struct Candidate {
    std::int64_t begin, end;  // blocks [begin, end)
    double depth;             // dB from its median level up to the quieter side's music
    std::int32_t cut;         // the middle of its quietest stretch
    std::int64_t Length() const { return end - begin; }
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

double PercentileOf(const std::vector<double>& x, std::int64_t from, std::int64_t to, double p) {
    const auto size = static_cast<std::int64_t>(x.size());
    from = std::clamp<std::int64_t>(from, 0, size);
    to = std::clamp<std::int64_t>(to, from, size);
    return Percentile(std::vector<double>(x.begin() + from, x.begin() + to), p);
}

// The noise floor: the quietest half second within reach of the music [first, last] that
// has some signal in all of it (a stretch that takes in a block of nothing, before the
// needle lands, is no floor). dB.
double NoiseFloor(std::span<const float> energies, const std::vector<double>& x, std::int64_t first,
                  std::int64_t last) {
    const auto blocks = static_cast<std::int64_t>(x.size());
    const std::int64_t from = std::max<std::int64_t>(0, first - kFloorReach);
    const std::int64_t to = std::min(blocks, last + 1 + kFloorReach) - kHalfSecond;
    double floor = 0;
    for (std::int64_t q = from; q <= to; ++q) {
        double sum = 0;
        bool silent = false;
        for (std::int64_t k = q; k < q + kHalfSecond; ++k) {
            sum += energies[k];
            silent |= x[k] <= kSilentDb;
        }
        if (!silent) floor = std::min(floor, Decibels(sum / kHalfSecond));
    }
    return floor;
}

// Every stretch of kShortestRun blocks or more within [first, last] whose blocks all lie
// near the floor, with how far below the music around it it lies and where it would be cut.
std::vector<Candidate> QuietStretches(const std::vector<double>& x, std::int64_t first,
                                      std::int64_t last, double floor) {
    std::vector<Candidate> found;
    const double near = floor + kNearFloorDb;
    for (std::int64_t q = first; q <= last;) {
        if (x[q] > near) {
            ++q;
            continue;
        }
        Candidate c{q, q, 0, 0};
        while (c.end <= last && x[c.end] <= near) ++c.end;
        q = c.end;
        if (c.Length() < kShortestRun) continue;
        const double level = PercentileOf(x, c.begin, c.end, 0.5);
        c.depth = std::min(PercentileOf(x, c.begin - kMusicWindow, c.begin, kMusicPercentile),
                           PercentileOf(x, c.end, c.end + kMusicWindow, kMusicPercentile)) -
                  level;
        // The quietest stretch: from its first to its last block near the lowest.
        const double lowest = *std::min_element(x.begin() + c.begin, x.begin() + c.end);
        std::int64_t a = c.end, b = c.begin;
        for (std::int64_t k = c.begin; k < c.end; ++k)
            if (x[k] <= lowest + kQuietestDb) a = std::min(a, k), b = std::max(b, k);
        c.cut = static_cast<std::int32_t>((a + b + 1) / 2);
        found.push_back(c);
    }
    return found;
}

}  // namespace

std::vector<std::int32_t> ChooseSmartSenseCuts(std::span<const float> energies,
                                               const SmartSenseOptions& options) {
    const auto blocks = static_cast<std::int64_t>(energies.size());
    std::vector<double> x(energies.size());
    std::transform(energies.begin(), energies.end(), x.begin(), Decibels);

    // The music: from the first to the last block within kMusicRangeDb of the side's
    // typical level. What lies outside (lead-in, run-out) has music on one side only.
    const double typical = Percentile(x, 0.5);
    std::int64_t first = 0, last = blocks - 1;
    while (first < blocks && x[first] < typical - kMusicRangeDb) ++first;
    while (last >= first && x[last] < typical - kMusicRangeDb) --last;
    if (first >= last) return {};

    std::vector<Candidate> candidates =
        QuietStretches(x, first, last, NoiseFloor(energies, x, first, last));

    // A gap is at least the minimum gap long and well below the music on both sides. With
    // the songs counted, shorter or shallower quiet stretches may make up the number.
    const std::int64_t minGap = std::max<std::int64_t>(1, std::llround(options.minGapSeconds * 10));
    const auto isGap = [&](const Candidate& c) {
        return c.Length() >= minGap && c.depth >= kBelowMusicDb;
    };
    if (!options.songs) std::erase_if(candidates, [&](const Candidate& c) { return !isGap(c); });
    // The clearest first: gaps before the rest, then the longer stretch at the floor (up to
    // two seconds, beyond which every gap is certain), then the deeper.
    const auto rank = [&](const Candidate& c) {
        return std::make_tuple(isGap(c), std::min(c.Length(), kCertainBlocks), c.depth);
    };
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const Candidate& a, const Candidate& b) { return rank(a) > rank(b); });

    // Taken in that order while every song stays at least the minimum long.
    const std::size_t most = kMaxCutsInUse;
    const std::size_t wanted =
        options.songs
            ? std::min<std::size_t>(most, static_cast<std::size_t>(std::max(0, *options.songs - 1)))
            : most;
    const std::int64_t minSong = std::llround(options.minSongSeconds * 10);
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
