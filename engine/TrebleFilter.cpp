#include "engine/TrebleFilter.h"

#include "engine/SampleMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

constexpr float kCentre = 2.1371378898620605f;  // 15 kHz at 44.1 kHz, in radians
constexpr float kInputScale = 32768.0f;
constexpr float kOutputScale = 32767.0f;
constexpr float kBoostHeadroom = 2.5f;  // a boosted input is lowered first to leave room

#if defined(__SSE2__) || defined(_M_X64)

// Both channels in the two low lanes of SSE registers (left in lane 0, right in lane 1):
// each packed operation rounds every lane exactly as the scalar one would, so the bits are
// those of the formula, and one instruction stream serves both channels.
struct Stereo {
    __m128 x0, x1, x2, y0, y1, y2;

    void Load(const float* l, const float* r) {
        x0 = _mm_setr_ps(l[0], r[0], 0, 0), x1 = _mm_setr_ps(l[1], r[1], 0, 0);
        x2 = _mm_setr_ps(l[2], r[2], 0, 0), y0 = _mm_setr_ps(l[3], r[3], 0, 0);
        y1 = _mm_setr_ps(l[4], r[4], 0, 0), y2 = _mm_setr_ps(l[5], r[5], 0, 0);
    }
    void Store(float* l, float* r) const {
        const __m128 all[] = {x0, x1, x2, y0, y1, y2};
        for (int i = 0; i < 6; ++i) {
            alignas(16) float lanes[4];
            _mm_store_ps(lanes, all[i]);
            l[i] = lanes[0];
            r[i] = lanes[1];
        }
    }
};

template <bool kBoosted>
int FilterFrames(const TrebleFilter& f, float* left, float* right, std::int16_t* p,
                 std::size_t frames) {
    Stereo h;
    h.Load(left, right);
    const __m128 c0 = _mm_set1_ps(f.c0), c1 = _mm_set1_ps(f.c1), c2 = _mm_set1_ps(f.c2);
    const __m128 d1 = _mm_set1_ps(f.d1), d2 = _mm_set1_ps(f.d2);
    const __m128 inScale = _mm_set1_ps(kInputScale), headroom = _mm_set1_ps(kBoostHeadroom);
    const __m128 outScale = _mm_set1_ps(kOutputScale);
    const __m128 lowest = _mm_set1_ps(-32768.0f), highest = _mm_set1_ps(32767.0f);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    __m128 peak = _mm_setzero_ps();
    for (std::size_t i = 0; i < frames; ++i, p += 2) {
        std::int32_t pair;
        std::memcpy(&pair, p, sizeof pair);
        const __m128i in = _mm_cvtsi32_si128(pair);
        __m128 x = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(in, in), 16));
        x = _mm_div_ps(x, inScale);
        if (kBoosted) x = _mm_div_ps(x, headroom);
        h.y2 = h.y1, h.y1 = h.y0, h.x2 = h.x1, h.x1 = h.x0, h.x0 = x;
        __m128 y = _mm_add_ps(_mm_mul_ps(c0, h.x0), _mm_mul_ps(c1, h.x1));
        y = _mm_add_ps(y, _mm_mul_ps(c2, h.x2));
        y = _mm_sub_ps(y, _mm_mul_ps(d1, h.y1));
        h.y0 = _mm_sub_ps(y, _mm_mul_ps(d2, h.y2));
        // Clamped before the conversion, as TruncateToSample does.
        const __m128 v = _mm_min_ps(_mm_max_ps(_mm_mul_ps(h.y0, outScale), lowest), highest);
        const __m128i out = _mm_cvttps_epi32(v);
        pair = _mm_cvtsi128_si32(_mm_packs_epi32(out, out));
        std::memcpy(p, &pair, sizeof pair);
        // |trunc(v)| = trunc(|v|), and truncation keeps order: the largest |v| gives the peak.
        peak = _mm_max_ps(peak, _mm_and_ps(v, magnitude));
    }
    h.Store(left, right);
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, peak);
    return static_cast<int>(std::max(lanes[0], lanes[1]));
}

#else

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

template <bool kBoosted>
int FilterFrames(const TrebleFilter& f, float* left, float* right, std::int16_t* p,
                 std::size_t frames) {
    Channel l, r;
    l.Load(left);
    r.Load(right);
    int peak = 0;
    for (std::size_t i = 0; i < frames; ++i, p += 2) {
        p[0] = l.Step(f, p[0], kBoosted);
        p[1] = r.Step(f, p[1], kBoosted);
        peak = std::max(peak, std::max(std::abs(int{p[0]}), std::abs(int{p[1]})));
    }
    l.Store(left);
    r.Store(right);
    return peak;
}

#endif

}  // namespace

void TrebleFilter::Process(std::int16_t& leftSample, std::int16_t& rightSample, float level) {
    std::int16_t frame[2] = {leftSample, rightSample};
    ProcessFrames(frame, 1, level);
    leftSample = frame[0];
    rightSample = frame[1];
}

int TrebleFilter::ProcessFrames(std::int16_t* samples, std::size_t frames, float level) {
    const TrebleFilter f = *this;  // a local copy: the sample stores cannot alias it
    // Two instances so that the level test stays out of the per-frame path.
    return level > 0 ? FilterFrames<true>(f, left, right, samples, frames)
                     : FilterFrames<false>(f, left, right, samples, frames);
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
    ++filter.tunings;
}
