#include "bench/corpus/Score.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "bench/corpus/MusicSources.h"

namespace corpus {

std::optional<Truth> ReadTruth(const std::string& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    Truth truth;
    std::string line;
    double previousEnd = -1;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "frames") {
            double frames = 0;
            words >> frames;
            truth.seconds = frames / kRate;
        } else if (key == "song") {
            double start = 0, end = 0;
            words >> start >> end;
            if (previousEnd >= 0)
                truth.gaps.emplace_back(previousEnd / kRate, start / kRate);
            else
                truth.musicStart = start / kRate;
            truth.musicEnd = end / kRate;
            previousEnd = end;
            ++truth.songs;
        } else if (key == "condition") {
            std::string half;
            words >> truth.condition >> half;
            truth.heldOut = half == "held-out";
        }
    }
    return truth;
}

Score& Score::operator+=(const Score& o) {
    cuts += o.cuts;
    gaps += o.gaps;
    found += o.found;
    distanceSum += o.distanceSum;
    return *this;
}

double Score::F1() const {
    const double p = Precision(), r = Recall();
    return p + r > 0 ? 2 * p * r / (p + r) : 0;
}

Score ScoreCuts(const Truth& truth, std::vector<double> cutSeconds) {
    Score score;
    score.cuts = static_cast<int>(cutSeconds.size());
    score.gaps = static_cast<int>(truth.gaps.size());
    std::vector<bool> hit(truth.gaps.size());
    // Cuts nearest their gap's middle claim it first.
    std::vector<std::pair<double, std::size_t>> claims;
    for (const double cut : cutSeconds)
        for (std::size_t g = 0; g < truth.gaps.size(); ++g) {
            const auto [begin, end] = truth.gaps[g];
            if (cut >= begin - kToleranceSeconds && cut <= end + kToleranceSeconds)
                claims.emplace_back(std::abs(cut - (begin + end) / 2), g);
        }
    std::sort(claims.begin(), claims.end());
    for (const auto& [distance, g] : claims) {
        if (hit[g]) continue;
        hit[g] = true;
        ++score.found;
        score.distanceSum += distance;
    }
    return score;
}

}  // namespace corpus
