#pragma once
// The corpus tools' random numbers, drawn from splitmix64 in the shapes the tools need.

#include <cmath>
#include <cstdint>

#include "bench/SplitMix.h"

namespace corpus {

/// A level in decibels as a linear factor.
inline double DecibelsToFactor(double db) {
    return std::pow(10.0, db / 20);
}

class Random : public SplitMix64 {
  public:
    explicit Random(std::uint64_t seed) : SplitMix64(seed * 0x2545F4914F6CDD1Dull + 1) {}
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    /// Uniform in dB, returned as a linear factor.
    double DecibelFactor(double loDb, double hiDb) { return DecibelsToFactor(Uniform(loDb, hiDb)); }
    int Below(int n) { return static_cast<int>(Unit() * n); }  ///< 0 .. n-1
    bool Chance(double p) { return Unit() < p; }
    /// Standard normal (Box-Muller, one value per call).
    double Gauss() {
        const double u = 1.0 - Unit();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * Unit());
    }
    /// Waiting time of a Poisson process of `rate` events per unit.
    double Exponential(double rate) { return -std::log(1.0 - Unit()) / rate; }
};

}  // namespace corpus
