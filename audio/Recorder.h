#pragma once
// Recording a side, for any front end: opening the file and the stream, monitoring while
// the levels dialog is up, recording, and every way a recording ends (the Stop button,
// the automatic stop, the size limit, a requested length, a write error, the levels
// dialog's Cancel), each through the one stop sequence that leaves a complete, valid
// file. The recorder reports what happened (RecordingSummary); each front end decides
// what to tell the user and whether to slice.
//
// Thread: everything on the owning thread (the window's GUI thread, velvane-cli's main
// thread). The callback only raises requests in RecordingState; Poll, called a few times
// a second on the owning thread, acts on them.

#include <cstdint>
#include <memory>
#include <string>

#include "audio/AudioStream.h"
#include "audio/InputCallback.h"
#include "audio/RecordingFile.h"

/// The formats the levels dialog offers: 44.1 kHz 16-bit (the default), 48, 96 and
/// 192 kHz 24-bit.
inline constexpr SideFormat kRecordingFormats[] = {
    kCdFormat,
    {48000, 2, SampleEncoding::Int24},
    {96000, 2, SampleEncoding::Int24},
    {192000, 2, SampleEncoding::Int24},
};

/// How a recording ended.
enum class StopCause { Button, Quiet, SizeLimit, Length, WriteError };

/// The choices a recording starts with.
struct RecordSettings {
    float gain = 1.0f;            ///< factor applied to every sample, 0..51
    bool autoStop = false;        ///< stop after 20 quiet probes
    std::uint64_t maxFrames = 0;  ///< > 0: stop by itself after exactly this many frames
    /// What is recorded (OpenRecording): 16- or 24-bit stereo at a rate the input takes.
    SideFormat format;
};

/// What the last recording left behind.
struct RecordingSummary {
    StopCause cause = StopCause::Button;
    std::uint64_t framesWritten = 0;   ///< frames in the file (= its header's count)
    std::uint32_t inputOverflows = 0;  ///< blocks PortAudio flagged as overflowed
    std::uint64_t framesLost = 0;      ///< frames the disk was too slow to take
    bool fileOk = false;               ///< every write and the header patch succeeded
    std::uint32_t sampleRate = 44100;  ///< of the recording, for its lengths in seconds
};

namespace audio {

/// The stereo recording format of `rate` Hz and `bits` (a settings file's fields 36 and
/// 37): 22.05 to 192 kHz at 16 or 24 bits; anything else gives the default.
SideFormat RecordingFormatOf(int rate, int bits);

/// "12.3 s": a length in frames at `sampleRate`, to a tenth of a second (rounded down), as
/// the front ends state how much a recording holds.
std::string SecondsText(std::uint64_t frames, std::uint32_t sampleRate = 44100);

/// The largest sample data a recording of `format` may hold, in whole blocks: what keeps
/// both header sizes within 2147483647 for 16-bit files (whose header is the canonical
/// one), and no practical limit for 24-bit ones (RF64 past 4 GB).
std::uint64_t MaxRecordingDataBytes(const SideFormat& format);

}  // namespace audio

class Recorder {
  public:
    /// `bufferBytes`: size of each of the writer's two buffers at 44.1 kHz 16-bit (tests use
    /// small ones); other formats get buffers of as many seconds.
    explicit Recorder(std::unique_ptr<CaptureStream> stream,
                      std::size_t bufferBytes = kSampleBufferBytes);
    /// A running recording is ended through the stop sequence.
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    /// Creates the side's file (header with no samples) and starts the stream of `device`
    /// in Monitoring. An existing file is replaced only once the recording starts (Record),
    /// so a failed start or a cancelled levels dialog keeps it; a new file stays on disk with
    /// its header. Records in `format` (16- or 24-bit stereo). On failure nothing stays open and
    /// the result says why (FileFailed: the file cannot be created).
    OpenResult Open(const std::string& path, int device, const SideFormat& format = kCdFormat);
    /// The same without monitoring (no levels dialog): the recording holds the stream's
    /// frames from the first one, and takes the file's name once the stream runs.
    OpenResult OpenRecording(const std::string& path, int device, const RecordSettings& settings);
    /// The levels dialog ended with "Record": the recording takes the file's name (an
    /// existing file goes now) and starts. False when the name cannot be taken: nothing is
    /// recorded, the stream is closed and the existing file stays.
    bool Record(const RecordSettings& settings);
    /// The levels dialog was cancelled: the stream closes; a new file keeps no samples, an
    /// existing one stays as it was.
    void Cancel();
    /// The Stop button (also a closing window, Ctrl+C): the stop sequence, cause Button.
    void Stop();
    /// Runs a stop the callback asked for, or the stop after a failed write. True when the
    /// recording ended in this call (Summary() tells how).
    bool Poll();

    bool Active() const { return active_; }  ///< a stream is open (monitoring or recording)
    bool IsRecording() const { return active_ && recording_; }
    /// The status text's blink count: odd shows the recording text, even blanks it.
    std::uint32_t Blinks() const { return state_.blinks.load(std::memory_order_acquire); }
    RecordingState& State() { return state_; }
    const RecordingSummary& Summary() const { return summary_; }

  private:
    OpenResult Start(const std::string& path, int device, const SideFormat& format,
                     const RecordSettings* recordAtOnce);
    void Arm(const RecordSettings& settings);
    void Finish(StopCause cause);
    void CloseEverything();

    std::unique_ptr<CaptureStream> stream_;
    const std::size_t bufferBytes_;
    RecordingState state_;
    std::unique_ptr<RecordingFile> file_;
    std::unique_ptr<SampleWriter> writer_;
    RecordingSummary summary_;
    bool active_ = false;
    bool recording_ = false;
};
