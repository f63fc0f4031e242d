#include "slice/TrebleDesign.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

using Complex = std::complex<double>;

constexpr int kOrder = 4;                  // of the fitted numerator and denominator
constexpr int kUnknowns = 2 * kOrder + 1;  // p0..p4, q1..q4
constexpr int kPoints = 400;
constexpr int kHoldPoints = 100;
constexpr double kHoldWeight = 0.01;
constexpr double kHoldHz = 21500;
constexpr int kIterations = 40;
constexpr double kLowestHz = 10;
constexpr double kHighestHz = 16000;
constexpr double kHighestOfNyquist = 0.45;
constexpr double kCentreHz = 15000;
constexpr double kQ = 3;

double SquaredMagnitude(const Biquad& f, double w) {
    const Complex z = std::polar(1.0, -w);
    const Complex h = (f.b0 + f.b1 * z + f.b2 * z * z) / (1.0 + f.a1 * z + f.a2 * z * z);
    return std::norm(h);
}

// Least squares of rows . x = rhs by Householder QR.
std::vector<double> LeastSquares(std::vector<std::vector<double>> a, std::vector<double> b) {
    const std::size_t m = a.size(), n = a.front().size();
    for (std::size_t k = 0; k < n; ++k) {
        double norm = 0;
        for (std::size_t i = k; i < m; ++i) norm += a[i][k] * a[i][k];
        norm = std::sqrt(norm);
        if (norm == 0) continue;
        std::vector<double> v(m, 0);
        for (std::size_t i = k; i < m; ++i) v[i] = a[i][k];
        v[k] -= a[k][k] > 0 ? -norm : norm;
        double vv = 0;
        for (std::size_t i = k; i < m; ++i) vv += v[i] * v[i];
        if (vv == 0) continue;
        for (std::size_t j = k; j < n; ++j) {
            double dot = 0;
            for (std::size_t i = k; i < m; ++i) dot += v[i] * a[i][j];
            for (std::size_t i = k; i < m; ++i) a[i][j] -= 2 * dot / vv * v[i];
        }
        double dot = 0;
        for (std::size_t i = k; i < m; ++i) dot += v[i] * b[i];
        for (std::size_t i = k; i < m; ++i) b[i] -= 2 * dot / vv * v[i];
    }
    std::vector<double> x(n, 0);
    for (std::size_t k = n; k-- > 0;) {
        double s = b[k];
        for (std::size_t j = k + 1; j < n; ++j) s -= a[k][j] * x[j];
        x[k] = a[k][k] != 0 ? s / a[k][k] : 0;
    }
    return x;
}

double Polynomial(const std::array<double, kOrder + 1>& p, double u) {
    double v = 0;
    for (int k = kOrder; k >= 0; --k) v = v * u + p[k];
    return v;
}

// The roots of p (degree kOrder) by Durand-Kerner.
std::array<Complex, kOrder> Roots(const std::array<double, kOrder + 1>& p) {
    std::array<Complex, kOrder> r;
    const Complex seed(0.4, 0.9);
    for (int k = 0; k < kOrder; ++k) r[k] = std::pow(seed, k);
    const auto eval = [&p](Complex x) {
        Complex v = 0;
        for (int k = kOrder; k >= 0; --k) v = v * x + p[k] / p[kOrder];
        return v;
    };
    for (int iteration = 0; iteration < 500; ++iteration)
        for (int k = 0; k < kOrder; ++k) {
            Complex d = 1;
            for (int j = 0; j < kOrder; ++j)
                if (j != k) d *= r[k] - r[j];
            r[k] -= eval(r[k]) / d;
        }
    return r;
}

// The minimum-phase roots in z of a polynomial in c = cos(w) with roots `c`, paired into
// two real second-order polynomials 1 + k1 x + k2 x^2 (x = z^-1).
std::array<std::array<double, 2>, 2> MinimumPhasePairs(const std::array<Complex, kOrder>& c) {
    std::array<Complex, kOrder> z;
    for (int k = 0; k < kOrder; ++k) {
        z[k] = c[k] - std::sqrt(c[k] * c[k] - 1.0);
        if (std::abs(z[k]) > 1) z[k] = 1.0 / z[k];
    }
    // Conjugates together, the real ones together.
    std::sort(z.begin(), z.end(), [](Complex a, Complex b) {
        return std::abs(a.imag()) != std::abs(b.imag()) ? std::abs(a.imag()) > std::abs(b.imag())
                                                        : a.real() > b.real();
    });
    std::array<std::array<double, 2>, 2> pairs;
    for (int s = 0; s < 2; ++s)
        pairs[s] = {-(z[2 * s] + z[2 * s + 1]).real(), (z[2 * s] * z[2 * s + 1]).real()};
    return pairs;
}

// The recipe itself at `rate`, with its centre held below the rate's Nyquist frequency.
Biquad Recipe(float level, double rate) {
    const double a = std::pow(10.0, level * 4 / 40.0);
    const double w = 2 * std::numbers::pi * std::min(kCentreHz, kHighestOfNyquist * rate) / rate;
    const double alpha = std::sin(w) / (2 * kQ), a0 = 1 + alpha / a;
    return Biquad{(1 + alpha * a) / a0, -2 * std::cos(w) / a0, (1 - alpha * a) / a0,
                  -2 * std::cos(w) / a0, (1 - alpha / a) / a0};
}

}  // namespace

BiquadPair slice::MatchTreble(const Biquad& at44k, float level, std::uint32_t sampleRate) {
    if (sampleRate == 44100) return {at44k, Biquad{}};
    if (level <= 0) return {};
    const double rate = sampleRate;
    const double top = std::min(kHighestHz, kHighestOfNyquist * rate);
    const double hold = std::min(kHoldHz, 0.49 * rate);
    std::vector<double> c, target, weight;
    for (int i = 0; i < kPoints + kHoldPoints; ++i) {
        const bool held = i >= kPoints;
        const double f = held ? top + (rate / 2 - top) * (i - kPoints + 1) / (kHoldPoints + 1)
                              : kLowestHz + (top - kLowestHz) * i / (kPoints - 1);
        c.push_back(std::cos(2 * std::numbers::pi * f / rate));
        target.push_back(SquaredMagnitude(at44k, 2 * std::numbers::pi * std::min(f, hold) / 44100));
        weight.push_back(held ? kHoldWeight : 1);
    }
    // The fit's variable u spans -1..1 over the frequencies: well conditioned.
    const auto [lo, hi] = std::minmax_element(c.begin(), c.end());
    const double mid = (*lo + *hi) / 2, half = (*hi - *lo) / 2;
    std::array<double, kOrder + 1> num{}, den{};
    std::vector<double> sk(c.size(), 1.0);
    for (int iteration = 0; iteration < kIterations; ++iteration) {
        std::vector<std::vector<double>> rows(c.size(), std::vector<double>(kUnknowns));
        std::vector<double> rhs(c.size());
        for (std::size_t i = 0; i < c.size(); ++i) {
            const double u = (c[i] - mid) / half, t = target[i], s = sk[i] * weight[i];
            double power = 1;
            for (int k = 0; k <= kOrder; ++k, power *= u) {
                rows[i][k] = s * power / t;
                if (k > 0) rows[i][kOrder + k] = -s * power;
            }
            rhs[i] = s;
        }
        const std::vector<double> x = LeastSquares(rows, rhs);
        for (int k = 0; k <= kOrder; ++k) num[k] = x[k];
        den[0] = 1;
        for (int k = 1; k <= kOrder; ++k) den[k] = x[kOrder + k];
        for (std::size_t i = 0; i < c.size(); ++i)
            sk[i] = 1 / std::abs(Polynomial(den, (c[i] - mid) / half));
    }
    // A proper squared magnitude is positive at every frequency.
    for (int i = 0; i <= 2000; ++i) {
        const double u = (-1 + i / 1000.0 - mid) / half;
        if (!(Polynomial(num, u) > 0) || !(Polynomial(den, u) > 0))
            return {Recipe(level, rate), {}};
    }
    std::array<Complex, kOrder> numRoots = Roots(num), denRoots = Roots(den);
    for (Complex& r : numRoots) r = mid + half * r;
    for (Complex& r : denRoots) r = mid + half * r;
    const auto b = MinimumPhasePairs(numRoots), a = MinimumPhasePairs(denRoots);
    // The gain from the fitted ratio at 0 Hz (c = 1).
    const double u1 = (1 - mid) / half;
    const double ratio = Polynomial(num, u1) / Polynomial(den, u1);
    double dc = 1;
    for (int s = 0; s < 2; ++s) dc *= (1 + a[s][0] + a[s][1]) / (1 + b[s][0] + b[s][1]);
    const double g = std::sqrt(ratio) * std::abs(dc);
    return {Biquad{g, g * b[0][0], g * b[0][1], a[0][0], a[0][1]},
            Biquad{1, b[1][0], b[1][1], a[1][0], a[1][1]}};
}

double slice::ResponseDb(const Biquad& filter, double frequency, std::uint32_t sampleRate) {
    return 10 * std::log10(SquaredMagnitude(filter, 2 * std::numbers::pi * frequency / sampleRate));
}

double slice::ResponseDb(const BiquadPair& filter, double frequency, std::uint32_t sampleRate) {
    return ResponseDb(filter.first, frequency, sampleRate) +
           ResponseDb(filter.second, frequency, sampleRate);
}
