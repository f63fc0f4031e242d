#pragma once
// splitmix64: small, fast random numbers, the same sequence on every platform, so that a
// seed names one generated side or corpus for good.

#include <cstdint>

class SplitMix64 {
  public:
    explicit SplitMix64(std::uint64_t state) : state_(state) {}
    std::uint64_t Bits() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Unit() { return static_cast<double>(Bits() >> 11) * 0x1.0p-53; }  ///< [0, 1)

  private:
    std::uint64_t state_;
};
