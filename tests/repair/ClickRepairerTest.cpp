#include "repair/ClickRepairer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "bench/SplitMix.h"

namespace {

using repair::ClickRepairer;
using repair::ClickSpan;
using repair::RepairStrength;

constexpr double kPi = std::numbers::pi;
constexpr RepairStrength kStrengths[] = {RepairStrength::Light, RepairStrength::Medium,
                                         RepairStrength::Strong};

struct Signal {
    int channels = 2;
    std::uint32_t rate = 44100;
    std::vector<float> samples;  // interleaved
    std::size_t Frames() const { return samples.size() / static_cast<std::size_t>(channels); }
    float& At(std::size_t frame, int channel) {
        return samples[frame * static_cast<std::size_t>(channels) +
                       static_cast<std::size_t>(channel)];
    }
};

// A few drifting partials over a faint hiss: music a model predicts well.
Signal Music(double seconds, int channels = 2, std::uint32_t rate = 44100) {
    Signal s{channels, rate, {}};
    const std::size_t frames = static_cast<std::size_t>(seconds * rate);
    s.samples.resize(frames * static_cast<std::size_t>(channels));
    SplitMix64 random(11);
    constexpr double kPartials[] = {196.0, 293.7, 440.0, 587.3, 1174.7};
    for (std::size_t t = 0; t < frames; ++t) {
        const double time = static_cast<double>(t) / rate;
        for (int c = 0; c < channels; ++c) {
            double v = 0;
            for (int k = 0; k < 5; ++k) {
                const double swell = 0.6 + 0.4 * std::sin(2 * kPi * (0.3 + 0.1 * k) * time + c);
                v += 0.05 * swell * std::sin(2 * kPi * kPartials[k] * time + k + 0.5 * c);
            }
            s.At(t, c) = static_cast<float>(v + 0.0005 * (random.Unit() - 0.5));
        }
    }
    return s;
}

// Everything through one repairer in chunks of `chunk` frames; the spans repaired.
std::vector<float> Repair(const Signal& in, RepairStrength strength, std::size_t chunk, int threads,
                          std::vector<ClickSpan>* spans = nullptr) {
    ClickRepairer repairer(strength, in.channels, in.rate, threads);
    std::vector<float> out;
    const std::size_t width = static_cast<std::size_t>(in.channels);
    for (std::size_t at = 0; at < in.Frames(); at += chunk) {
        repairer.Process(in.samples.data() + at * width, std::min(chunk, in.Frames() - at), out);
    }
    repairer.Finish(out);
    if (spans) *spans = repairer.TakeSpans();
    return out;
}

// Damage shapes, peak 1: what records and tapes add.
enum class Shape { Impulse, Spike, Ring, Burst, Step, Pop };
struct ShapeCase {
    const char* name;
    Shape shape;
    std::size_t length;
    double peak = 0.5;  // on the first channel, the second has 0.7 of it; a pop stands 12 dB
                        // above the music's envelope
};

std::vector<double> Waveform(const ShapeCase& c, std::uint32_t rate) {
    std::vector<double> w(c.length);
    SplitMix64 random(5);
    for (std::size_t i = 0; i < c.length; ++i) {
        const double x = static_cast<double>(i) / c.length;
        switch (c.shape) {
            case Shape::Impulse:
                w[i] = 1;
                break;
            case Shape::Spike:
                w[i] = std::exp(-3.0 * x);
                break;
            case Shape::Ring:
                w[i] = std::exp(-4.0 * x) * std::cos(2 * kPi * 5000.0 * i / rate);
                break;
            case Shape::Burst:
                w[i] = (random.Unit() - 0.5) * 2 * std::sin(kPi * (i + 0.5) / c.length);
                break;
            case Shape::Step:
                w[i] = 1;
                break;
            case Shape::Pop:
                w[i] = (i < 3 ? 1.0 : 0.0) +
                       0.6 * std::exp(-5.0 * x) * std::sin(2 * kPi * 400.0 * i / rate);
                break;
        }
    }
    return w;
}

class SingleClick : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SingleClick, IsFoundAndFilledCloseToTheMusic) {
    const ShapeCase& shape = GetParam();
    const Signal clean = Music(2.0);
    Signal damaged = clean;
    const std::size_t at = 50000;
    const std::vector<double> w = Waveform(shape, clean.rate);
    for (std::size_t i = 0; i < w.size(); ++i) {
        damaged.At(at + i, 0) += static_cast<float>(shape.peak * w[i]);
        damaged.At(at + i, 1) += static_cast<float>(0.7 * shape.peak * w[i]);
    }
    std::vector<ClickSpan> spans;
    const std::vector<float> out = Repair(damaged, RepairStrength::Medium, 4096, 2, &spans);
    ASSERT_EQ(out.size(), damaged.samples.size());
    ASSERT_FALSE(spans.empty());
    // Found where the click starts, and every repaired run lies about the click (a ringing
    // click's faint zero crossing may be left between two runs; a pop's faint end too: the
    // energy test below judges how much is left).
    EXPECT_LE(spans.front().start, at);
    EXPECT_GT(spans.front().start + spans.front().length, at);
    constexpr std::size_t kNear = 32;
    for (const ClickSpan& span : spans) {
        EXPECT_GE(span.start + kNear, at) << "a span at " << span.start;
        EXPECT_LE(span.start + span.length, at + w.size() + kNear) << "a span at " << span.start;
    }
    auto inSpan = [&](std::size_t frame) {
        return std::any_of(spans.begin(), spans.end(), [&](const ClickSpan& span) {
            return frame >= span.start && frame < span.start + span.length;
        });
    };
    double damage = 0, left = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t frame = i / 2;
        if (!inSpan(frame)) {
            ASSERT_EQ(out[i], damaged.samples[i]) << "frame " << frame << " outside the click";
        }
        if (frame < at || frame >= at + w.size()) continue;
        damage += std::pow(damaged.samples[i] - clean.samples[i], 2);
        left += std::pow(out[i] - clean.samples[i], 2);
    }
    // At least 9 dB of the click's energy taken out.
    EXPECT_LT(left, 0.125 * damage) << "left " << left << " of " << damage;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, SingleClick,
    ::testing::Values(ShapeCase{"Impulse", Shape::Impulse, 1}, ShapeCase{"Spike", Shape::Spike, 6},
                      ShapeCase{"Ring", Shape::Ring, 40}, ShapeCase{"Burst", Shape::Burst, 60},
                      ShapeCase{"Step", Shape::Step, 12}, ShapeCase{"Pop", Shape::Pop, 200, 1.2}),
    [](const auto& info) { return std::string(info.param.name); });

// Clean sounds with sharp beginnings, each after a stretch of quiet hiss.
Signal CleanSound(const char* kind) {
    Signal s = Music(1.5);
    SplitMix64 random(3);
    const std::string name = kind;
    const std::size_t start = 30000;
    for (std::size_t t = 0; t < s.Frames(); ++t) {
        const double since = t >= start ? static_cast<double>(t - start) / s.rate : -1;
        double v = 0;
        if (name == "sine") {
            v = 0;  // the music alone: steady partials
        } else if (name == "drum" && since >= 0) {
            // A kick: a falling low tone, with the beater's noisy click at its start.
            const double f = 50 + 100 * std::exp(-since * 30);
            v = 0.8 * std::exp(-since * 12) * std::sin(2 * kPi * f * since) +
                0.5 * std::exp(-since * 600) * (random.Unit() - 0.5);
        } else if (name == "pluck" && since >= 0) {
            // A plucked string: harmonics from a sharp attack, the high ones dying first.
            for (int h = 1; h <= 12; ++h) {
                v += 0.3 / h * std::exp(-since * 3 * h) * std::sin(2 * kPi * 146.8 * h * since);
            }
        } else if (name == "hat" && since >= 0) {
            v = 0.3 * std::exp(-since * 40) * (random.Unit() - 0.5);
        }
        for (int c = 0; c < s.channels; ++c) s.At(t, c) += static_cast<float>(v * (c ? 0.9 : 1.0));
    }
    return s;
}

class CleanSounds : public ::testing::TestWithParam<const char*> {};

TEST_P(CleanSounds, PassUnchangedAtEveryStrength) {
    const Signal clean = CleanSound(GetParam());
    for (RepairStrength strength : kStrengths) {
        std::vector<ClickSpan> spans;
        const std::vector<float> out = Repair(clean, strength, 4096, 2, &spans);
        EXPECT_EQ(out, clean.samples) << repair::FormatRepairStrength(strength);
        EXPECT_TRUE(spans.empty()) << repair::FormatRepairStrength(strength) << ": " << spans.size()
                                   << " spans, first at " << spans[0].start;
    }
}

INSTANTIATE_TEST_SUITE_P(Sounds, CleanSounds, ::testing::Values("sine", "drum", "pluck", "hat"));

// Crackle all through: many clicks, some across segment edges.
Signal Crackled(int channels, std::uint32_t rate, double seconds) {
    Signal s = Music(seconds, channels, rate);
    SplitMix64 random(9);
    for (std::size_t t = 100; t + 10 < s.Frames();
         t += 200 + static_cast<std::size_t>(random.Unit() * 600)) {
        const float a = static_cast<float>(random.Unit() - 0.5);
        for (int c = 0; c < channels; ++c) s.At(t, c) += a, s.At(t + 1, c) -= 0.5f * a;
    }
    return s;
}

TEST(ClickRepairer, OutputIsTheSameWhateverTheChunksAndThreads) {
    const Signal in = Crackled(2, 44100, 3.0);
    std::vector<ClickSpan> expectedSpans;
    const std::vector<float> expected =
        Repair(in, RepairStrength::Medium, in.Frames(), 1, &expectedSpans);
    ASSERT_EQ(expected.size(), in.samples.size());
    EXPECT_GT(expectedSpans.size(), 100u);
    struct Run {
        std::size_t chunk;
        int threads;
    };
    for (const Run run : {Run{1, 2}, Run{777, 3}, Run{32768, 2}, Run{100000, 4}}) {
        std::vector<ClickSpan> spans;
        EXPECT_EQ(Repair(in, RepairStrength::Medium, run.chunk, run.threads, &spans), expected)
            << "chunks of " << run.chunk << ", " << run.threads << " threads";
        EXPECT_EQ(spans, expectedSpans);
    }
}

TEST(ClickRepairer, ServesOtherChannelCountsAndRates) {
    struct Format {
        int channels;
        std::uint32_t rate;
    };
    for (const Format f : {Format{1, 22050}, Format{6, 96000}, Format{8, 192000}}) {
        Signal clean = Music(1.0, f.channels, f.rate);
        Signal damaged = clean;
        const std::size_t at = clean.Frames() / 2;
        for (int c = 0; c < f.channels; ++c) damaged.At(at, c) += 0.4f;
        std::vector<ClickSpan> spans;
        const std::vector<float> out = Repair(damaged, RepairStrength::Medium, 5000, 2, &spans);
        ASSERT_EQ(out.size(), damaged.samples.size());
        ASSERT_EQ(spans.size(), 1u) << f.channels << " channels at " << f.rate;
        for (int c = 0; c < f.channels; ++c) {
            EXPECT_NEAR(out[at * f.channels + c], clean.At(at, c), 0.02) << "channel " << c;
        }
    }
}

TEST(ClickRepairer, OffPassesEveryFrameAtOnce) {
    const Signal in = Crackled(2, 44100, 0.5);
    ClickRepairer repairer(RepairStrength::Off, 2, 44100);
    std::vector<float> out;
    repairer.Process(in.samples.data(), in.Frames(), out);
    EXPECT_EQ(out, in.samples);
    repairer.Finish(out);
    EXPECT_EQ(out, in.samples);
    EXPECT_TRUE(repairer.TakeSpans().empty());
}

TEST(ClickRepairer, TrailsTheInputByNoMoreThanItsDelay) {
    const Signal in = Music(4.0);
    ClickRepairer repairer(RepairStrength::Medium, 2, 44100, 2);
    std::vector<float> out;
    for (std::size_t at = 0; at < in.Frames(); at += 1000) {
        repairer.Process(in.samples.data() + at * 2, std::min<std::size_t>(1000, in.Frames() - at),
                         out);
        const std::size_t taken = std::min<std::size_t>(at + 1000, in.Frames());
        EXPECT_GE(out.size() / 2 + repairer.MaxDelayFrames(), taken);
    }
    repairer.Finish(out);
    EXPECT_EQ(out.size(), in.samples.size());
    out.clear();
    repairer.Finish(out);  // an empty stream after the first
    EXPECT_TRUE(out.empty());
}

}  // namespace
