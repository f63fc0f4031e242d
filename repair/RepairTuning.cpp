#include "repair/RepairTuning.h"

#include <algorithm>
#include <cmath>

namespace repair {

namespace {

constexpr double kReferenceRate = 44100.0;

// What sets the strengths apart: how far the statistic must stand out to count as damage.
struct StrengthFigures {
    float threshold, paired, extend;
};
constexpr StrengthFigures kStrengths[] = {
    {9.0f, 5.0f, 3.5f},  // Light
    {7.0f, 4.0f, 3.0f},  // Medium
    {6.0f, 3.5f, 2.5f},  // Strong
};

// A length given in samples at 44.1 kHz, at `factor` times that rate, at least `least`.
std::size_t Scaled(std::size_t samples, double factor, std::size_t least = 1) {
    return std::max(least, static_cast<std::size_t>(std::lround(samples * factor)));
}

// A power of two near `samples`.
std::size_t PowerOfTwoNear(double samples) {
    return std::size_t{1} << static_cast<int>(std::lround(std::log2(samples)));
}

}  // namespace

RepairTuning TuningFor(RepairStrength strength, std::uint32_t sampleRate) {
    RepairTuning t;
    const double f = sampleRate / kReferenceRate;
    t.order = std::clamp(static_cast<int>(std::lround(32 * std::sqrt(f))), 24, 48);
    t.block = PowerOfTwoNear(512 * f);
    t.piece = t.block / 16;
    t.peakReach = Scaled(16, f);
    t.shortRun = Scaled(24, f);
    t.longestRun = Scaled(220, f);
    t.popPiece = Scaled(16, f);
    t.evidenceWindow = Scaled(256, f);
    t.longEvidenceFrom = Scaled(8, f);
    t.margin = t.block * 8;
    t.core = t.block * 128;
    const StrengthFigures& figures = kStrengths[strength == RepairStrength::Light    ? 0
                                                : strength == RepairStrength::Strong ? 2
                                                                                     : 1];
    t.threshold = figures.threshold;
    t.pairedThreshold = figures.paired;
    t.extendThreshold = figures.extend;
    return t;
}

}  // namespace repair
