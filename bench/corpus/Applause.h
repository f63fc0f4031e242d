#pragma once
// Applause after a song on a live side: many hands clapping, each clap a short burst of
// noise placed somewhere between the speakers, swelling in and dying away.

#include <cstdint>
#include <vector>

#include "bench/corpus/Random.h"

namespace corpus {

class Applause {
  public:
    /// Applause of `frames` frames at `db` (RMS at its height), `dies` frames of them dying
    /// away at its end (0: it stops at full height).
    Applause(std::uint64_t frames, double db, std::uint64_t dies, std::uint64_t seed);
    /// Adds frames [from, from + n) of the applause to `out` (interleaved, full scale 1).
    /// Call with consecutive ranges.
    void Add(std::uint64_t from, std::size_t n, double* out);

  private:
    struct Clap {
        std::uint64_t start;
        double amplitude, left, right;
    };
    double Envelope(std::uint64_t x) const;

    std::uint64_t frames_, dies_;
    double gain_;
    Random random_;
    double nextClap_ = 0;
    double low_[2] = {}, high_[2] = {};  // the claps' band: one-pole low- and high-pass
    std::vector<Clap> claps_;
};

}  // namespace corpus
