#include "bench/declick/Damage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "bench/corpus/Random.h"

namespace declick {

namespace {

using corpus::Random;

enum class Shape { Impulse, Spike, Ring, Burst, Step, Thump, NoisyPop, HalfSine };
constexpr const char* kShapeNames[] = {"impulse", "spike", "ring",      "burst",
                                       "step",    "thump", "noisy pop", "half sine"};

constexpr double kPi = std::numbers::pi;
// Damage is kept this far from the excerpt's ends (its fades).
constexpr std::size_t kEdgeFrames = kRate / 50;

std::size_t Ms(double ms) {
    return static_cast<std::size_t>(std::lround(ms * kRate / 1000));
}

// One click's waveform, peak 1, and so its length.
std::vector<double> Waveform(Shape shape, Random& random) {
    std::vector<double> w;
    switch (shape) {
        case Shape::Impulse:
            w = {1.0};
            break;
        case Shape::Spike: {  // a fast rise and an exponential fall
            const std::size_t length = 2 + static_cast<std::size_t>(random.Below(7));
            const double tau = random.Uniform(0.5, length / 2.0);
            const int rise = random.Below(2);
            for (std::size_t i = 0; i < length; ++i) {
                w.push_back(static_cast<int>(i) < rise ? 0.5 : std::exp(-(double(i) - rise) / tau));
            }
            break;
        }
        case Shape::Ring: {  // the pickup ringing after a sharp hit
            const std::size_t length = Ms(random.Uniform(0.3, 1.5));
            const double f = random.Uniform(2000, 8000), phase = random.Uniform(0, kPi);
            for (std::size_t i = 0; i < length; ++i) {
                w.push_back(std::exp(-4.0 * i / length) *
                            std::sin(2 * kPi * f * i / kRate + phase));
            }
            break;
        }
        case Shape::Burst: {  // a short burst of noise
            const std::size_t length = Ms(random.Uniform(0.2, 2.0));
            for (std::size_t i = 0; i < length; ++i) {
                w.push_back(random.Gauss() * std::sin(kPi * (i + 0.5) / length));
            }
            break;
        }
        case Shape::Step: {  // a flat-topped pulse
            const std::size_t length = 2 + static_cast<std::size_t>(random.Below(19));
            w.assign(length, 1.0);
            break;
        }
        case Shape::Thump: {  // a sharp hit, then the arm's low, decaying swing
            const std::size_t length = Ms(random.Uniform(1.0, 5.0));
            const double f = random.Uniform(200, 800);
            for (std::size_t i = 0; i < length; ++i) {
                const double tail =
                    0.6 * std::exp(-3.0 * i / length) * std::sin(2 * kPi * f * i / kRate);
                w.push_back((i < 3 ? 1.0 - i * 0.3 : 0.0) + tail);
            }
            break;
        }
        case Shape::NoisyPop: {
            const std::size_t length = Ms(random.Uniform(1.0, 5.0));
            for (std::size_t i = 0; i < length; ++i) {
                w.push_back(random.Gauss() * std::exp(-3.0 * i / length));
            }
            break;
        }
        case Shape::HalfSine: {  // a smooth bump with a little ringing on top
            const std::size_t length = Ms(random.Uniform(1.0, 5.0));
            const double f = random.Uniform(3000, 6000);
            for (std::size_t i = 0; i < length; ++i) {
                w.push_back(std::sin(kPi * (i + 0.5) / length) +
                            0.3 * std::exp(-8.0 * i / length) * std::sin(2 * kPi * f * i / kRate));
            }
            break;
        }
    }
    double peak = 0;
    for (double v : w) peak = std::max(peak, std::fabs(v));
    for (double& v : w) v /= peak;
    return w;
}

// Adds one click of `shape` at a random place, `levelDb` above the excerpt's RMS, on both
// channels with probability `both` (the second a little weaker or stronger, perhaps a
// sample later), else on one.
void AddClick(Damaged& d, std::size_t frames, double rms, Shape shape, double levelDb, double both,
              Random& random, std::size_t start) {
    const std::vector<double> w = Waveform(shape, random);
    if (start + w.size() + kEdgeFrames > frames) return;
    const double amplitude =
        rms * corpus::DecibelsToFactor(levelDb) * (random.Chance(0.5) ? 1 : -1);
    const bool onBoth = random.Chance(both);
    const int first = random.Below(kChannels);
    const double otherGain = random.Uniform(0.5, 1.0);
    const std::size_t otherDelay = random.Chance(0.3) ? 1 : 0;
    std::size_t end = start + w.size();
    for (int c = 0; c < kChannels; ++c) {
        if (c != first && !onBoth) continue;
        const double gain = c == first ? 1.0 : otherGain;
        const std::size_t delay = c == first ? 0 : otherDelay;
        for (std::size_t i = 0; i < w.size(); ++i) {
            d.samples[(start + delay + i) * kChannels + c] +=
                static_cast<float>(amplitude * gain * w[i]);
        }
        end = std::max(end, start + delay + w.size());
    }
    d.events.push_back({start, end - start, levelDb, kShapeNames[static_cast<int>(shape)]});
}

}  // namespace

std::string_view ConditionName(Condition condition) {
    switch (condition) {
        case Condition::Clean:
            return "clean";
        case Condition::Clicks:
            return "clicks";
        case Condition::Crackle:
            return "crackle";
        case Condition::Pops:
            return "pops";
    }
    return "";
}

Damaged AddDamage(const Excerpt& excerpt, Condition condition, std::uint64_t seed) {
    Damaged d;
    d.samples = excerpt.clean;
    const std::size_t frames = d.samples.size() / kChannels;
    Random random(seed);
    const double seconds = static_cast<double>(frames) / kRate;
    // Poisson arrivals of `rate` a second, each made by `add`.
    auto arrivals = [&](double rate, auto add) {
        for (double t = random.Exponential(rate); t < seconds; t += random.Exponential(rate)) {
            const auto start = static_cast<std::size_t>(t * kRate);
            if (start >= kEdgeFrames) add(start);
        }
    };
    auto singleClick = [&](std::size_t start) {
        constexpr Shape kShapes[] = {Shape::Impulse, Shape::Spike, Shape::Ring, Shape::Burst,
                                     Shape::Step};
        AddClick(d, frames, excerpt.rms, kShapes[random.Below(5)], random.Uniform(3, 24), 0.75,
                 random, start);
    };
    switch (condition) {
        case Condition::Clean:
            break;
        case Condition::Clicks:
            arrivals(4.0, singleClick);
            break;
        case Condition::Crackle:
            arrivals(random.Uniform(200, 600), [&](std::size_t start) {
                AddClick(d, frames, excerpt.rms, random.Chance(0.3) ? Shape::Impulse : Shape::Spike,
                         random.Uniform(-3, 12), 0.6, random, start);
            });
            arrivals(1.0, singleClick);
            break;
        case Condition::Pops:
            arrivals(1.5, [&](std::size_t start) {
                constexpr Shape kShapes[] = {Shape::Thump, Shape::NoisyPop, Shape::HalfSine};
                AddClick(d, frames, excerpt.rms, kShapes[random.Below(3)], random.Uniform(6, 22),
                         0.85, random, start);
            });
            break;
    }
    std::sort(d.events.begin(), d.events.end(),
              [](const DamageEvent& a, const DamageEvent& b) { return a.start < b.start; });
    return d;
}

}  // namespace declick
