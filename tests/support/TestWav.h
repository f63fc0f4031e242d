#pragma once
// WAV files made in code for tests: canonical ones and every odd layout the reader meets.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sidefile/SideFormat.h"
#include "sidefile/WaveHeader.h"

struct Frame {
    std::int16_t left = 0;
    std::int16_t right = 0;
    bool operator==(const Frame&) const = default;
};

/// How a test file's header is laid out. The defaults give the canonical 44-byte header.
struct WavLayout {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 2;
    std::uint32_t sampleRate = 44100;
    std::uint16_t bitsPerSample = 16;
    std::uint32_t formatChunkBytes = 16;  ///< 18 adds cbSize; 40 makes it extensible
    std::uint16_t extensibleSubFormat = 1;
    /// Chunks placed between "fmt " and "data" (id, body); odd bodies get a pad byte.
    std::vector<std::pair<std::string, std::string>> chunksBeforeData;
    /// Size written in the data chunk; default: the real size.
    std::optional<std::uint32_t> declaredDataBytes;
};

std::string FramesToBytes(const std::vector<Frame>& frames);
std::string MakeWavBytes(const WavLayout& layout, const std::string& sampleBytes);
bool WriteWav(const std::string& path, const std::vector<Frame>& frames,
              const WavLayout& layout = {});

/// Frames of a WAV file read through the program's own reader; nullopt when it refuses.
std::optional<std::vector<Frame>> ReadWavFrames(const std::string& path);

/// Deterministic test signal: `count` frames of a pseudo-random walk scaled by `amplitude`
/// (0..1), different in each channel; the same seed gives the same frames.
std::vector<Frame> NoiseFrames(std::size_t count, double amplitude, std::uint32_t seed = 1);

/// A damaged record in miniature: `count` frames at 44.1 kHz of a 1 kHz sine at -12 dBFS
/// (8192), with one click of three full-scale frames (both channels) from `clickFrame`.
std::vector<Frame> ClickedSineFrames(std::size_t count, std::size_t clickFrame);
constexpr std::size_t kClickFrames = 3;
constexpr double kClickedSineAmplitude = 8192;

/// `frames` frames of deterministic noise stored in `format` (as a WAV file's data holds
/// them), up to `amplitude` of full scale.
std::string NoiseBytes(const SideFormat& format, std::size_t frames, double amplitude,
                       std::uint32_t seed = 1);

/// A WAV file of `format` holding `sampleBytes`, written through the program's own header
/// (RF64 when its RIFF size passes `riffLimit`).
bool WriteSideWav(const std::string& path, const SideFormat& format, const std::string& sampleBytes,
                  std::uint64_t riffLimit = kRiffSizeLimit);

/// The samples of the audio file at `path` as sox reads them (an independent reader), in
/// the file's own encoding, after sox `effects` (e.g. {"trim", "100s", "=200s"}); "" when
/// sox fails.
std::string SoxSamples(const std::string& path, const std::vector<std::string>& effects = {});

/// What soxi says of the file at `path` for one `option` ("-r", "-b", "-c"), without its
/// line break.
std::string SoxInfo(const std::string& path, const std::string& option);

/// Runs sox with `args` in the folder of the test; true when it succeeds.
bool RunSox(const std::vector<std::string>& args);

/// Whether two runs of stored samples of `format` are the same: byte for byte for integer
/// samples; within 1e-6 of full scale for float ones (sox reads floats through 32-bit
/// integers).
bool SameSamples(const std::string& a, const std::string& b, const SideFormat& format);
