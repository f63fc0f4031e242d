#pragma once
// Scoring cuts against a corpus side's ground truth. A cut counts when it lies in the gap
// between two songs, widened by the tolerance (0.5 s) on each side; a second cut in the
// same gap, or a cut anywhere else, is a cut inside a song.

#include <optional>
#include <string>
#include <vector>

namespace corpus {

struct Truth {
    double seconds = 0;
    int songs = 0;
    std::vector<std::pair<double, double>> gaps;  ///< seconds: end of a song, start of the next
    double musicStart = 0, musicEnd = 0;          ///< seconds: first song's start, last's end
    std::string condition;                        ///< "" on a truth without one
    bool heldOut = false;
};

/// Reads a .truth file written by velvane-make-corpus; nullopt when it cannot be read.
std::optional<Truth> ReadTruth(const std::string& path);

struct Score {
    int cuts = 0;
    int gaps = 0;
    int found = 0;           ///< gaps with a cut in them
    double distanceSum = 0;  ///< seconds from each counted cut to its gap's middle
    Score& operator+=(const Score& other);
    int Inside() const { return cuts - found; }  ///< cuts inside songs
    double Precision() const { return cuts ? double(found) / cuts : 1; }
    double Recall() const { return gaps ? double(found) / gaps : 1; }
    double F1() const;
    double MeanDistance() const { return found ? distanceSum / found : 0; }
};

constexpr double kToleranceSeconds = 0.5;
constexpr double kMusicEdgeToleranceSeconds = 1;  ///< music start and end

/// Scores `cutSeconds` (any order) against the side's gaps.
Score ScoreCuts(const Truth& truth, std::vector<double> cutSeconds);

}  // namespace corpus
