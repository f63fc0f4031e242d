#include "detect/AutoSense.h"

#include <vector>

namespace {

constexpr std::int64_t kCutIntoSilence = 10;  // blocks: a cut lies 1 s into the silence
constexpr std::int64_t kJumpAfterCut = 100;
constexpr std::int32_t kLongGap = 3600;        // 6 min
constexpr std::int64_t kInsertedAfter = 1200;  // 2 min
constexpr std::int64_t kEndMargin = 40;        // 4 s
constexpr std::int32_t kStartMargin = 30;      // 3 s
constexpr std::uint32_t kMinSpacing = 200;     // 20 s

}  // namespace

int detect::CutCountScore(int n) {
    constexpr int kScores[] = {0, 1, 2, 0, 5, 5, 5, 4};
    if (n < 0) return 0;
    return n < 8 ? kScores[n] : 3;
}

CutList detect::FindQuietCuts(std::span<const float> levels, std::int64_t totalBlocks,
                              std::int64_t windowBlocks, float threshold) {
    CutList cuts{};
    const auto k = static_cast<std::int64_t>(levels.size());
    const std::int64_t d = windowBlocks > 0 ? windowBlocks : 0;
    // loudFrom[p]: the first block at or after p above the threshold (k when none), so a
    // window test costs one look whatever its length.
    std::vector<std::int64_t> loudFrom(static_cast<std::size_t>(k) + 1, k);
    for (std::int64_t p = k - 1; p >= 0; --p)
        loudFrom[p] = (levels[p] < 0 ? -levels[p] : levels[p]) > threshold ? p : loudFrom[p + 1];
    auto quiet = [&](std::int64_t p) { return p + d <= k && loudFrom[p] >= p + d; };

    std::int64_t p = 0;
    while (p < k && quiet(p)) ++p;
    p += d;
    int found = 0;
    while (p < k && p + d <= k && found < static_cast<int>(cuts.size())) {
        if (quiet(p)) {
            cuts[found++] = static_cast<std::int32_t>(
                p + kCutIntoSilence < totalBlocks ? p + kCutIntoSilence : p);
            p += kJumpAfterCut;
        }
        p += 1;
    }
    return cuts;
}

void detect::CleanCandidates(CutList& c, std::int64_t totalBlocks, std::int64_t windowBlocks) {
    if (windowBlocks > 0) {
        // The first K = c[j] + m*D more than two minutes after c[j].
        const std::int64_t step = (kInsertedAfter / windowBlocks + 1) * windowBlocks;
        for (std::size_t j = 0; j + 1 < c.size(); ++j) {
            if (static_cast<std::int64_t>(c[j + 1]) - c[j] <= kLongGap) continue;
            const std::int64_t key = c[j] + step;
            if (key >= c[j + 1]) continue;
            for (std::size_t q = c.size() - 1; q > j + 1; --q) c[q] = c[q - 1];
            c[j + 1] = static_cast<std::int32_t>(key);
        }
    }
    for (std::int32_t& e : c)
        if (e + kEndMargin > totalBlocks) e = 0;
    if (c[0] < kStartMargin) {
        for (std::size_t q = 0; q + 1 < c.size(); ++q) c[q] = c[q + 1];
        c.back() = 0;
    }
}

CutList detect::KeepSpacedCuts(const CutList& chosen) {
    CutList kept{};
    std::size_t n = 0;
    std::uint32_t prev = 0;
    for (const std::int32_t e : chosen) {
        const auto cut = static_cast<std::uint32_t>(e);
        if (e != 0 && cut - prev >= kMinSpacing) kept[n++] = e;
        prev = cut;
    }
    return kept;
}

CutList detect::ChooseAutoSenseCuts(std::span<const float> levels, std::int64_t totalBlocks,
                                    std::int64_t windowBlocks) {
    CutList best{};
    int bestScore = -1;
    float threshold = kFirstThreshold;
    for (int pass = 0; pass < kThresholdPasses; ++pass) {
        CutList cuts = FindQuietCuts(levels, totalBlocks, windowBlocks, threshold);
        CleanCandidates(cuts, totalBlocks, windowBlocks);
        int n = 0;
        for (const std::int32_t e : cuts) n += e != 0;
        if (CutCountScore(n) > bestScore) {
            bestScore = CutCountScore(n);
            best = cuts;
        }
        threshold = threshold + kThresholdStep;
    }
    return KeepSpacedCuts(best);
}
