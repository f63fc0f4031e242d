#include "sidefile/SampleLayout.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

// Stored samples are little-endian, as on every machine the program builds for.
static_assert(std::endian::native == std::endian::little);

namespace {

std::int32_t Int24At(const std::uint8_t* p) {
    // The three bytes into the top of 32 bits, then shifted down with their sign.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8 |
                                     static_cast<std::uint32_t>(p[1]) << 16 |
                                     static_cast<std::uint32_t>(p[2]) << 24) >>
           8;
}

template <typename T>
T Load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Sample i of a stored frame as a double of full scale 1.0.
double SampleAt(const std::uint8_t* p, SampleEncoding encoding) {
    switch (encoding) {
        case SampleEncoding::Int16:
            return Load<std::int16_t>(p) / 32768.0;
        case SampleEncoding::Int24:
            return Int24At(p) / 8388608.0;
        case SampleEncoding::Int32:
            return Load<std::int32_t>(p) / 2147483648.0;
        case SampleEncoding::Float32:
            return Load<float>(p);
        case SampleEncoding::Float64:
            return Load<double>(p);
    }
    return 0;
}

std::int16_t Sample16At(const std::uint8_t* p, SampleEncoding encoding) {
    switch (encoding) {
        case SampleEncoding::Int16:
            return Load<std::int16_t>(p);
        case SampleEncoding::Int24:
            return static_cast<std::int16_t>(Int24At(p) >> 8);
        case SampleEncoding::Int32:
            return static_cast<std::int16_t>(Load<std::int32_t>(p) >> 16);
        case SampleEncoding::Float32:
        case SampleEncoding::Float64: {
            const double v = std::floor(SampleAt(p, encoding) * 32768.0);
            return static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
        }
    }
    return 0;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// Eight samples at a time: two 16-byte loads, each shuffled to its four samples' top bytes.
// Returns how many samples it did (it leaves the last few, whose loads would pass the end).
__attribute__((target("ssse3"))) std::size_t Top16Of24Ssse3(const std::uint8_t* in,
                                                            std::size_t samples,
                                                            std::int16_t* out) {
    const __m128i top = _mm_setr_epi8(1, 2, 4, 5, 7, 8, 10, 11, -1, -1, -1, -1, -1, -1, -1, -1);
    std::size_t i = 0;
    for (; i + 10 <= samples; i += 8, in += 24, out += 8) {
        const __m128i a =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), top);
        const __m128i b =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 12)), top);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(a, b));
    }
    return i;
}

std::size_t Top16Of24(const std::uint8_t* in, std::size_t samples, std::int16_t* out) {
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    return ssse3 ? Top16Of24Ssse3(in, samples, out) : 0;
}
#else
std::size_t Top16Of24(const std::uint8_t*, std::size_t, std::int16_t*) {
    return 0;
}
#endif

std::int64_t RoundHeld(double v, double scale) {
    const double top = scale - 1;
    const double x = std::nearbyint(v * scale);
    return static_cast<std::int64_t>(std::clamp(x, -scale, top));
}

void StoreSample(double v, SampleEncoding encoding, std::uint8_t* p) {
    switch (encoding) {
        case SampleEncoding::Int16: {
            const auto s = static_cast<std::int16_t>(RoundHeld(v, 32768.0));
            std::memcpy(p, &s, 2);
            return;
        }
        case SampleEncoding::Int24: {
            const auto s = static_cast<std::uint32_t>(RoundHeld(v, 8388608.0));
            p[0] = static_cast<std::uint8_t>(s), p[1] = static_cast<std::uint8_t>(s >> 8);
            p[2] = static_cast<std::uint8_t>(s >> 16);
            return;
        }
        case SampleEncoding::Int32: {
            const auto s = static_cast<std::int32_t>(RoundHeld(v, 2147483648.0));
            std::memcpy(p, &s, 4);
            return;
        }
        case SampleEncoding::Float32: {
            const auto s = static_cast<float>(v);
            std::memcpy(p, &s, 4);
            return;
        }
        case SampleEncoding::Float64:
            std::memcpy(p, &v, 8);
            return;
    }
}

}  // namespace

void sidefile::ToStereo16(const std::uint8_t* stored, const SideFormat& format, std::size_t frames,
                          std::int16_t* out) {
    const std::uint32_t size = format.BytesPerSample();
    if (format.channels == 2 && format.encoding == SampleEncoding::Int16) {
        std::memmove(out, stored, frames * 4);
        return;
    }
    if (format.channels == 2 && format.encoding == SampleEncoding::Int24) {
        // The top 16 bits of a 24-bit sample are its upper two bytes, as they stand.
        std::size_t i = Top16Of24(stored, 2 * frames, out);
        for (stored += 3 * i; i < 2 * frames; ++i, stored += 3)
            out[i] = static_cast<std::int16_t>(stored[1] | stored[2] << 8);
        return;
    }
    for (std::size_t i = 0; i < frames; ++i, stored += format.BytesPerFrame()) {
        out[2 * i] = Sample16At(stored, format.encoding);
        out[2 * i + 1] =
            format.channels == 2 ? Sample16At(stored + size, format.encoding) : out[2 * i];
    }
}

void sidefile::ToStereoDouble(const std::uint8_t* stored, const SideFormat& format,
                              std::size_t frames, double* out) {
    const std::uint32_t size = format.BytesPerSample();
    for (std::size_t i = 0; i < frames; ++i, stored += format.BytesPerFrame()) {
        out[2 * i] = SampleAt(stored, format.encoding);
        out[2 * i + 1] =
            format.channels == 2 ? SampleAt(stored + size, format.encoding) : out[2 * i];
    }
}

void sidefile::FromStereoDouble(const double* in, std::size_t frames, const SideFormat& format,
                                std::uint8_t* stored) {
    const std::uint32_t size = format.BytesPerSample();
    for (std::size_t i = 0; i < frames; ++i, stored += format.BytesPerFrame()) {
        StoreSample(in[2 * i], format.encoding, stored);
        if (format.channels == 2) StoreSample(in[2 * i + 1], format.encoding, stored + size);
    }
}

void sidefile::FromStereo16(const std::int16_t* in, std::size_t frames, const SideFormat& format,
                            std::uint8_t* stored) {
    if (format.channels == 2) {
        std::memmove(stored, in, frames * 4);
        return;
    }
    for (std::size_t i = 0; i < frames; ++i) std::memcpy(stored + 2 * i, in + 2 * i, 2);
}
