#include "repair/RepairTuning.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace repair {

namespace {

constexpr double kReferenceRate = 44100.0;

// What sets the strengths apart: how far errors must stand out to count as damage.
struct StrengthFigures {
    float threshold, paired, extend, settle;
};
constexpr StrengthFigures kStrengths[] = {
    {9.0f, 5.0f, 3.5f, 2.0f},  // Light
    {7.0f, 4.0f, 3.0f, 2.5f},  // Medium
    {6.0f, 3.5f, 2.5f, 3.0f},  // Strong
};

// A length given in samples at 44.1 kHz, at `factor` times that rate, at least `least`.
std::size_t Scaled(std::size_t samples, double factor, std::size_t least = 1) {
    return std::max(least, static_cast<std::size_t>(std::lround(samples * factor)));
}

// A power of two near `samples`.
std::size_t PowerOfTwoNear(double samples) {
    return std::size_t{1} << static_cast<int>(std::lround(std::log2(samples)));
}

float Env(const char* name, float v) {
    const char* s = std::getenv(name);
    return s ? static_cast<float>(std::atof(s)) : v;
}

}  // namespace

RepairTuning TuningFor(RepairStrength strength, std::uint32_t sampleRate) {
    RepairTuning t;
    const double f = sampleRate / kReferenceRate;
    t.order = std::clamp(static_cast<int>(std::lround(32 * std::sqrt(f))), 24, 48);
    t.block = PowerOfTwoNear(512 * f);
    t.piece = t.block / 16;
    t.peakReach = Scaled(16, f);
    t.mergeGap = Scaled(2, f);
    t.widenBefore = static_cast<std::size_t>(Env("VT_WB", 0));
    t.widenAfter = static_cast<std::size_t>(Env("VT_WA", 0));
    t.longestRun = Scaled(220, f);
    t.popPiece = Scaled(16, f);
    t.settleGap = Scaled(4, f);
    t.settleWindow = Scaled(256, f);
    t.leadWindow = Scaled(256, f);
    t.margin = t.block * 8;
    t.core = t.block * 64;
    const StrengthFigures& figures = kStrengths[strength == RepairStrength::Light    ? 0
                                                : strength == RepairStrength::Strong ? 2
                                                                                     : 1];
    t.threshold = figures.threshold;
    t.pairedThreshold = figures.paired;
    t.extendThreshold = figures.extend;
    t.settleRatio = figures.settle;
    t.threshold = Env("VT_T", t.threshold);
    t.pairedThreshold = Env("VT_P", t.pairedThreshold);
    t.extendThreshold = Env("VT_E", t.extendThreshold);
    t.extendBackThreshold = Env("VT_EB", t.extendThreshold);
    t.shortRun = static_cast<std::size_t>(Env("VT_SR", 24));
    t.scalePieces = static_cast<std::size_t>(Env("VT_NP", 4));
    t.iterations = static_cast<int>(Env("VT_IT", 3));
    t.onsetThreshold = Env("VT_ON", 8);
    t.endThreshold = Env("VT_END", 4);
    t.settleQuiet = static_cast<std::size_t>(Env("VT_Q", 32));
    t.attackRise = Env("VT_AR", 4);
    t.evidence = Env("VT_EV", 15);
    t.longEvidence = Env("VT_LEV", 400);
    t.longEvidenceFrom = static_cast<std::size_t>(Env("VT_LEF", 8));
    t.settleRatio = Env("VT_S", t.settleRatio);
    t.iterations = static_cast<int>(Env("VT_IT", t.iterations));
    t.passes = static_cast<int>(Env("VT_PASS", t.passes));
    t.peakReach = static_cast<std::size_t>(Env("VT_PEAK", t.peakReach));
    t.mergeGap = static_cast<std::size_t>(Env("VT_GAP", t.mergeGap));
    t.settleWindow = static_cast<std::size_t>(Env("VT_SW", t.settleWindow));
    t.settleGap = static_cast<std::size_t>(Env("VT_SG", t.settleGap));
    t.leadWindow = static_cast<std::size_t>(Env("VT_LW", t.leadWindow));
    return t;
}

}  // namespace repair
