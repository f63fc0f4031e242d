#pragma once
// The declick benchmark's music: excerpts cut from tracks decoded to raw 44.1 kHz 16-bit
// stereo (bench/declick-bench.sh decodes them), one rich in attacks and one quiet per track.

#include <cstdint>
#include <string>
#include <vector>

namespace declick {

constexpr std::uint32_t kRate = 44100;
constexpr int kChannels = 2;

struct Excerpt {
    std::string name;  ///< track name and which excerpt ("lively" or "quiet")
    bool quiet = false;
    bool heldOut = false;      ///< in the half that tuning never looked at
    std::vector<float> clean;  ///< interleaved stereo, full scale 1
    double rms = 0;            ///< of both channels
};

/// Cuts the excerpts of `seconds` from every *.raw track in `folder` (sorted by name):
/// the stretch with the most attacks (sudden rises of the high band), and the quietest
/// stretch in which music plays throughout, when the track has one apart from the first.
/// Tracks alternate between the tuning half and the held-out half, in name order within
/// each source (the name's part before the first '-').
std::vector<Excerpt> CutExcerpts(const std::string& folder, double seconds);

}  // namespace declick
