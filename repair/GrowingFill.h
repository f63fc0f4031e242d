#pragma once
// Least-squares AR filling of a set of missing samples that grows one sample at a time, as a
// click is found: each sample added refills every sample of the set and updates the
// matched-filter statistic around it, and before adding one the filler tells how much a
// sample is still free to move given the others (its conditional variance), which is what
// says whether a neighbour of a filled run still stands out. Plain class; one thread at a
// time; keeps its working arrays.

#include <cstddef>
#include <vector>

#include "repair/ArModel.h"

namespace repair {

/// The autocorrelation of a model's prediction-error filter (1, -a1, .., -ap): the weights
/// of the matched filter and of the least-squares normal equations.
struct FilterCorrelation {
    int order = 0;
    double r[kMaxArOrder + 1] = {};
};
FilterCorrelation CorrelationOf(const ArModel& model);

class GrowingFill {
  public:
    /// Empties the set; `r` is the model of every sample added until the next Start.
    void Start(const FilterCorrelation& r);
    bool Empty() const { return positions_.empty(); }
    std::size_t Size() const { return positions_.size(); }
    std::size_t Highest() const { return highest_; }
    const FilterCorrelation& Correlation() const { return r_; }

    /// The variance of sample `u` (not in the set) left free given the samples of the set,
    /// in the units of r[0] (r[0] itself for a sample far from all); 0 when the others fix it.
    double Consider(std::size_t u);

    /// Adds the sample last given to Consider, refills every sample of the set in `x`, and
    /// updates `matched` (the statistic, x through the matched filter) within the model's
    /// order of them. `x` and `matched` hold `n` samples; every sample of the set lies at
    /// least the order from either end.
    void AddConsidered(float* x, float* matched, std::size_t n);

  private:
    FilterCorrelation r_;
    std::vector<std::size_t> positions_;  // in the order added
    std::vector<double> lower_;           // Cholesky factor of the normal equations, packed rows
    std::vector<double> row_;             // the considered sample's row of it
    std::vector<double> work_;
    std::size_t considered_ = 0;
    double diagonal_ = 0;
    std::size_t lowest_ = 0, highest_ = 0;
};

}  // namespace repair
