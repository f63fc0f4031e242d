#pragma once
// The sample data of a parsed WAV file, read through a 32 KB buffer of its own.
// Any thread may use its own reader.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "sidefile/WaveFile.h"

class WaveReader {
  public:
    static constexpr std::size_t kReadBufferBytes = 32768;

    /// Reads `in` from where a successful header.ReadHeader(in) left it: the first byte of
    /// sample data. Neither is owned; the stream must outlive the reader.
    WaveReader(std::FILE* in, const WaveFile& header);

    /// Delivers the next `n` bytes through the read buffer. Returns the number of bytes
    /// delivered: fewer than `n` only at the end of the file or on a read error. Never
    /// delivers bytes the file does not hold (callers bound reads by the header's dataBytes).
    std::size_t ReadBytes(void* dest, std::size_t n);

    /// Moves to byte `offset` of the sample data and empties the read buffer. False when
    /// the seek fails.
    bool SeekData(std::uint64_t offset);

  private:
    std::FILE* in_;
    std::uint64_t dataOffset_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t readPos_ = 0;
    std::size_t fill_ = 0;
};
