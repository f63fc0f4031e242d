#pragma once
// Sample-rate conversion of stereo audio with libsoxr at its very high quality setting, and
// the TPDF dither that brings a finer signal to 16 bits: the CD copies of slices and the
// copies an encoder needs at a rate it takes. Any thread may use its own objects.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class Resampler {
  public:
    /// Interleaved stereo doubles from `inRate` to `outRate`.
    Resampler(std::uint32_t inRate, std::uint32_t outRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    /// Takes `frames` frames and appends what comes out to `out`. False when libsoxr fails.
    bool Process(const double* in, std::size_t frames, std::vector<double>& out);
    /// After the last frame: appends the rest (the filter's delay) to `out`.
    bool Flush(std::vector<double>& out);

  private:
    bool Run(const double* in, std::size_t frames, std::vector<double>& out);

    struct Soxr;
    std::unique_ptr<Soxr> soxr_;
    double ratio_;
};

/// Triangular (TPDF) dither of 2 LSB peak to peak, then rounding, to 16 bits.
class TpdfDither {
  public:
    explicit TpdfDither(std::uint64_t seed = 1) : state_(seed) {}
    /// `v` (full scale 1.0) as a 16-bit sample, held to the 16-bit range.
    std::int16_t Next(double v);

  private:
    double Uniform();  ///< -0.5 .. 0.5
    std::uint64_t state_;
};
