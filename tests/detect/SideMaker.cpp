#include "tests/detect/SideMaker.h"

#include <algorithm>
#include <cmath>

#include "detect/BandEnergy.h"
#include "detect/SmartSense.h"

namespace {

constexpr double kRateHz = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kNearSilenceDb = -25;  // the sound card, below the groove
constexpr double kPopDecaySeconds = 0.005;

class Lcg {
  public:
    double Unit() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) * 0x1.0p-53;
    }

  private:
    std::uint64_t state_ = 12345;
};

double Factor(double db) {
    return std::pow(10.0, db / 20);
}

}  // namespace

MadeSide MakeSide(const std::vector<Part>& parts, const Transfer& t) {
    MadeSide side;
    Lcg random;
    const double noise = Factor(t.floorDb) * std::sqrt(3.0);  // uniform: RMS 1/√3
    const double nearSilence = Factor(t.floorDb + kNearSilenceDb) * std::sqrt(3.0);
    const double gain = Factor(t.gainDb);
    const double clickScale = Factor(t.loudestClickDb) / 1.1;
    const auto dropFrame = static_cast<std::size_t>(t.preNeedleSeconds * kRateHz);
    double total = 0;
    for (const Part& part : parts) total += part.seconds;
    const auto liftFrame = static_cast<std::size_t>((total - t.afterLiftSeconds) * kRateHz);
    double time = 0, previousWhite = 0, click = 0, pop = 0, popPhase = 0;
    bool musicSeen = false;
    for (const Part& part : parts) {
        const auto n = static_cast<std::size_t>(part.seconds * kRateHz);
        if (!part.song) side.gaps.emplace_back(time, time + n / kRateHz);
        if (part.song && !musicSeen) side.musicStart = time;
        if (part.song) side.musicEnd = time + n / kRateHz, musicSeen = true;
        for (std::size_t i = 0; i < n; ++i) {
            const double s = i / kRateHz;
            double music = 0;
            if (part.song) {
                // A chord struck four times a second over a held note: no rest inside.
                const double strike = std::exp(-std::fmod(s, 0.25) / 0.1);
                music = 0.12 * (0.4 + strike) *
                        (std::sin(2 * kPi * 220 * s) + 0.6 * std::sin(2 * kPi * 330 * s) +
                         0.4 * std::sin(2 * kPi * 550 * s));
                if (part.fade > 0 && s > part.seconds - part.fade)
                    music *= (part.seconds - s) / part.fade;
                if (part.softFrom >= 0 && s >= part.softFrom &&
                    s < part.softFrom + part.softSeconds)
                    music *= Factor(-part.softDb);
            }
            const double white = 2 * random.Unit() - 1;
            double floor = 0;
            if (side.frames.size() < dropFrame || side.frames.size() >= liftFrame) {
                floor = nearSilence * white;
            } else {
                // Hiss leans to the treble; groove noise is plain.
                floor =
                    noise *
                    (t.noise == Noise::Hiss ? 0.5 * white + 0.6 * (white - previousWhite) : white);
                if (t.clicksPerSecond > 0 && random.Unit() < t.clicksPerSecond / kRateHz)
                    click = (random.Unit() < 0.5 ? -1 : 1) * clickScale * (0.1 + random.Unit());
                floor += click;
                click *= 0.6;  // a click dies within a few frames
                if (t.popsPerSecond > 0 && random.Unit() < t.popsPerSecond / kRateHz)
                    pop = (random.Unit() < 0.5 ? -0.32 : 0.32) * (0.3 + 0.7 * random.Unit()),
                    popPhase = 0;
                floor += pop * std::cos(popPhase);
                pop *= std::exp(-1 / (kPopDecaySeconds * kRateHz));
                popPhase += 2 * kPi * 300 / kRateHz;
            }
            previousWhite = white;
            if (t.silentGaps && !part.song) floor = 0;
            const double v = std::clamp((music + floor) * gain * 32767, -32768.0, 32767.0);
            const auto left = static_cast<std::int16_t>(v);
            const std::int16_t right = t.wiring == Wiring::InPhase ? left
                                       : t.wiring == Wiring::RightReversed
                                           ? static_cast<std::int16_t>(-left)
                                           : std::int16_t{0};
            side.frames.push_back({left, right});
        }
        time += n / kRateHz;
    }
    return side;
}

double Middle(const std::pair<double, double>& gap) {
    return (gap.first + gap.second) / 2;
}

Sensed Sense(const MadeSide& side, std::optional<int> songs, double minSongSeconds) {
    BandEnergy bands;
    bands.Feed(reinterpret_cast<const std::int16_t*>(side.frames.data()), side.frames.size());
    SmartSenseOptions options;
    options.songs = songs;
    options.minSongSeconds = minSongSeconds;
    SmartSenseResult r = detect::ChooseSmartSense(bands.Blocks(), options);
    return {std::move(r.cuts), r.musicStart, r.musicEnd, std::move(r.message)};
}
