#include "encode/EncoderInput.h"

#include <algorithm>
#include <array>

namespace {

// The sample rates of MPEG-1, 2 and 2.5 layer III.
constexpr std::array<std::uint32_t, 9> kMp3Rates = {8000,  11025, 12000, 16000, 22050,
                                                    24000, 32000, 44100, 48000};

// oggenc's bit-rate modes (its -b) go no higher.
constexpr std::uint32_t kHighestVorbisRate = 48000;

// 48 kHz from its multiples (and other multiples of 8 kHz), else 44.1 kHz.
std::uint32_t BelowOrAt48k(std::uint32_t rate) {
    return rate % 8000 == 0 ? 48000 : 44100;
}

}  // namespace

std::optional<SideFormat> encode::EncoderCopyFormat(EncoderKind kind, const SideFormat& slice) {
    SideFormat copy = slice;
    switch (kind) {
        case EncoderKind::Flac:
            if (!slice.IsFloat()) return std::nullopt;
            copy.encoding = SampleEncoding::Int24;
            return copy;
        case EncoderKind::OggVorbis:
            if (slice.encoding != SampleEncoding::Float64 && slice.sampleRate <= kHighestVorbisRate)
                return std::nullopt;
            if (slice.encoding == SampleEncoding::Float64) copy.encoding = SampleEncoding::Float32;
            if (slice.sampleRate > kHighestVorbisRate) {
                copy.sampleRate = BelowOrAt48k(slice.sampleRate);
                if (slice.encoding == SampleEncoding::Int16) copy.encoding = SampleEncoding::Int24;
            }
            return copy;
        case EncoderKind::Lame:
            if (std::find(kMp3Rates.begin(), kMp3Rates.end(), slice.sampleRate) != kMp3Rates.end())
                return std::nullopt;
            copy.sampleRate = BelowOrAt48k(slice.sampleRate);
            if (slice.encoding == SampleEncoding::Int16) copy.encoding = SampleEncoding::Int24;
            return copy;
        default:
            return std::nullopt;
    }
}

std::string encode::EncoderCopyPath(const std::string& slicePath) {
    return slicePath + ".encoder.wav";
}
