#include "detect/SmartSense.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <tuple>

#include "detect/CutSpacing.h"
#include "model/SideState.h"

namespace {

constexpr double kMusicRangeDb = 20;         // music: within this of the side's typical level
constexpr double kNearFloorDb = 6;           // a gap's quietest part lies within this of the floor
constexpr double kBelowMusicDb = 20;         // and each of its blocks this far below the music
constexpr std::int64_t kSecond = 10;         // blocks
constexpr std::int64_t kLoudReach = 30;      // seconds of music looked at on each side
constexpr double kLoudShare = 0.75;          // the music's loud level: this share of seconds below
constexpr double kSecondPercentile = 0.9;    // a second's level: its loud blocks
constexpr double kEdgeDb = 3;                // the music ends where the sound comes this near
constexpr double kQuietestDb = 3;            // the quietest part: within this of the lowest block
constexpr std::int64_t kShortestRun = 2;     // blocks: shorter dips are never candidates
constexpr std::int64_t kCertainBlocks = 20;  // a stretch this long at the floor is surely a gap
constexpr std::int64_t kFloorReach = 3000;   // blocks: the floor is taken within 5 minutes
constexpr double kZeroEnergy = 1e-15;        // digital silence, for the logarithm's sake

// A quiet stretch: a run of blocks each well below the music on both sides.
struct Candidate {
    std::int64_t begin, end;  // blocks [begin, end)
    double level;             // dB: its quietest stretch of the gap length
    double depth;             // dB from there up to the quieter side's music
    double floor = 0;         // dB: the side's floor around it
    std::int64_t cut;         // the middle of its quietest part
    bool gap = false;
    std::int64_t Length() const { return end - begin; }
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return -HUGE_VAL;
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

// The side's levels in dB and the music's loud level before and after each second.
class SideLevels {
  public:
    explicit SideLevels(std::span<const float> energies) : x_(energies.size()) {
        std::transform(energies.begin(), energies.end(), x_.begin(),
                       [](float e) { return 10 * std::log10(std::max<double>(e, kZeroEnergy)); });
        const std::int64_t seconds = (Blocks() + kSecond - 1) / kSecond;
        std::vector<double> second(static_cast<std::size_t>(seconds));
        for (std::int64_t s = 0; s < seconds; ++s)
            second[s] = PercentileOf(x_, s * kSecond, (s + 1) * kSecond, kSecondPercentile);
        before_.resize(second.size());
        after_.resize(second.size());
        for (std::int64_t s = 0; s < seconds; ++s) {
            before_[s] = PercentileOf(second, s - kLoudReach, s, kLoudShare);
            after_[s] = PercentileOf(second, s + 1, s + 1 + kLoudReach, kLoudShare);
        }
    }

    std::int64_t Blocks() const { return static_cast<std::int64_t>(x_.size()); }
    const std::vector<double>& X() const { return x_; }
    double operator[](std::int64_t q) const { return x_[q]; }
    /// The quieter side's music around block q.
    double Music(std::int64_t q) const {
        return std::min(before_[q / kSecond], after_[q / kSecond]);
    }
    bool Deep(std::int64_t q) const { return x_[q] <= Music(q) - kBelowMusicDb; }

  private:
    std::vector<double> x_, before_, after_;
};

// The lowest mean level over `width` blocks within [begin, end) and where that stretch starts.
std::pair<double, std::int64_t> QuietestStretch(const SideLevels& x, std::int64_t begin,
                                                std::int64_t end, std::int64_t width) {
    width = std::clamp<std::int64_t>(width, 1, end - begin);
    double sum = 0;
    for (std::int64_t q = begin; q < begin + width; ++q) sum += x[q];
    std::pair<double, std::int64_t> best{sum / width, begin};
    for (std::int64_t q = begin + width; q < end; ++q) {
        sum += x[q] - x[q - width];
        best = std::min(best, std::make_pair(sum / width, q - width + 1));
    }
    return best;
}

std::vector<Candidate> QuietStretches(const SideLevels& x, std::int64_t minGap) {
    std::vector<Candidate> found;
    for (std::int64_t q = 0; q < x.Blocks();) {
        if (!x.Deep(q)) {
            ++q;
            continue;
        }
        Candidate c{q, q, 0, 0, 0};
        while (c.end < x.Blocks() && x.Deep(c.end)) ++c.end;
        q = c.end;
        if (c.Length() < kShortestRun) continue;
        const auto [level, at] = QuietestStretch(x, c.begin, c.end, minGap);
        c.level = level;
        // The quietest part: from its first to its last block near the lowest.
        double lowest = x[c.begin];
        for (std::int64_t k = c.begin; k < c.end; ++k) lowest = std::min(lowest, x[k]);
        std::int64_t a = c.end, b = c.begin;
        for (std::int64_t k = c.begin; k < c.end; ++k)
            if (x[k] <= lowest + kQuietestDb) a = std::min(a, k), b = std::max(b, k);
        c.cut = (a + b + 1) / 2;
        c.depth = x.Music(at) - level;
        found.push_back(c);
    }
    return found;
}

// First and last block of sound at the side's typical loudness, held for half a second of
// the second that follows (or precedes): a thump or a pop alone is no music.
std::pair<std::int64_t, std::int64_t> LoudExtent(const SideLevels& x) {
    const double threshold = Percentile(x.X(), 0.5) - kMusicRangeDb;
    const auto held = [&](std::int64_t from, std::int64_t to) {
        std::int64_t n = 0;
        for (std::int64_t k = std::max<std::int64_t>(0, from); k < std::min(x.Blocks(), to); ++k)
            n += x[k] >= threshold;
        return 2 * n >= kSecond;
    };
    std::int64_t first = 0, last = x.Blocks() - 1;
    while (first < x.Blocks() && !(x[first] >= threshold && held(first, first + kSecond))) ++first;
    while (last > first && !(x[last] >= threshold && held(last + 1 - kSecond, last + 1))) --last;
    return {first, last};
}

// The side's floor: the lowest of the samples that another one joins within the near-floor
// reach (one sample alone, lower than all the rest, is no floor: the second before a needle
// that dropped just before the music, or a dropout). With one sample, that one.
double LowestAgreed(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    for (std::size_t i = 0; i + 1 < samples.size(); ++i)
        if (samples[i + 1] - samples[i] <= kNearFloorDb) return samples[i];
    return samples.empty() ? -HUGE_VAL : samples.back();
}

// The floor around block q: of the samples within kFloorReach of it, or of all when fewer
// than two lie there.
double FloorAround(const std::vector<std::pair<std::int64_t, double>>& samples, std::int64_t q) {
    std::vector<double> near, all;
    for (const auto& [at, level] : samples) {
        all.push_back(level);
        if (std::abs(at - q) <= kFloorReach) near.push_back(level);
    }
    return LowestAgreed(near.size() >= 2 ? near : all);
}

std::string Shortfall(std::size_t placed, std::size_t asked, std::size_t most, std::int64_t blocks,
                      double minSongSeconds) {
    char text[256];
    if (asked > kMaxCutsInUse && placed == kMaxCutsInUse)
        std::snprintf(text, sizeof text, "%zu of %zu cuts placed: a side holds at most %u cuts",
                      placed, asked, kMaxCutsInUse);
    else
        std::snprintf(text, sizeof text,
                      "%zu of %zu cuts placed: a side of %lld:%02lld holds at most %zu songs of "
                      "%g s or more",
                      placed, asked, static_cast<long long>(blocks / 600),
                      static_cast<long long>(blocks / 10 % 60), most + 1, minSongSeconds);
    return text;
}

}  // namespace

SmartSenseResult detect::ChooseSmartSense(std::span<const float> energies,
                                          const SmartSenseOptions& options) {
    SmartSenseResult result;
    const SideLevels x(energies);
    const std::int64_t blocks = x.Blocks();
    result.musicEnd = static_cast<std::int32_t>(blocks);
    const std::int64_t minGap = std::max<std::int64_t>(1, std::llround(options.minGapSeconds * 10));
    std::vector<Candidate> candidates = QuietStretches(x, minGap);

    // The floor: quiet stretches of gap length, and the seconds just outside the music.
    const auto [first, last] = LoudExtent(x);
    std::vector<std::pair<std::int64_t, double>> samples;  // block, level
    for (const Candidate& c : candidates)
        if (c.Length() >= minGap) samples.emplace_back(c.cut, c.level);
    if (first < last && first >= kSecond)
        samples.emplace_back(first, PercentileOf(x.X(), first - kSecond, first, 0.5));
    if (first < last && last + 1 + kSecond <= blocks)
        samples.emplace_back(last, PercentileOf(x.X(), last + 1, last + 1 + kSecond, 0.5));
    const auto floorAt = [&](std::int64_t q) { return FloorAround(samples, q); };

    if (first < last) {
        // Where the sound comes within kEdgeDb of the noise outside the music: the floor
        // there, or the groove or hiss before and after the music (from one to three seconds
        // out, past a fade's tail) where that lies higher, as the inner grooves' run-out does.
        const double before = std::max(
            floorAt(first), PercentileOf(x.X(), first - 3 * kSecond, first - kSecond, 0.5));
        const double after = std::max(
            floorAt(last), PercentileOf(x.X(), last + 1 + kSecond, last + 1 + 3 * kSecond, 0.5));
        std::int64_t start = first, end = last + 1;
        while (start > 0 && x[start - 1] > before + kEdgeDb) --start;
        while (end < blocks && x[end] > after + kEdgeDb) ++end;
        result.musicStart = static_cast<std::int32_t>(start);
        result.musicEnd = static_cast<std::int32_t>(end);
    }

    for (Candidate& c : candidates) {
        c.floor = floorAt(c.cut);
        c.gap =
            c.Length() >= minGap && c.level <= c.floor + kNearFloorDb && c.depth >= kBelowMusicDb;
    }
    if (!options.songs) std::erase_if(candidates, [](const Candidate& c) { return !c.gap; });
    // The clearest first: gaps before the rest, then the longer stretch (up to two seconds,
    // beyond which every gap is certain), then the one that lies further below the music
    // less what it keeps above the floor.
    const auto rank = [](const Candidate& c) {
        return std::make_tuple(c.gap, std::min(c.Length(), kCertainBlocks),
                               c.depth - (c.level - c.floor));
    };
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const Candidate& a, const Candidate& b) { return rank(a) > rank(b); });

    const std::size_t asked =
        options.songs ? static_cast<std::size_t>(std::max(0, *options.songs - 1)) : kMaxCutsInUse;
    const std::size_t wanted = std::min<std::size_t>(asked, kMaxCutsInUse);
    CutSpacing spacing(blocks, std::llround(options.minSongSeconds * 10), wanted,
                       options.songs.has_value());
    for (const Candidate& c : candidates) spacing.TryAdd(c.cut);
    if (options.songs && !spacing.Full()) {
        // The quietest places left, by how far they lie below the music around them.
        std::vector<double> smooth(static_cast<std::size_t>(blocks));
        for (std::int64_t q = 0; q < blocks; ++q)
            smooth[q] =
                PercentileOf(x.X(), q - minGap / 2, q + minGap - minGap / 2, 0.5) - x.Music(q);
        std::vector<std::int64_t> places(static_cast<std::size_t>(blocks));
        std::iota(places.begin(), places.end(), 0);
        std::stable_sort(places.begin(), places.end(),
                         [&](std::int64_t a, std::int64_t b) { return smooth[a] < smooth[b]; });
        for (const std::int64_t q : places) {
            if (spacing.Full()) break;
            spacing.TryAdd(q);
        }
    }
    for (const std::int64_t cut : spacing.Cuts())
        result.cuts.push_back(static_cast<std::int32_t>(cut));
    if (options.songs && result.cuts.size() < asked)
        result.message = Shortfall(result.cuts.size(), asked, spacing.MostCuts(), blocks,
                                   options.minSongSeconds);
    return result;
}
