#pragma once
// The WAV file a side is recorded into: created with the 44-byte header stating no samples,
// filled by the writer thread, and given its true sizes when the recording ends, so that a
// finished file's header always counts exactly the samples it holds.
//
// Thread contexts: Create and Close on the thread that owns the recording; Write on the
// writer thread, between them.

#include <cstdint>
#include <string>

#include "audio/SampleWriter.h"
#include "platform/File.h"

class RecordingFile : public SampleSink {
  public:
    /// Creates (or replaces) the file and writes the header with a data size of 0.
    /// False when the file cannot be created or the header not written.
    bool Create(const std::string& path);
    /// Writer thread: appends and flushes; returns the bytes that reached the file.
    std::size_t Write(const std::uint8_t* bytes, std::size_t n) override;
    /// Patches the sizes to `dataBytes` and closes. False on any write error.
    bool Close(std::uint64_t dataBytes);
    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }

  private:
    platform::FilePtr file_;
    std::string path_;
};
