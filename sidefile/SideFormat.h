#pragma once
// What a side's samples are: rate, channels and how each sample is stored. The one
// vocabulary of formats for every reader, writer and treatment. Plain values; any thread.

#include <cstdint>
#include <string>

/// How one sample is stored, as in a WAV file's data (little-endian).
enum class SampleEncoding : std::uint8_t { Int16, Int24, Int32, Float32, Float64 };

struct SideFormat {
    std::uint32_t sampleRate = 44100;  ///< frames per second
    std::uint16_t channels = 2;        ///< 1 or 2
    SampleEncoding encoding = SampleEncoding::Int16;

    bool operator==(const SideFormat&) const = default;

    /// Bytes of one sample: 2, 3, 4, 4 or 8.
    std::uint32_t BytesPerSample() const;
    std::uint32_t BytesPerFrame() const { return BytesPerSample() * channels; }
    std::uint16_t BitsPerSample() const { return static_cast<std::uint16_t>(8 * BytesPerSample()); }
    bool IsFloat() const {
        return encoding == SampleEncoding::Float32 || encoding == SampleEncoding::Float64;
    }
    /// Frames of one level entry, 0.1 s: 4410 at 44.1 kHz, 9600 at 96 kHz.
    std::uint32_t BlockFrames() const { return sampleRate / 10; }
    /// 44.1 kHz 16-bit stereo: the format of a CD, and of every side the program began with.
    bool IsCdAudio() const {
        return sampleRate == 44100 && channels == 2 && encoding == SampleEncoding::Int16;
    }
    /// "96 kHz 24-bit stereo", "44.1 kHz 16-bit mono", "48 kHz 32-bit float stereo".
    std::string Text() const;
};

/// The CD format: 44.1 kHz, 16-bit, stereo.
inline constexpr SideFormat kCdFormat{};

/// The sides the program takes: 1 or 2 channels at 22.05 to 192 kHz.
constexpr std::uint32_t kLowestSideRate = 22050;
constexpr std::uint32_t kHighestSideRate = 192000;
