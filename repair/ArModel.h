#pragma once
// Autoregressive (AR) models of short stretches of music: fitting one, the prediction
// errors it leaves, and the sample values it expects where samples are missing. Plain
// functions on one channel's samples; any thread, no shared state.

#include <cstddef>
#include <vector>

namespace repair {

/// The highest model order any strength or sample rate uses.
constexpr int kMaxArOrder = 64;

/// x[t] is predicted as sum over k = 1..order of a[k - 1] * x[t - k]; the same coefficients
/// predict backwards (x[t] from x[t + 1 .. t + order]), as the fit is the autocorrelation one.
struct ArModel {
    int order = 0;  ///< 0: no usable model (digital silence): nothing is judged with it
    float a[kMaxArOrder] = {};
};

/// Working arrays of FitArModel, kept between calls: the taper is worked out once per length.
struct FitScratch {
    std::vector<float> taper;
    std::vector<float> tapered;
};

/// Fits a model of `order` (1..kMaxArOrder) to `count` samples under a Hann taper
/// (autocorrelation method, Levinson-Durbin, a little lag windowing for stability).
/// Order 0 when the stretch is silent or too short.
ArModel FitArModel(const float* x, std::size_t count, int order, FitScratch& scratch);

/// e[t] = x[t] - prediction from x[t - 1 ..] for t in [begin, end); needs begin >= order.
void ForwardErrors(const ArModel& model, const float* x, std::size_t begin, std::size_t end,
                   float* e);

/// e[t] = x[t] - prediction from x[t + 1 ..] for t in [begin, end); needs end + order <=
/// the length of x.
void BackwardErrors(const ArModel& model, const float* x, std::size_t begin, std::size_t end,
                    float* e);

/// Least-squares AR interpolation: replaces x[p] for every p in `missing` (strictly rising)
/// by the values that minimise the summed squared forward prediction error over every error
/// term that involves one of them, the other samples fixed. Needs missing.front() >= order and
/// missing.back() + order < the length of x. `scratch` holds the working arrays between calls.
struct InterpolationScratch {
    std::vector<double> band;
    std::vector<double> rhs;
    std::vector<double> errors;
};
void InterpolateMissing(const ArModel& model, const std::vector<std::size_t>& missing, float* x,
                        InterpolationScratch& scratch);

}  // namespace repair
