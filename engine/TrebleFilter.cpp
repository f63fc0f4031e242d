#include "engine/TrebleFilter.h"

#include "engine/SampleMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

constexpr float kCentre = 2.1371378898620605f;  // 15 kHz at 44.1 kHz, in radians
constexpr float kInputScale = 32768.0f;
constexpr float kOutputScale = 32767.0f;
constexpr float kBoostHeadroom = 2.5f;  // a boosted input is lowered first to leave room

// One channel's history held in locals: x[n], x[n-1], x[n-2], y[n], y[n-1], y[n-2].
struct Channel {
    float x0, x1, x2, y0, y1, y2;

    void Load(const float* h) { x0 = h[0], x1 = h[1], x2 = h[2], y0 = h[3], y1 = h[4], y2 = h[5]; }
    void Store(float* h) const { h[0] = x0, h[1] = x1, h[2] = x2, h[3] = y0, h[4] = y1, h[5] = y2; }

    // The operations and their order fix the result's bits: float throughout, left to right.
    inline std::int16_t Step(const TrebleFilter& f, std::int16_t sample, bool boosted) {
        float x = static_cast<float>(sample) / kInputScale;
        if (boosted) x = x / kBoostHeadroom;
        y2 = y1, y1 = y0, x2 = x1, x1 = x0, x0 = x;
        y0 = f.c0 * x0 + f.c1 * x1 + f.c2 * x2 - f.d1 * y1 - f.d2 * y2;
        return TruncateToSample(y0 * kOutputScale);
    }
};

}  // namespace

void TrebleFilter::Process(std::int16_t& leftSample, std::int16_t& rightSample, float level) {
    std::int16_t frame[2] = {leftSample, rightSample};
    ProcessFrames(frame, 1, level);
    leftSample = frame[0];
    rightSample = frame[1];
}

int TrebleFilter::ProcessFrames(std::int16_t* samples, std::size_t frames, float level) {
    Channel l, r;
    l.Load(left);
    r.Load(right);
    const TrebleFilter f = *this;  // local copy: the stores below cannot alias it
    int peak = 0;
    std::int16_t* p = samples;
    // Two loops so that the level test stays out of the per-frame path.
    if (level > 0) {
        for (std::size_t i = 0; i < frames; ++i, p += 2) {
            p[0] = l.Step(f, p[0], true);
            p[1] = r.Step(f, p[1], true);
            peak = std::max(peak, std::max(std::abs(int{p[0]}), std::abs(int{p[1]})));
        }
    } else {
        for (std::size_t i = 0; i < frames; ++i, p += 2) {
            p[0] = l.Step(f, p[0], false);
            p[1] = r.Step(f, p[1], false);
            peak = std::max(peak, std::max(std::abs(int{p[0]}), std::abs(int{p[1]})));
        }
    }
    l.Store(left);
    r.Store(right);
    return peak;
}

void TuneTreble(TrebleFilter& filter, float level) {
    const float e = level * 4 / 40;
    const float a = static_cast<float>(std::pow(10.0, static_cast<double>(e)));
    const float cs = static_cast<float>(std::cos(static_cast<double>(kCentre)));
    const float sn = static_cast<float>(std::sin(static_cast<double>(kCentre)));
    const float alpha = sn / 6;
    filter.b0 = 1 + alpha * a;
    filter.b1 = -2 * cs;
    filter.b2 = 1 - alpha * a;
    filter.a0 = 1 + alpha / a;
    filter.a1 = -2 * cs;
    filter.a2 = 1 - alpha / a;
    filter.c0 = filter.b0 / filter.a0;
    filter.c1 = filter.b1 / filter.a0;
    filter.c2 = filter.b2 / filter.a0;
    filter.d1 = filter.a1 / filter.a0;
    filter.d2 = filter.a2 / filter.a0;
    std::fill(std::begin(filter.left), std::end(filter.left), 0.0f);
    std::fill(std::begin(filter.right), std::end(filter.right), 0.0f);
}
