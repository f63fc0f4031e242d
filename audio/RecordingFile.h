#pragma once
// The WAV file a side is recorded into: created with a header stating no samples,
// filled by the writer thread, and given its true sizes when the recording ends, so that a
// finished file's header always counts exactly the samples it holds.
//
// An existing file of the chosen name is kept until the stream has started: the recording
// goes into a temporary file beside it, which takes the name (TakeName) once it is certain
// the recording will be made.
//
// Thread contexts: Create, TakeName and Close on the thread that owns the recording;
// Write on the writer thread, between them.

#include <cstdint>
#include <string>

#include "audio/SampleWriter.h"
#include "platform/File.h"
#include "sidefile/WaveHeader.h"

class RecordingFile : public SampleSink {
  public:
    /// Creates the file (a temporary one beside an existing file, or the existing file
    /// itself when its folder takes no new file) and writes `header` with a data size of
    /// 0 (by default the canonical 44 bytes of 44.1 kHz 16-bit stereo). False when it
    /// cannot be created or the header not written.
    bool Create(const std::string& path, const WaveHeader& header = WaveHeader{});
    /// Gives the recording the chosen name, replacing an existing file. False when the
    /// rename failed (the temporary file stays until Close removes it).
    bool TakeName();
    /// Writer thread: appends; returns the bytes that reached the file (fewer only on a
    /// write error: every byte counted is in the file).
    std::size_t Write(const std::uint8_t* bytes, std::size_t n) override;
    /// Cuts the file to `dataBytes` of samples, patches the sizes and closes. A file that
    /// never took its name is removed instead. False on any write error.
    bool Close(std::uint64_t dataBytes);
    bool IsOpen() const { return file_ != nullptr; }

  private:
    platform::FilePtr file_;
    std::string path_;      ///< the name chosen
    std::string tempPath_;  ///< where the file is while it has not taken its name; else ""
    WaveHeader header_;
};
