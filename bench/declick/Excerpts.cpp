#include "bench/declick/Excerpts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace declick {

namespace {

constexpr std::size_t kFrame = kRate / 100;  // 10 ms analysis frames
// A frame whose high band jumps this far above the mean of the frames before it, at a level
// that is heard, counts as an attack.
constexpr double kAttackRiseDb = 9.0;
constexpr double kAttackFloorDb = -45.0;
// A quiet excerpt still has music all through: no half second under this.
constexpr double kMusicFloorDb = -50.0;
// Fades at the excerpt's ends, so that the cut itself is no click.
constexpr std::size_t kFadeFrames = kRate / 100;

double Db(double meanSquare) {
    return 10 * std::log10(meanSquare + 1e-20);
}

std::vector<float> ReadTrack(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::int16_t> raw(std::filesystem::file_size(path) / 2);
    in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size() * 2));
    std::vector<float> samples(raw.size() - raw.size() % kChannels);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = raw[i] / 32768.0f;
    return samples;
}

Excerpt Cut(const std::vector<float>& track, std::size_t firstFrame, std::size_t frames) {
    Excerpt e;
    e.clean.assign(track.begin() + static_cast<std::ptrdiff_t>(firstFrame * kChannels),
                   track.begin() + static_cast<std::ptrdiff_t>((firstFrame + frames) * kChannels));
    for (std::size_t i = 0; i < kFadeFrames; ++i) {
        const float g = static_cast<float>(i) / kFadeFrames;
        for (int c = 0; c < kChannels; ++c) {
            e.clean[i * kChannels + c] *= g;
            e.clean[(frames - 1 - i) * kChannels + c] *= g;
        }
    }
    double sum = 0;
    for (float s : e.clean) sum += static_cast<double>(s) * s;
    e.rms = std::sqrt(sum / static_cast<double>(e.clean.size()));
    return e;
}

}  // namespace

std::vector<Excerpt> CutExcerpts(const std::string& folder, double seconds) {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".raw") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    const std::size_t length = static_cast<std::size_t>(seconds * 100);  // in 10 ms frames
    std::map<std::string, int> perSource;
    std::vector<Excerpt> excerpts;
    for (const auto& path : paths) {
        const std::string stem = path.stem().string();
        const bool heldOut = perSource[stem.substr(0, stem.find('-'))]++ % 2 == 1;
        const std::vector<float> track = ReadTrack(path);
        const std::size_t frames = track.size() / kChannels / kFrame;
        if (frames < 2 * length) continue;
        // Per 10 ms: level of both channels, level of the first difference (the high band).
        std::vector<double> level(frames), high(frames);
        for (std::size_t f = 0; f < frames; ++f) {
            double sum = 0, diff = 0;
            for (std::size_t i = f * kFrame; i < (f + 1) * kFrame; ++i) {
                for (int c = 0; c < kChannels; ++c) {
                    const double s = track[i * kChannels + c];
                    const double d = i > 0 ? s - track[(i - 1) * kChannels + c] : 0;
                    sum += s * s;
                    diff += d * d;
                }
            }
            level[f] = Db(sum / (kFrame * kChannels));
            high[f] = Db(diff / (kFrame * kChannels));
        }
        std::vector<int> attack(frames, 0);
        for (std::size_t f = 5; f < frames; ++f) {
            double before = 0;
            for (std::size_t g = f - 5; g < f; ++g) before += std::pow(10.0, high[g] / 10);
            attack[f] = high[f] > kAttackFloorDb && high[f] > Db(before / 5) + kAttackRiseDb;
        }
        std::size_t bestLively = 0, bestQuiet = frames;
        int mostAttacks = -1;
        double quietest = 1e9;
        for (std::size_t start = 0; start + length <= frames; start += 50) {
            int attacks = 0;
            double sum = 0, leastHalf = 1e9;
            for (std::size_t f = start; f < start + length; ++f) {
                attacks += attack[f];
                sum += std::pow(10.0, level[f] / 10);
            }
            for (std::size_t h = start; h + 50 <= start + length; h += 50) {
                double half = 0;
                for (std::size_t f = h; f < h + 50; ++f) half += std::pow(10.0, level[f] / 10);
                leastHalf = std::min(leastHalf, Db(half / 50));
            }
            if (attacks > mostAttacks) mostAttacks = attacks, bestLively = start;
            if (leastHalf > kMusicFloorDb && Db(sum / length) < quietest) {
                quietest = Db(sum / length);
                bestQuiet = start;
            }
        }
        Excerpt lively = Cut(track, bestLively * kFrame, length * kFrame);
        lively.name = stem + " lively";
        lively.heldOut = heldOut;
        excerpts.push_back(std::move(lively));
        const bool apart = bestQuiet + length <= bestLively || bestLively + length <= bestQuiet;
        if (bestQuiet < frames && apart) {
            Excerpt quiet = Cut(track, bestQuiet * kFrame, length * kFrame);
            quiet.name = stem + " quiet";
            quiet.quiet = true;
            quiet.heldOut = heldOut;
            excerpts.push_back(std::move(quiet));
        }
    }
    return excerpts;
}

}  // namespace declick
