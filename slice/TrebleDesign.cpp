#include "slice/TrebleDesign.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

using Complex = std::complex<double>;

constexpr int kPoints = 400;
constexpr int kIterations = 30;
constexpr double kLowestHz = 10;
constexpr double kHighestHz = 16000;
constexpr double kHighestOfNyquist = 0.45;

double SquaredMagnitude(const Biquad& f, double w) {
    const Complex z = std::polar(1.0, -w);
    const Complex h = (f.b0 + f.b1 * z + f.b2 * z * z) / (1.0 + f.a1 * z + f.a2 * z * z);
    return std::norm(h);
}

// Least squares of rows[i] . x = rhs[i] (5 unknowns) by Householder QR.
std::array<double, 5> LeastSquares(std::vector<std::array<double, 5>> a, std::vector<double> b) {
    const std::size_t m = a.size();
    for (int k = 0; k < 5; ++k) {
        double norm = 0;
        for (std::size_t i = k; i < m; ++i) norm += a[i][k] * a[i][k];
        norm = std::sqrt(norm);
        if (norm == 0) continue;
        const double alpha = a[k][k] > 0 ? -norm : norm;
        std::vector<double> v(m, 0);
        for (std::size_t i = k; i < m; ++i) v[i] = a[i][k];
        v[k] -= alpha;
        double vv = 0;
        for (std::size_t i = k; i < m; ++i) vv += v[i] * v[i];
        if (vv == 0) continue;
        for (int j = k; j < 5; ++j) {
            double dot = 0;
            for (std::size_t i = k; i < m; ++i) dot += v[i] * a[i][j];
            for (std::size_t i = k; i < m; ++i) a[i][j] -= 2 * dot / vv * v[i];
        }
        double dot = 0;
        for (std::size_t i = k; i < m; ++i) dot += v[i] * b[i];
        for (std::size_t i = k; i < m; ++i) b[i] -= 2 * dot / vv * v[i];
    }
    std::array<double, 5> x{};
    for (int k = 4; k >= 0; --k) {
        double s = b[k];
        for (int j = k + 1; j < 5; ++j) s -= a[k][j] * x[j];
        x[k] = a[k][k] != 0 ? s / a[k][k] : 0;
    }
    return x;
}

// p0 + p1 u + p2 u^2 with u = (c - mid) / half, as a quadratic in c.
std::array<double, 3> InC(const std::array<double, 3>& p, double mid, double half) {
    return {p[0] - p[1] * mid / half + p[2] * mid * mid / (half * half),
            p[1] / half - 2 * p[2] * mid / (half * half), p[2] / (half * half)};
}

// The minimum-phase 1 + k1 x + k2 x^2 (x = z^-1) whose squared magnitude on the unit circle
// is proportional to the quadratic p in c = cos(w).
std::array<double, 2> MinimumPhase(const std::array<double, 3>& p) {
    std::vector<Complex> roots;  // in c
    if (std::abs(p[2]) > 1e-12 * (std::abs(p[0]) + std::abs(p[1]))) {
        const Complex d = std::sqrt(Complex(p[1] * p[1] - 4 * p[0] * p[2]));
        roots = {(-p[1] + d) / (2 * p[2]), (-p[1] - d) / (2 * p[2])};
    } else if (p[1] != 0) {
        roots = {Complex(-p[0] / p[1])};
    }
    Complex k1 = 0, k2 = 0;
    std::vector<Complex> zs;
    for (const Complex& c : roots) {
        Complex z = c - std::sqrt(c * c - 1.0);
        if (std::abs(z) > 1) z = 1.0 / z;
        zs.push_back(z);
    }
    if (zs.size() == 1) return {-zs[0].real(), 0};
    if (zs.size() == 2) {
        k1 = -(zs[0] + zs[1]);
        k2 = zs[0] * zs[1];
    }
    return {k1.real(), k2.real()};
}

}  // namespace

Biquad MatchTreble(const Biquad& at44k, std::uint32_t sampleRate) {
    if (sampleRate == 44100) return at44k;
    const double rate = sampleRate;
    const double top = std::min(kHighestHz, kHighestOfNyquist * rate);
    std::vector<double> c(kPoints), target(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const double f = kLowestHz + (top - kLowestHz) * i / (kPoints - 1);
        c[i] = std::cos(2 * std::numbers::pi * f / rate);
        target[i] = SquaredMagnitude(at44k, 2 * std::numbers::pi * f / 44100);
    }
    const bool flat =
        std::all_of(target.begin(), target.end(), [](double t) { return std::abs(t - 1) < 1e-9; });
    if (flat) return Biquad{};
    // The fit's variable spans -1..1 over the frequencies, which keeps it well conditioned.
    const double mid = (c.front() + c.back()) / 2, half = (c.front() - c.back()) / 2;
    std::array<double, 3> num{}, den{1, 0, 0};
    std::vector<double> weight(kPoints, 1.0);
    for (int iteration = 0; iteration < kIterations; ++iteration) {
        std::vector<std::array<double, 5>> rows(kPoints);
        std::vector<double> rhs(kPoints);
        for (int i = 0; i < kPoints; ++i) {
            const double u = (c[i] - mid) / half, t = target[i];
            const double s = weight[i] / t;
            rows[i] = {s, s * u, s * u * u, -s * t * u, -s * t * u * u};
            rhs[i] = weight[i];
        }
        const std::array<double, 5> x = LeastSquares(rows, rhs);
        num = {x[0], x[1], x[2]};
        den = {1, x[3], x[4]};
        for (int i = 0; i < kPoints; ++i) {
            const double u = (c[i] - mid) / half;
            weight[i] = 1 / std::abs(den[0] + den[1] * u + den[2] * u * u);
        }
    }
    const std::array<double, 3> p = InC(num, mid, half), q = InC(den, mid, half);
    const std::array<double, 2> b = MinimumPhase(p), a = MinimumPhase(q);
    // The gain from the fitted ratio at 0 Hz (c = 1).
    const double ratio = (p[0] + p[1] + p[2]) / (q[0] + q[1] + q[2]);
    const double bDc = 1 + b[0] + b[1], aDc = 1 + a[0] + a[1];
    const double g = std::sqrt(std::max(ratio, 0.0)) * std::abs(aDc) / std::abs(bDc);
    return Biquad{g, g * b[0], g * b[1], a[0], a[1]};
}

double ResponseDb(const Biquad& filter, double frequency, std::uint32_t sampleRate) {
    return 10 * std::log10(SquaredMagnitude(filter, 2 * std::numbers::pi * frequency / sampleRate));
}
