#pragma once
// The header of a WAV file the program writes in any side format: a slice, a recording, a
// copy for an encoder. 16-, 24- and 32-bit PCM (format tag 1) and 32- and 64-bit float
// (tag 3, with its "fact" chunk). At 44.1 kHz 16-bit stereo the header is the canonical 44
// bytes that WaveFile::WriteHeader writes. A file whose RIFF size would pass 4 GB is
// written as RF64 (EBU Tech 3306): "RF64" in place of "RIFF", the true sizes in a "ds64"
// chunk after "WAVE". A recording, whose size is not known in advance, reserves the ds64
// room as a "JUNK" chunk, which becomes ds64 when the finished file needs it.
// Any thread may use its own header.

#include <cstdint>
#include <cstdio>

#include "sidefile/SideFormat.h"

/// The largest RIFF size a RIFF header can state; larger files are RF64.
constexpr std::uint64_t kRiffSizeLimit = 0xFFFFFFFFull;

struct WaveHeader {
    SideFormat format;
    /// A JUNK chunk that turns into ds64 if the file passes the limit (recordings).
    bool roomForDs64 = false;
    /// RIFF sizes above this make the file RF64; tests lower it to reach RF64 with small
    /// files.
    std::uint64_t riffLimit = kRiffSizeLimit;

    /// The header of a file of `dataBytes` known in advance (a slice): RF64 when it must be.
    static WaveHeader For(const SideFormat& format, std::uint64_t dataBytes,
                          std::uint64_t riffLimit = kRiffSizeLimit);

    /// Bytes before the samples.
    std::uint32_t Size() const;
    /// Whether a file with `dataBytes` of samples is RF64.
    bool IsRf64(std::uint64_t dataBytes) const;
    /// Writes the header for `dataBytes` of samples at the stream's position (the start of
    /// a file opened "wb"): RF64 when IsRf64 and there is ds64 room (else the sizes that
    /// fit). False on a write error.
    bool Write(std::FILE* out, std::uint64_t dataBytes) const;
    /// Rewrites the header of a file begun with Write (with the same members) for
    /// `dataBytes`, then leaves the stream at its end. False on a seek or write error.
    bool Patch(std::FILE* out, std::uint64_t dataBytes) const;
};
