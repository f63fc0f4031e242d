#include "slice/TrebleFilter.h"

#include "slice/SampleMath.h"
#include "slice/TrebleDesign.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <immintrin.h>
#endif

namespace {

constexpr float kCentre = 2.1371378898620605f;  // 15 kHz at 44.1 kHz, in radians
constexpr float kInputScale = 32768.0f;
constexpr float kOutputScale = 32767.0f;
constexpr float kBoostHeadroom = 2.5f;  // a boosted input is lowered first to leave room

#if defined(__SSE2__) || defined(_M_X64)

// Both channels in the two low lanes of SSE registers (left in lane 0, right in lane 1),
// and a second stretch's in lanes 2 and 3: each packed operation rounds every lane exactly
// as the scalar one would, so the bits are those of the formula, and one instruction stream
// serves both channels (of both stretches).
struct Stereo {
    __m128 x0, x1, x2, y0, y1, y2;

    /// `a` into lanes 0 and 1, `b` (when given) into lanes 2 and 3.
    void Load(const TrebleFilter& a, const TrebleFilter* b = nullptr) {
        __m128* const all[] = {&x0, &x1, &x2, &y0, &y1, &y2};
        for (int i = 0; i < 6; ++i)
            *all[i] = _mm_setr_ps(a.left[i], a.right[i], b ? b->left[i] : 0, b ? b->right[i] : 0);
    }
    void Store(TrebleFilter& a, TrebleFilter* b = nullptr) const {
        const __m128 all[] = {x0, x1, x2, y0, y1, y2};
        for (int i = 0; i < 6; ++i) {
            alignas(16) float lanes[4];
            _mm_store_ps(lanes, all[i]);
            a.left[i] = lanes[0], a.right[i] = lanes[1];
            if (b) b->left[i] = lanes[2], b->right[i] = lanes[3];
        }
    }
};

// The filter's constants in every lane, and one step of the recurrence.
struct Kernel {
    __m128 c0, c1, c2, d1, d2;
    __m128 inScale = _mm_set1_ps(kInputScale), headroom = _mm_set1_ps(kBoostHeadroom);
    __m128 outScale = _mm_set1_ps(kOutputScale);
    __m128 lowest = _mm_set1_ps(-32768.0f), highest = _mm_set1_ps(32767.0f);

    explicit Kernel(const TrebleFilter& f)
        : c0(_mm_set1_ps(f.c0)),
          c1(_mm_set1_ps(f.c1)),
          c2(_mm_set1_ps(f.c2)),
          d1(_mm_set1_ps(f.d1)),
          d2(_mm_set1_ps(f.d2)) {}

    /// Filters the 16-bit samples in the low half of `in` (lane order); returns the output
    /// times 32767, clamped to the 16-bit range before its truncation, as TruncateToSample.
    template <bool kBoosted>
    __m128 Step(Stereo& h, __m128i in) const {
        __m128 x = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(in, in), 16));
        x = _mm_div_ps(x, inScale);
        if (kBoosted) x = _mm_div_ps(x, headroom);
        h.y2 = h.y1, h.y1 = h.y0, h.x2 = h.x1, h.x1 = h.x0, h.x0 = x;
        __m128 y = _mm_add_ps(_mm_mul_ps(c0, h.x0), _mm_mul_ps(c1, h.x1));
        y = _mm_add_ps(y, _mm_mul_ps(c2, h.x2));
        y = _mm_sub_ps(y, _mm_mul_ps(d1, h.y1));
        h.y0 = _mm_sub_ps(y, _mm_mul_ps(d2, h.y2));
        return _mm_min_ps(_mm_max_ps(_mm_mul_ps(h.y0, outScale), lowest), highest);
    }
};

template <bool kBoosted>
int FilterFrames(TrebleFilter& f, std::int16_t* p, std::size_t frames) {
    Stereo h;
    h.Load(f);
    const Kernel k(f);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    __m128 peak = _mm_setzero_ps();
    for (std::size_t i = 0; i < frames; ++i, p += 2) {
        std::int32_t pair;
        std::memcpy(&pair, p, sizeof pair);
        const __m128 v = k.Step<kBoosted>(h, _mm_cvtsi32_si128(pair));
        const __m128i out = _mm_cvttps_epi32(v);
        pair = _mm_cvtsi128_si32(_mm_packs_epi32(out, out));
        std::memcpy(p, &pair, sizeof pair);
        // |trunc(v)| = trunc(|v|), and truncation keeps order: the largest |v| gives the peak.
        peak = _mm_max_ps(peak, _mm_and_ps(v, magnitude));
    }
    h.Store(f);
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, peak);
    return static_cast<int>(std::max(lanes[0], lanes[1]));
}

// Two stretches at once, each with its own history and `f`'s coefficients.
template <bool kBoosted>
void FilterTwo(const TrebleFilter& f, TrebleFilter& a, TrebleFilter& b, std::int16_t* pa,
               std::int16_t* pb, std::size_t frames) {
    Stereo h;
    h.Load(a, &b);
    const Kernel k(f);
    for (std::size_t i = 0; i < frames; ++i, pa += 2, pb += 2) {
        std::int32_t pairA, pairB;
        std::memcpy(&pairA, pa, sizeof pairA);
        std::memcpy(&pairB, pb, sizeof pairB);
        const __m128i in = _mm_unpacklo_epi32(_mm_cvtsi32_si128(pairA), _mm_cvtsi32_si128(pairB));
        const __m128i out = _mm_cvttps_epi32(k.Step<kBoosted>(h, in));
        const __m128i packed = _mm_packs_epi32(out, out);
        pairA = _mm_cvtsi128_si32(packed);
        pairB = _mm_cvtsi128_si32(_mm_srli_si128(packed, 4));
        std::memcpy(pa, &pairA, sizeof pairA);
        std::memcpy(pb, &pairB, sizeof pairB);
    }
    h.Store(a, &b);
}

#if defined(__GNUC__)
#define VELVANE_HAVE_AVX2_PATH 1

// Four stretches at once in the eight lanes of AVX registers, stretch i in lanes 2i and
// 2i+1. No FMA is enabled here: a fused multiply-add would round differently.
template <bool kBoosted>
__attribute__((target("avx2"))) void FilterFour(const TrebleFilter& f, TrebleFilter* const* s,
                                                std::int16_t* const* samples, std::size_t frames) {
    float lanes[6][8];
    for (int k = 0; k < 6; ++k)
        for (int i = 0; i < 4; ++i)
            lanes[k][2 * i] = s[i]->left[k], lanes[k][2 * i + 1] = s[i]->right[k];
    __m256 x0 = _mm256_loadu_ps(lanes[0]), x1 = _mm256_loadu_ps(lanes[1]);
    __m256 x2 = _mm256_loadu_ps(lanes[2]), y0 = _mm256_loadu_ps(lanes[3]);
    __m256 y1 = _mm256_loadu_ps(lanes[4]), y2 = _mm256_loadu_ps(lanes[5]);
    const __m256 c0 = _mm256_set1_ps(f.c0), c1 = _mm256_set1_ps(f.c1), c2 = _mm256_set1_ps(f.c2);
    const __m256 d1 = _mm256_set1_ps(f.d1), d2 = _mm256_set1_ps(f.d2);
    const __m256 inScale = _mm256_set1_ps(kInputScale);
    const __m256 headroom = _mm256_set1_ps(kBoostHeadroom);
    const __m256 outScale = _mm256_set1_ps(kOutputScale);
    const __m256 lowest = _mm256_set1_ps(-32768.0f), highest = _mm256_set1_ps(32767.0f);
    std::int16_t *p0 = samples[0], *p1 = samples[1], *p2 = samples[2], *p3 = samples[3];
    for (std::size_t n = 0; n < frames; ++n, p0 += 2, p1 += 2, p2 += 2, p3 += 2) {
        // Each stretch's frame moves between memory and register as one 32-bit value.
        std::int32_t a, b, c, d;
        std::memcpy(&a, p0, 4), std::memcpy(&b, p1, 4), std::memcpy(&c, p2, 4);
        std::memcpy(&d, p3, 4);
        __m128i in = _mm_cvtsi32_si128(a);
        in = _mm_insert_epi32(in, b, 1);
        in = _mm_insert_epi32(in, c, 2);
        in = _mm_insert_epi32(in, d, 3);
        __m256 x = _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(in));
        x = _mm256_div_ps(x, inScale);
        if (kBoosted) x = _mm256_div_ps(x, headroom);
        y2 = y1, y1 = y0, x2 = x1, x1 = x0, x0 = x;
        __m256 y = _mm256_add_ps(_mm256_mul_ps(c0, x0), _mm256_mul_ps(c1, x1));
        y = _mm256_add_ps(y, _mm256_mul_ps(c2, x2));
        y = _mm256_sub_ps(y, _mm256_mul_ps(d1, y1));
        y0 = _mm256_sub_ps(y, _mm256_mul_ps(d2, y2));
        const __m256 v = _mm256_min_ps(_mm256_max_ps(_mm256_mul_ps(y0, outScale), lowest), highest);
        const __m256i out = _mm256_cvttps_epi32(v);
        const __m128i packed =
            _mm_packs_epi32(_mm256_castsi256_si128(out), _mm256_extracti128_si256(out, 1));
        a = _mm_cvtsi128_si32(packed), b = _mm_extract_epi32(packed, 1);
        c = _mm_extract_epi32(packed, 2), d = _mm_extract_epi32(packed, 3);
        std::memcpy(p0, &a, 4), std::memcpy(p1, &b, 4), std::memcpy(p2, &c, 4);
        std::memcpy(p3, &d, 4);
    }
    _mm256_storeu_ps(lanes[0], x0), _mm256_storeu_ps(lanes[1], x1);
    _mm256_storeu_ps(lanes[2], x2), _mm256_storeu_ps(lanes[3], y0);
    _mm256_storeu_ps(lanes[4], y1), _mm256_storeu_ps(lanes[5], y2);
    for (int k = 0; k < 6; ++k)
        for (int i = 0; i < 4; ++i)
            s[i]->left[k] = lanes[k][2 * i], s[i]->right[k] = lanes[k][2 * i + 1];
}

bool HaveAvx2() {
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}
#endif

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
        return slice::TruncateToSample(y0 * kOutputScale);
    }
};

template <bool kBoosted>
int FilterFrames(TrebleFilter& f, std::int16_t* p, std::size_t frames) {
    Channel l, r;
    l.Load(f.left);
    r.Load(f.right);
    int peak = 0;
    for (std::size_t i = 0; i < frames; ++i, p += 2) {
        p[0] = l.Step(f, p[0], kBoosted);
        p[1] = r.Step(f, p[1], kBoosted);
        peak = std::max(peak, std::max(std::abs(int{p[0]}), std::abs(int{p[1]})));
    }
    l.Store(f.left);
    r.Store(f.right);
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

namespace {

// One sample through `count` double-precision sections of `f`, channel `channel`.
double RunSections(TrebleFilter& f, int count, int channel, double x,
                   const double (*coefficients)[5]) {
    for (int s = 0; s < count; ++s) {
        const double* k = coefficients[s];
        double* h = f.wide[s][channel];
        const double y = k[0] * x + k[1] * h[0] + k[2] * h[1] - k[3] * h[2] - k[4] * h[3];
        h[1] = h[0], h[0] = x, h[3] = h[2], h[2] = y;
        x = y;
    }
    return x;
}

// The cascade on 16-bit frames, with the 16-bit path's scaling, truncation and hold.
int CascadeFrames(TrebleFilter& f, std::int16_t* p, std::size_t frames, bool boosted) {
    if (!boosted && f.tunedLevel == 0) {
        // The flat filter (unit sections, no history): s * 32767 / 32768 truncated is s
        // moved one step toward zero.
        // Branch-free over 16-bit lanes, which the compiler turns into vector operations.
        std::int16_t high = 0, low = 0;
        for (std::size_t i = 0; i < 2 * frames; ++i) {
            const std::int16_t s = p[i];
            const auto moved = static_cast<std::int16_t>(s - (s > 0) + (s < 0));
            p[i] = moved;
            high = std::max(high, moved);
            low = std::min(low, moved);
        }
        return std::max(int{high}, -int{low});
    }
    const double in = 1 / double{kInputScale} / (boosted ? double{kBoostHeadroom} : 1);
    int peak = 0;
    for (std::size_t i = 0; i < 2 * frames; ++i) {
        const double y = RunSections(f, 2, static_cast<int>(i % 2), p[i] * in, f.sections);
        const double held = std::clamp(y * kOutputScale, -32768.0, 32767.0);
        p[i] = static_cast<std::int16_t>(held);
        peak = std::max(peak, std::abs(int{p[i]}));
    }
    return peak;
}

}  // namespace

int TrebleFilter::ProcessFrames(std::int16_t* samples, std::size_t frames, float level) {
    if (cascade) return CascadeFrames(*this, samples, frames, level > 0);
    TrebleFilter f = *this;  // a local copy: the sample stores cannot alias it
    // Two instances so that the level test stays out of the per-frame path.
    const int peak = level > 0 ? FilterFrames<true>(f, samples, frames)
                               : FilterFrames<false>(f, samples, frames);
    TakeHistory(f);
    return peak;
}

bool slice::SameFilterState(const TrebleFilter& a, const TrebleFilter& b) {
    const float ca[] = {a.c0, a.c1, a.c2, a.d1, a.d2};
    const float cb[] = {b.c0, b.c1, b.c2, b.d1, b.d2};
    return std::memcmp(ca, cb, sizeof ca) == 0 && std::memcmp(a.left, b.left, sizeof a.left) == 0 &&
           std::memcmp(a.right, b.right, sizeof a.right) == 0 && a.cascade == b.cascade &&
           std::memcmp(a.sections, b.sections, sizeof a.sections) == 0 &&
           std::memcmp(a.wide, b.wide, sizeof a.wide) == 0;
}

int slice::TrebleStreamsAtOnce() {
#ifdef VELVANE_HAVE_AVX2_PATH
    if (HaveAvx2()) return 4;
#endif
    return 2;
}

void slice::ProcessStreams(TrebleFilter* const filters[], std::int16_t* const samples[], int count,
                           std::size_t frames, float level) {
    if (count <= 0 || frames == 0) return;
    // Every stretch with the first one's coefficients, each on its own history.
    const TrebleFilter f = *filters[0];
    if (f.cascade) {  // no side-by-side kernel for the double-precision cascade
        for (int i = 0; i < count; ++i) {
            TrebleFilter one = f;
            one.TakeHistory(*filters[i]);
            one.ProcessFrames(samples[i], frames, level);
            filters[i]->TakeHistory(one);
        }
        return;
    }
    const auto alone = [&](int i) {
        TrebleFilter one = f;
        one.TakeHistory(*filters[i]);
        one.ProcessFrames(samples[i], frames, level);
        filters[i]->TakeHistory(one);
    };
    int i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const bool boosted = level > 0;
#ifdef VELVANE_HAVE_AVX2_PATH
    if (count > 2 && HaveAvx2()) {
        // Unused lanes filter a scratch stretch.
        std::vector<std::int16_t> scratch(count < 4 ? 2 * frames : 0);
        TrebleFilter spare = f;
        TrebleFilter* s[4];
        std::int16_t* p[4];
        for (int k = 0; k < 4; ++k) {
            s[k] = k < count ? filters[k] : &spare;
            p[k] = k < count ? samples[k] : scratch.data();
        }
        boosted ? FilterFour<true>(f, s, p, frames) : FilterFour<false>(f, s, p, frames);
        return;
    }
#endif
    for (; i + 1 < count; i += 2)
        boosted
            ? FilterTwo<true>(f, *filters[i], *filters[i + 1], samples[i], samples[i + 1], frames)
            : FilterTwo<false>(f, *filters[i], *filters[i + 1], samples[i], samples[i + 1], frames);
#endif
    for (; i < count; ++i) alone(i);
}

void slice::TuneTreble(TrebleFilter& filter, float level, std::uint32_t sampleRate) {
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
    filter.cascade = sampleRate != 44100;
    const BiquadPair boost = MatchTreble(
        Biquad{filter.c0, filter.c1, filter.c2, filter.d1, filter.d2}, level, sampleRate);
    for (int s = 0; s < 2; ++s) {
        const Biquad& k = s == 0 ? boost.first : boost.second;
        filter.sections[s][0] = k.b0, filter.sections[s][1] = k.b1, filter.sections[s][2] = k.b2;
        filter.sections[s][3] = k.a1, filter.sections[s][4] = k.a2;
    }
    filter.ClearHistory();
    ++filter.tunings;
    filter.tunedLevel = level;
    filter.tunedRate = sampleRate;
}

void TrebleFilter::Follow(float level, std::uint32_t sampleRate) {
    if (level != tunedLevel || sampleRate != tunedRate) slice::TuneTreble(*this, level, sampleRate);
}

void TrebleFilter::ProcessWide(double* s, std::size_t frames, float level) {
    // At 44.1 kHz the biquad itself, in double precision; elsewhere the cascade.
    const double single[1][5] = {{c0, c1, c2, d1, d2}};
    const double in = level > 0 ? 1 / double{kBoostHeadroom} : 1;
    const double out = double{kOutputScale} / double{kInputScale};
    for (std::size_t i = 0; i < 2 * frames; ++i) {
        const int channel = static_cast<int>(i % 2);
        const double y = cascade ? RunSections(*this, 2, channel, s[i] * in, sections)
                                 : RunSections(*this, 1, channel, s[i] * in, single);
        s[i] = y * out;
    }
}
