#pragma once
// A second, deliberately plain implementation of the engine's arithmetic: one frame at a
// time, every formula written out as the program's behaviour defines it, nothing cached or
// batched. The engine's optimised code must agree with it to the bit.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TestWav.h"

namespace ref {

struct Filter {
    float b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    float hl[6] = {};  // x[n], x[n-1], x[n-2], y[n], y[n-1], y[n-2]
    float hr[6] = {};
};

void Tune(Filter& f, float level);
/// One frame through the filter; the result truncated toward zero and clamped to 16 bits.
Frame Process(Filter& f, Frame in, float level);

struct Analysis {
    std::vector<float> levels;
    std::vector<std::uint16_t> finePeaks;  ///< |sample| peak of each 441 frames analysed
    float peak = 0;
    std::array<std::int32_t, 10> cuts{};
};

/// Levels, peak and auto-sense cuts of `frames` (a side at 44.1 kHz), filtered with `f`.
Analysis Analyze(const std::vector<Frame>& frames, std::int32_t silenceSeconds, Filter& f,
                 float level);

struct SliceSettings {
    float level = 0;
    std::uint32_t fadeFrames = 0;
    bool normalize = false;
    float peak = 0;
};

/// The frames of each slice for sorted, distinct frame positions inside the side.
std::vector<std::vector<Frame>> Slices(const std::vector<Frame>& frames,
                                       const std::vector<std::uint64_t>& positions,
                                       const SliceSettings& settings, Filter& f);

struct Stretch {
    double seconds;
    double amplitude;  ///< of full scale; songs near 0.5, gaps near 0.003
};

/// A side made of noise stretches at 44.1 kHz, e.g. song, gap, song.
std::vector<Frame> MakeSide(const std::vector<Stretch>& stretches, std::uint32_t seed = 1);

/// Frames of a slice file, after checking that its header is the canonical 44 bytes and
/// states exactly the bytes that follow. nullopt (and a test failure) otherwise.
std::optional<std::vector<Frame>> ReadSlice(const std::string& path);

}  // namespace ref
