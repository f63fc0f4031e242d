#include "bench/corpus/RecordNoise.h"

#include <algorithm>
#include <cmath>

#include "bench/corpus/MusicSources.h"

namespace corpus {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTurnSeconds = 1.8;  // one turn at 33 1/3 rpm
constexpr double kRumblePoleHz = 18;
constexpr double kSoftestClickDb = 36;  // below the loudest

double OnePole(double hertz) {
    return std::exp(-2 * kPi * hertz / kRate);
}

}  // namespace

RecordNoise::RecordNoise(const NoisePlan& plan, const NoiseTimeline& timeline, std::uint64_t seed)
    : plan_(plan), t_(timeline), random_(seed) {
    lowA_ = OnePole(plan.surfaceCutoffHz);
    floorGain_ = DecibelsToFactor(plan.floorDb);
    // One-pole low-pass of unit white noise: variance (1 - a) / (1 + a).
    surfaceGain_ = floorGain_ / std::sqrt((1 - lowA_) / (1 + lowA_));
    const double r = OnePole(kRumblePoleHz);
    // Two cascaded poles: variance (1-r)^2 (1+r^2) / ((1+r)^3 (1-r))... measured instead.
    {
        double a = 0, b = 0, sum = 0;
        Random probe(1);
        constexpr int kProbe = 1 << 18;
        for (int i = 0; i < kProbe; ++i) {
            const double u = probe.Unit() + probe.Unit() + probe.Unit() - 1.5;
            a = r * a + (1 - r) * u * 2;
            b = r * b + (1 - r) * a;
            sum += b * b;
        }
        rumbleGain_ = DecibelsToFactor(plan.rumbleDb) / std::sqrt(sum / kProbe);
    }
    warp_ = plan.medium == Medium::Vinyl ? DecibelsToFactor(plan.warpDb) : 0;
    hum_ = DecibelsToFactor(plan.humDb);
    converter_ = DecibelsToFactor(plan.converterDb);
    nextClick_ = static_cast<double>(t_.dropFrame) +
                 random_.Exponential(std::max(plan.clicksPerSecond, 1e-9) / kRate);
    nextPop_ = static_cast<double>(t_.dropFrame) +
               random_.Exponential(std::max(plan.popsPerMinute, 1e-9) / 60 / kRate);
    nextRunOut_ = t_.runOutFrame;
    // The needle landing (or the record key): a low thump with a crack on top.
    if (plan.medium == Medium::Vinyl) {
        StartClick(t_.dropFrame, DecibelsToFactor(random_.Uniform(-10, -4)), 60, 25, false);
        StartClick(t_.dropFrame + 20, DecibelsToFactor(random_.Uniform(-16, -8)), 0.4, 3000, false);
    } else {
        StartClick(t_.dropFrame, DecibelsToFactor(random_.Uniform(-30, -20)), 3, 400, false);
    }
}

double RecordNoise::Noise() {
    // Irwin-Hall of four uniforms: close enough to normal for noise, and cheap.
    return (random_.Unit() + random_.Unit() + random_.Unit() + random_.Unit() - 2.0) * 1.7320508;
}

void RecordNoise::StartClick(std::uint64_t at, double amplitude, double decayMs, double hertz,
                             bool oneSided) {
    Click c;
    c.start = at;
    c.amplitude = random_.Chance(0.5) ? amplitude : -amplitude;
    // Groove damage sits on one wall or both.
    const double other = oneSided ? random_.Uniform(0.05, 0.5) : random_.Uniform(0.6, 1.0);
    const bool leftLoud = random_.Chance(0.5);
    c.left = leftLoud ? 1.0 : other;
    c.right = leftLoud ? other : 1.0;
    c.decayFrames = decayMs * kRate / 1000;
    c.radiansPerFrame = 2 * kPi * hertz / kRate;
    c.length = static_cast<std::uint32_t>(c.decayFrames * 7) + 2;
    clicks_.push_back(c);
}

void RecordNoise::Add(std::uint64_t frame, std::size_t n, double* out) {
    const bool vinyl = plan_.medium == Medium::Vinyl;
    const double r = OnePole(kRumblePoleHz);
    const double turn = 2 * kPi / (kTurnSeconds * kRate);
    const double loudest = DecibelsToFactor(plan_.clickLoudestDb);
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint64_t i = frame + k;
        double* o = out + 2 * k;
        o[0] += converter_ * Noise();
        o[1] += converter_ * Noise();
        const bool sounding = i >= t_.dropFrame && i < t_.liftFrame;
        if (!sounding) continue;

        // Events that begin at this frame.
        if (vinyl) {
            while (nextClick_ <= static_cast<double>(i)) {
                const double db = random_.Uniform(-kSoftestClickDb, 0);
                StartClick(i, loudest * DecibelsToFactor(db), random_.Uniform(0.03, 0.4),
                           random_.Uniform(1500, 7000), random_.Chance(0.6));
                nextClick_ += random_.Exponential(plan_.clicksPerSecond / kRate);
            }
            while (nextPop_ <= static_cast<double>(i)) {
                StartClick(i, DecibelsToFactor(random_.Uniform(-14, -2)),
                           random_.Uniform(1, plan_.popLongestMs), random_.Uniform(150, 700),
                           random_.Chance(0.4));
                nextPop_ += random_.Exponential(plan_.popsPerMinute / 60 / kRate);
            }
            if (i == nextRunOut_ && i >= t_.runOutFrame) {
                StartClick(i, DecibelsToFactor(plan_.runOutClickDb), 0.6, 2200, false);
                StartClick(i, DecibelsToFactor(plan_.runOutClickDb - 6), 5, 120, false);
                nextRunOut_ += static_cast<std::uint64_t>(kTurnSeconds * kRate);
            }
        }

        const double t = static_cast<double>(i - t_.dropFrame);
        double left = 0, right = 0;
        const double shared = Noise();
        if (vinyl) {
            // Surface noise, partly common to both walls, swelling with each turn.
            const double inward = t / static_cast<double>(t_.liftFrame - t_.dropFrame);
            const double swell =
                (1 + 0.25 * std::sin(turn * t)) * std::pow(10.0, plan_.floorDriftDb * inward / 20);
            const double a = lowA_;
            surface_[0] = a * surface_[0] + (1 - a) * (0.7 * shared + 0.7 * Noise());
            surface_[1] = a * surface_[1] + (1 - a) * (0.7 * shared + 0.7 * Noise());
            left += surfaceGain_ * swell * surface_[0];
            right += surfaceGain_ * swell * surface_[1];
            for (int c = 0; c < 2; ++c) {
                rumble_[c][0] = r * rumble_[c][0] + (1 - r) * (c ? -shared : shared);
                rumble_[c][1] = r * rumble_[c][1] + (1 - r) * rumble_[c][0];
            }
            left += rumbleGain_ * rumble_[0][1];
            right += rumbleGain_ * rumble_[1][1];
            const double warp = warp_ * std::sin(2 * kPi * 0.55 * t / kRate);
            left += warp;
            right += warp;
        } else {
            // Hiss: white noise tilted toward the treble (first difference mixed in).
            for (int c = 0; c < 2; ++c) {
                const double w = Noise();
                const double tilted = 0.45 * w + 0.55 * (w - hissState_[c]) * 0.7071;
                hissState_[c] = w;
                (c ? right : left) += floorGain_ * tilted;
            }
        }
        if (plan_.humDb > -150) {
            // The mains and its harmonics, the odd ones stronger (a rectifier's buzz).
            const double phase = 2 * kPi * plan_.humHz * t / kRate;
            const double hum = hum_ * (std::sin(phase) + 0.3 * std::sin(2 * phase) +
                                       0.5 * std::sin(3 * phase) + 0.25 * std::sin(5 * phase));
            left += hum;
            right += hum;
        }
        o[0] += left;
        o[1] += right;
    }

    // Clicks under way, added over the whole range at once.
    const std::uint64_t end = frame + n;
    for (const Click& c : clicks_) {
        const std::uint64_t from = std::max(c.start, frame);
        const std::uint64_t to = std::min<std::uint64_t>(c.start + c.length, end);
        for (std::uint64_t i = from; i < to; ++i) {
            const double x = static_cast<double>(i - c.start);
            const double v = c.amplitude * std::exp(-x / c.decayFrames) *
                             (x == 0 ? 1.0 : std::cos(c.radiansPerFrame * x));
            out[2 * (i - frame)] += c.left * v;
            out[2 * (i - frame) + 1] += c.right * v;
        }
    }
    std::erase_if(clicks_, [end](const Click& c) { return c.start + c.length <= end; });
}

}  // namespace corpus
