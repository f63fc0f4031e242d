#include "repair/GrowingFill.h"

#include <algorithm>
#include <cmath>

namespace repair {

namespace {
constexpr double kNegligibleStep = 1e-9;
}  // namespace

FilterCorrelation CorrelationOf(const ArModel& model) {
    FilterCorrelation c;
    c.order = model.order;
    double b[kMaxArOrder + 1];
    b[0] = 1;
    for (int k = 1; k <= model.order; ++k) b[k] = -static_cast<double>(model.a[k - 1]);
    for (int d = 0; d <= model.order; ++d) {
        double sum = 0;
        for (int k = 0; k + d <= model.order; ++k) sum += b[k] * b[k + d];
        c.r[d] = sum;
    }
    return c;
}

void GrowingFill::Start(const FilterCorrelation& r) {
    r_ = r;
    positions_.clear();
    lower_.clear();
}

double GrowingFill::Consider(std::size_t u) {
    // The new row of the Cholesky factor: L l = c, c the couplings of u with the set.
    const std::size_t m = positions_.size();
    const auto p = static_cast<std::size_t>(r_.order);
    row_.assign(m, 0.0);
    double used = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const std::size_t gap = u > positions_[i] ? u - positions_[i] : positions_[i] - u;
        double sum = gap <= p ? r_.r[gap] : 0.0;
        const double* li = lower_.data() + i * (i + 1) / 2;
        for (std::size_t j = 0; j < i; ++j) sum -= li[j] * row_[j];
        row_[i] = sum / li[i];
        used += row_[i] * row_[i];
    }
    considered_ = u;
    diagonal_ = r_.r[0] - used;
    // Below this share of r[0] the sample is as good as fixed by the others (and the factor
    // would lose its precision).
    constexpr double kLeastShare = 1e-9;
    if (diagonal_ <= kLeastShare * r_.r[0]) diagonal_ = 0;
    return diagonal_;
}

void GrowingFill::AddConsidered(float* x, float* matched, std::size_t n) {
    if (diagonal_ <= 0) return;
    const std::size_t m = positions_.size();
    lower_.insert(lower_.end(), row_.begin(), row_.end());
    lower_.push_back(std::sqrt(diagonal_));
    positions_.push_back(considered_);
    lowest_ = m == 0 ? considered_ : std::min(lowest_, considered_);
    highest_ = m == 0 ? considered_ : std::max(highest_, considered_);
    // Newton's step on the quadratic cost: the statistic is its gradient, r its Hessian.
    const std::size_t size = m + 1;
    work_.resize(size);
    for (std::size_t i = 0; i < size; ++i) {
        double sum = matched[positions_[i]];
        const double* li = lower_.data() + i * (i + 1) / 2;
        for (std::size_t j = 0; j < i; ++j) sum -= li[j] * work_[j];
        work_[i] = sum / li[i];
    }
    for (std::size_t i = size; i-- > 0;) {
        double sum = work_[i];
        for (std::size_t j = i + 1; j < size; ++j) sum -= lower_[j * (j + 1) / 2 + i] * work_[j];
        work_[i] = sum / lower_[i * (i + 1) / 2 + i];
    }
    const auto p = static_cast<std::size_t>(r_.order);
    for (std::size_t i = 0; i < size; ++i) {
        const double step = -work_[i];
        // Samples the last additions left where they were (far below a step of 24-bit
        // audio) need no update.
        if (std::fabs(step) < kNegligibleStep) continue;
        const std::size_t at = positions_[i];
        x[at] = static_cast<float>(x[at] + step);
        const std::size_t lo = at >= p ? at - p : 0, hi = std::min(n, at + p + 1);
        for (std::size_t t = lo; t < hi; ++t) {
            const std::size_t gap = t > at ? t - at : at - t;
            matched[t] = static_cast<float>(matched[t] + r_.r[gap] * step);
        }
    }
}

}  // namespace repair
