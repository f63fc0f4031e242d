#pragma once
// The one way every part of the program reads a side: the engine, the waveform, the listen
// dialog and the preview. A RIFF or RF64 WAVE file is read through the program's own chunk
// walk (WaveFile: its rules hold for every WAV file); FLAC, AIFF, Wave64 and the other
// formats libsndfile knows through libsndfile. Samples come in the side's own encoding
// (SideFormat), interleaved, as a WAV file's data would hold them (SampleLayout.h converts).
// A reader belongs to one thread at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sidefile/SideFormat.h"

class SideReader {
  public:
    virtual ~SideReader() = default;

    /// Opens the side at `path`. nullptr when it cannot be opened or is not a side the
    /// program takes (SideFormat: 1 or 2 channels at 22.05 to 192 kHz; 16-, 24-, 32-bit
    /// integer or 32-, 64-bit float samples).
    static std::unique_ptr<SideReader> Open(const std::string& path);

    const SideFormat& Format() const { return format_; }
    /// Whole frames the file holds.
    std::uint64_t Frames() const { return frames_; }
    /// Frames the header states (more than Frames() for a WAV file cut short).
    std::uint64_t DeclaredFrames() const { return declaredFrames_; }

    /// Delivers the next `frames` frames (Format().BytesPerFrame() bytes each) into `dest`.
    /// Returns the frames delivered: fewer only at the end of the side or on a read error.
    virtual std::size_t Read(std::uint8_t* dest, std::size_t frames) = 0;
    /// Moves to frame `frame`. False when that fails.
    virtual bool Seek(std::uint64_t frame) = 0;

  protected:
    SideFormat format_;
    std::uint64_t frames_ = 0;
    std::uint64_t declaredFrames_ = 0;
};

namespace sidefile {

/// "" when the file at `path` is a side the program takes; else what it is, for messages:
/// "the file cannot be opened", "44100 Hz, 2 channels, 8 bits", "compressed audio (format
/// 85)", "not an audio file (...)", "FLAC, 44100 Hz, 6 channels, 16 bits", ...
std::string SideProblem(const std::string& path);

/// For a WAV side whose data chunk declares more than the file holds: "the file is
/// shorter than its header says: it holds 0:05.9 of the 3:05.2 its header gives"; "" for
/// every other file.
std::string SideShortfall(const std::string& path);

}  // namespace sidefile
