#include "resample/Resampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>

struct Resampler::Soxr {
    soxr_t handle = nullptr;
    ~Soxr() { soxr_delete(handle); }
};

Resampler::Resampler(std::uint32_t inRate, std::uint32_t outRate)
    : soxr_(std::make_unique<Soxr>()), ratio_(static_cast<double>(outRate) / inRate) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    soxr_error_t error = nullptr;
    soxr_->handle = soxr_create(inRate, outRate, 2, &error, &io, &quality, nullptr);
    if (error) soxr_->handle = nullptr;
}

Resampler::~Resampler() = default;

bool Resampler::Run(const double* in, std::size_t frames, std::vector<double>& out) {
    if (!soxr_->handle) return false;
    for (;;) {
        const std::size_t room = static_cast<std::size_t>(std::ceil(frames * ratio_)) + 1024;
        const std::size_t had = out.size();
        out.resize(had + 2 * room);
        std::size_t used = 0, made = 0;
        const soxr_error_t error =
            soxr_process(soxr_->handle, in, in ? frames : 0, &used, out.data() + had, room, &made);
        out.resize(had + 2 * made);
        if (error) return false;
        if (in) {
            in += 2 * used;
            frames -= used;
            if (frames == 0) return true;
        } else if (made < room) {
            return true;  // drained
        }
    }
}

bool Resampler::Process(const double* in, std::size_t frames, std::vector<double>& out) {
    return frames == 0 || Run(in, frames, out);
}

bool Resampler::Flush(std::vector<double>& out) {
    return Run(nullptr, 0, out);
}

double TpdfDither::Uniform() {
    // xorshift64*: cheap, and the same noise for the same seed.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    const std::uint64_t r = state_ * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(r >> 11) / 9007199254740992.0 - 0.5;
}

std::int16_t TpdfDither::Next(double v) {
    const double x = std::nearbyint(v * 32768.0 + Uniform() + Uniform());
    return static_cast<std::int16_t>(std::clamp(x, -32768.0, 32767.0));
}
