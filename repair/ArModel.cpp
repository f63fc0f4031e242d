#include "repair/ArModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace repair {

namespace {

// Partial sums kept apart so that the compiler can run them side by side in vector
// registers without reordering a single sum (the results stay the same on every build).
// Each lane sums a few hundred products: float holds them well enough for a fit whose noise
// floor is 50 dB down.
constexpr std::size_t kLanes = 8;

// Lag window: a Gaussian of this many radians per lag, widening each resonance a little
// so that a model fitted to a pure tone stays stable and well conditioned.
constexpr double kLagWindowBandwidth = 0.004;
// Added to the zero lag: a noise floor 50 dB down, so that the fit never relies on detail
// far below the music (dither, rounding) and the errors of loud bass and quiet treble are
// judged alike.
constexpr double kWhiteNoiseFraction = 1e-5;
// Below this mean square (about -140 dB full scale) a stretch is taken as silence.
constexpr double kSilentMeanSquare = 1e-14;

double Dot(const float* x, const float* y, std::size_t count) {
    float lanes[kLanes] = {};
    std::size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (std::size_t l = 0; l < kLanes; ++l) lanes[l] += x[i + l] * y[i + l];
    }
    for (; i < count; ++i) lanes[0] += x[i] * y[i];
    // The lanes are added in double: a float sum here loses enough for the fit of smooth
    // music to fail.
    double sum = 0;
    for (float lane : lanes) sum += lane;
    return sum;
}

}  // namespace

ArModel FitArModel(const float* x, std::size_t count, int order, FitScratch& scratch) {
    ArModel model;
    if (count < static_cast<std::size_t>(4 * order)) return model;
    if (scratch.taper.size() != count) {
        scratch.taper.resize(count);
        const double step = 2 * std::numbers::pi / static_cast<double>(count);
        for (std::size_t i = 0; i < count; ++i) {
            scratch.taper[i] =
                static_cast<float>(0.5 - 0.5 * std::cos(step * (static_cast<double>(i) + 0.5)));
        }
    }
    scratch.tapered.resize(count);
    float* w = scratch.tapered.data();
    for (std::size_t i = 0; i < count; ++i) w[i] = scratch.taper[i] * x[i];
    double r[kMaxArOrder + 1] = {};
    for (int k = 0; k <= order; ++k) r[k] = Dot(w, w + k, count - static_cast<std::size_t>(k));
    if (r[0] < kSilentMeanSquare * 0.375 * static_cast<double>(count)) return model;
    r[0] *= 1 + kWhiteNoiseFraction;
    for (int k = 1; k <= order; ++k) {
        const double g = kLagWindowBandwidth * k;
        r[k] *= std::exp(-0.5 * g * g);
    }
    // Levinson-Durbin.
    double a[kMaxArOrder + 1] = {};
    double previous[kMaxArOrder + 1] = {};
    double error = r[0];
    for (int m = 1; m <= order; ++m) {
        double acc = r[m];
        for (int k = 1; k < m; ++k) acc -= a[k] * r[m - k];
        const double reflection = acc / error;
        std::copy(a, a + m, previous);
        a[m] = reflection;
        for (int k = 1; k < m; ++k) a[k] = previous[k] - reflection * previous[m - k];
        error *= 1 - reflection * reflection;
        if (error <= 0) return model;
    }
    model.order = order;
    for (int k = 0; k < order; ++k) model.a[k] = static_cast<float>(a[k + 1]);
    return model;
}

void ForwardErrors(const ArModel& model, const float* x, std::size_t begin, std::size_t end,
                   float* e) {
    std::copy(x + begin, x + end, e + begin);
    for (int k = 1; k <= model.order; ++k) {
        const float a = model.a[k - 1];
        const float* past = x - k;
        for (std::size_t t = begin; t < end; ++t) e[t] -= a * past[t];
    }
}

void BackwardErrors(const ArModel& model, const float* x, std::size_t begin, std::size_t end,
                    float* e) {
    std::copy(x + begin, x + end, e + begin);
    for (int k = 1; k <= model.order; ++k) {
        const float a = model.a[k - 1];
        const float* future = x + k;
        for (std::size_t t = begin; t < end; ++t) e[t] -= a * future[t];
    }
}

void InterpolateMissing(const ArModel& model, const std::vector<std::size_t>& missing, float* x,
                        InterpolationScratch& scratch) {
    const std::size_t p = static_cast<std::size_t>(model.order);
    const std::size_t m = missing.size();
    if (m == 0 || p == 0) return;
    // The prediction-error filter b = (1, -a1, .., -ap) and its autocorrelation.
    double b[kMaxArOrder + 1];
    b[0] = 1;
    for (std::size_t k = 1; k <= p; ++k) b[k] = -static_cast<double>(model.a[k - 1]);
    double rb[kMaxArOrder + 1];
    for (std::size_t d = 0; d <= p; ++d) {
        double sum = 0;
        for (std::size_t k = 0; k + d <= p; ++k) sum += b[k] * b[k + d];
        rb[d] = sum;
    }
    // Errors with every missing sample set to zero, over every term that involves one.
    const std::size_t first = missing.front();
    const std::size_t span = missing.back() - first + p + 1;
    for (std::size_t pos : missing) x[pos] = 0;
    scratch.errors.assign(span, 0.0);
    for (std::size_t i = 0; i < span; ++i) {
        const std::size_t t = first + i;
        double sum = 0;
        for (std::size_t k = 0; k <= p; ++k) sum += b[k] * x[t - k];
        scratch.errors[i] = sum;
    }
    // Normal equations: M[i][j] = rb(|pos_i - pos_j|), banded (width p in index as in time);
    // right side -sum_k b_k e0[pos_i + k]. Solved by banded Cholesky, band stored row-wise:
    // band[i * (p + 1) + (i - j)] for j in [i - p, i].
    const std::size_t w = p + 1;
    scratch.band.assign(m * w, 0.0);
    scratch.rhs.assign(m, 0.0);
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = i >= p ? i - p : 0; j <= i; ++j) {
            const std::size_t gap = missing[i] - missing[j];
            if (gap <= p) scratch.band[i * w + (i - j)] = rb[gap];
        }
        double sum = 0;
        const std::size_t offset = missing[i] - first;
        for (std::size_t k = 0; k <= p; ++k) sum += b[k] * scratch.errors[offset + k];
        scratch.rhs[i] = -sum;
    }
    double* L = scratch.band.data();
    for (std::size_t i = 0; i < m; ++i) {
        const std::size_t j0 = i >= p ? i - p : 0;
        for (std::size_t j = j0; j <= i; ++j) {
            double sum = L[i * w + (i - j)];
            const std::size_t k0 = std::max(j0, j >= p ? j - p : 0);
            for (std::size_t k = k0; k < j; ++k) sum -= L[i * w + (i - k)] * L[j * w + (j - k)];
            if (j == i) {
                L[i * w] = std::sqrt(std::max(sum, 1e-300));
            } else {
                L[i * w + (i - j)] = sum / L[j * w];
            }
        }
    }
    double* y = scratch.rhs.data();
    for (std::size_t i = 0; i < m; ++i) {
        const std::size_t j0 = i >= p ? i - p : 0;
        double sum = y[i];
        for (std::size_t j = j0; j < i; ++j) sum -= L[i * w + (i - j)] * y[j];
        y[i] = sum / L[i * w];
    }
    for (std::size_t i = m; i-- > 0;) {
        double sum = y[i];
        for (std::size_t j = i + 1; j < std::min(m, i + w); ++j) sum -= L[j * w + (j - i)] * y[j];
        y[i] = sum / L[i * w];
    }
    for (std::size_t i = 0; i < m; ++i) x[missing[i]] = static_cast<float>(y[i]);
}

}  // namespace repair
