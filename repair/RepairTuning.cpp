#include "repair/RepairTuning.h"

#include <algorithm>
#include <cmath>

namespace repair {

namespace {

constexpr double kReferenceRate = 44100.0;

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
    t.piece = t.block / 32;
    t.scaleHop = t.block / 4;
    t.scaleWindow = t.block * 2;
    t.reach = Scaled(3, f);
    t.widen = Scaled(2, f);
    t.mergeGap = Scaled(3, f);
    t.extendReach = Scaled(16, f);
    t.longestSpan = Scaled(265, f);
    t.settleWindow = Scaled(128, f);
    t.leadWindow = Scaled(256, f);
    t.levelWindow = Scaled(224, f);
    t.margin = t.block * 8;
    t.core = t.block * 64;
    switch (strength) {
        case RepairStrength::Light:
            t.threshold = 7.0f;
            t.pairedThreshold = 4.0f;
            t.extendThreshold = 3.5f;
            t.settleRatio = 2.5f;
            break;
        case RepairStrength::Strong:
            t.threshold = 4.0f;
            t.pairedThreshold = 2.5f;
            t.extendThreshold = 2.0f;
            t.settleRatio = 4.0f;
            t.widen = Scaled(3, f);
            break;
        case RepairStrength::Off:
        case RepairStrength::Medium:
            break;
    }
    return t;
}

}  // namespace repair
