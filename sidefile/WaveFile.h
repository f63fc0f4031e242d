#pragma once
// The one home of the WAV format: the 44-byte header the program writes, the in-place
// size patch of a finished recording, the chunk-walking header parse every side file is
// read through, and the format check applied when a side is located. WaveReader.h reads
// the samples. No toolkit headers; any thread may use its own WaveFile.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "sidefile/SideFormat.h"

constexpr std::uint32_t kSampleRate = 44100;          ///< frames per second of every side
constexpr std::uint32_t kCanonicalByteRate = 176400;  ///< written at offset 28, never computed
constexpr std::uint32_t kBytesPerFrame = 4;           ///< 16-bit left + 16-bit right
constexpr std::uint32_t kCanonicalHeaderBytes = 44;

/// What a WAV file's format chunk says, as found by the chunk walk.
struct WaveFormat {
    std::uint16_t formatTag = 0;  ///< 1 = PCM, 0xFFFE = extensible (see isPcm)
    bool isPcm = false;           ///< tag 1, or extensible with the PCM sub-format
    bool isFloat = false;         ///< tag 3, or extensible with the IEEE float sub-format
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
};

/// A WAV file's header as a value: what the chunk walk found in a file, or what a slice or
/// recording writes. Holds no buffer; ReadHeader reads through the stream's own buffering.
class WaveFile {
  public:
    /// Writes the canonical 44 header bytes at the stream's position (the start of a file
    /// opened "wb"): PCM, 2 channels, `sampleRate`, byte rate 176400, 4 bytes per frame,
    /// 16 bits, and `dataBytes` in the data chunk (RIFF size = dataBytes + 36).
    /// Returns false when the stream reports a write error.
    bool WriteHeader(std::FILE* out, std::uint32_t dataBytes) const;

    /// Parses the header from the start of `in` (just opened "rb") by walking the RIFF
    /// chunks: "fmt " anywhere before "data", other chunks (LIST, ...) skipped, odd sizes
    /// padded. Accepts only 16-bit stereo PCM (tag 1, or extensible with PCM sub-format).
    /// On success sets sampleRate, sampleCount, dataBytes and dataOffset, and leaves `in`
    /// at the first byte of sample data. dataBytes is the declared size bounded by what the
    /// file holds, rounded down to whole frames; a declared 0xFFFFFFFF, or a declared 0 in a
    /// data chunk that ends the file (a recording whose header was never patched), means to
    /// the end of the file.
    bool ReadHeader(std::FILE* in);

    /// Parses any side the program takes from the start of `in`: a RIFF or RF64 WAVE file
    /// (the same chunk walk, the sizes of an RF64 file from its "ds64" chunk) holding 16-,
    /// 24- or 32-bit PCM or 32- or 64-bit float, 1 or 2 channels at 22.05 to 192 kHz. On
    /// success sets `side`, `frames`, `declaredBytes`, dataOffset and `format`, and leaves `in`
    /// at the first byte of sample data. False for anything else (see Describe).
    bool ReadSideHeader(std::FILE* in);

    /// The format check of the locate commands: true only for a RIFF/WAVE file whose chunk
    /// walk finds 16-bit PCM, 2 channels, `sampleRate` and a data chunk.
    static bool IsStereoWave(const std::string& path, std::uint32_t sampleRate);

    /// The format chunk of the file at `path`, or nullopt when it cannot be opened or is
    /// not a RIFF/WAVE file with a format chunk. For messages that name what a file is.
    static std::optional<WaveFormat> Probe(const std::string& path);

    /// "48000 Hz, 2 channels, 16 bits", "not a WAV file", "compressed (format 85)", ...
    static std::string Describe(const std::string& path);

    /// For a side (ReadSideHeader) whose data chunk declares more than the file holds (a copy cut
    /// short): "the file is shorter than its header says: it holds 0:05.9 of the 3:05.2
    /// its header gives". "" for every other file. Only what the file holds is ever read.
    static std::string Shortfall(const std::string& path);

    std::uint32_t sampleRate = kSampleRate;  ///< written at offset 24; replaced by a parse
    std::int32_t sampleCount = 0;            ///< single-channel samples in the data
    std::uint32_t dataBytes = 0;             ///< bytes of sample data (whole frames)
    std::uint64_t declaredBytes = 0;         ///< what the data chunk declares (parse only)
    std::uint64_t dataOffset = 0;            ///< file offset of the first sample byte
    WaveFormat format;                       ///< what the parse found
    SideFormat side;                         ///< ReadSideHeader: the samples' format
    std::uint64_t frames = 0;                ///< ReadSideHeader: whole frames the file holds

  private:
    enum class Walk { Ok, NotRiff, NoFormat, NoData };
    Walk WalkChunks(std::FILE* in, bool rf64 = false);
    std::uint64_t heldBytes_ = 0;  ///< data bytes the file holds (bounded by its size)
};

namespace sidefile {

/// Patches a finished recording's two size fields: offset 4 = totalBytes + 36, offset 40 =
/// totalBytes. Leaves the stream positioned at its end. False on a seek or write error.
bool PatchSizes(std::FILE* out, std::uint32_t totalBytes);

}  // namespace sidefile
