#pragma once
// The corpus tools' random numbers: splitmix64, the same sequence on every platform, so a
// seed names one corpus for good.

#include <cmath>
#include <cstdint>

namespace corpus {

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x2545F4914F6CDD1Dull + 1) {}
    std::uint64_t Bits() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Unit() { return static_cast<double>(Bits() >> 11) * 0x1.0p-53; }  ///< [0, 1)
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    /// Uniform in dB, returned as a linear factor.
    double DecibelFactor(double loDb, double hiDb) {
        return std::pow(10.0, Uniform(loDb, hiDb) / 20);
    }
    int Below(int n) { return static_cast<int>(Unit() * n); }  ///< 0 .. n-1
    bool Chance(double p) { return Unit() < p; }
    /// Standard normal (Box-Muller, one value per call).
    double Gauss() {
        const double u = 1.0 - Unit();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * Unit());
    }
    /// Waiting time of a Poisson process of `rate` events per unit.
    double Exponential(double rate) { return -std::log(1.0 - Unit()) / rate; }

  private:
    std::uint64_t state_;
};

}  // namespace corpus
