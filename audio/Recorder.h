#pragma once
// Recording a side, for any front end: opening the file and the stream, monitoring while
// the levels dialog is up, recording, and every way a recording ends (the Stop button,
// the automatic stop, the size limit, a write error, the levels dialog's Cancel), each
// through the one stop sequence that leaves a complete, valid file.
//
// Thread: everything on the owning thread (the window's GUI thread, velvane-cli's main
// thread). The callback only raises requests in RecordingState; Poll, called a few times
// a second on the owning thread, turns them into host calls. So every RecorderHost call
// happens on the owning thread.

#include <cstdint>
#include <memory>
#include <string>

#include "audio/AudioStream.h"
#include "audio/InputCallback.h"
#include "audio/RecordingFile.h"

enum class MessageIcon { Information, Exclamation };

/// How a recording ended.
enum class StopCause { Button, Quiet, SizeLimit, Length, WriteError };

/// What the recorder asks of its front end.
class RecorderHost {
  public:
    virtual ~RecorderHost() = default;
    /// Status bar field 0.
    virtual void SetStatus(const std::string& text) = 0;
    /// A modal message with an OK button; returns when closed.
    virtual void ShowMessage(const std::string& caption, const std::string& text,
                             MessageIcon icon) = 0;
    /// The side's stream has closed (stopped or cancelled): its Rec button reads "Rec..."
    /// again and the other side's Rec button is enabled.
    virtual void RecordingEnded(int side) = 0;
    /// A slicing or drawing job runs now.
    virtual bool JobRunning() = 0;
    /// Runs the slicing command ("Slice using auto sense or typed times").
    virtual void StartSlicing() = 0;
};

/// The choices a recording starts with.
struct RecordSettings {
    float gain = 1.0f;            ///< factor applied to every sample, 0..51
    bool autoStop = false;        ///< stop after 20 quiet probes
    bool autoSlice = false;       ///< then start the slicing command
    std::uint64_t maxFrames = 0;  ///< > 0: stop by itself after exactly this many frames
};

/// The outcome of the last recording.
struct RecordingSummary {
    StopCause cause = StopCause::Button;
    std::uint64_t dataBytes = 0;       ///< sample bytes in the file (= its header's count)
    std::uint32_t inputOverflows = 0;  ///< blocks PortAudio flagged as overflowed
    std::uint64_t droppedBytes = 0;    ///< bytes the disk was too slow to take
    bool fileOk = false;               ///< every write and the header patch succeeded
};

class Recorder {
  public:
    /// `bufferBytes`: size of each of the writer's two buffers (tests use small ones).
    Recorder(RecorderHost& host, std::unique_ptr<CaptureStream> stream,
             std::size_t bufferBytes = kSampleBufferBytes);
    /// A running recording is ended through the stop sequence (no message shown).
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    /// Creates the side's file (header with no samples) and starts the stream of `device`
    /// in Monitoring. On failure nothing stays open; the file, once created, stays on disk
    /// with its 44-byte header. The front end reports InvalidInput.
    OpenResult Open(int side, const std::string& path, int device);
    /// The same without monitoring (no levels dialog): the recording holds the stream's
    /// frames from the first one.
    OpenResult OpenRecording(int side, const std::string& path, int device,
                             const RecordSettings& settings);
    /// The levels dialog ended with "Record": the recording starts.
    void Record(const RecordSettings& settings);
    /// The levels dialog was cancelled: the stream closes; the file keeps no samples.
    void Cancel();
    /// The Stop button (also a closing window, Ctrl+C): the stop sequence.
    void Stop();
    /// Shows the blinking status text and runs the stops the callback asked for.
    void Poll();

    bool Active() const { return active_; }  ///< a stream is open (monitoring or recording)
    bool IsRecording() const { return active_ && recording_; }
    int Side() const { return side_; }  ///< 1 or 2, the side of the last Open
    RecordingState& State() { return state_; }
    const RecordingSummary& Summary() const { return summary_; }
    /// Silences the "Audio Recorded" message of the next stop (velvane-cli prints its own).
    void SetQuiet(bool quiet) { quiet_ = quiet; }

  private:
    OpenResult Start(int side, const std::string& path, int device,
                     const RecordSettings* recordAtOnce);
    void Arm(const RecordSettings& settings);
    void Finish(StopCause cause);
    void CloseEverything();
    std::string Notes() const;

    RecorderHost& host_;
    std::unique_ptr<CaptureStream> stream_;
    const std::size_t bufferBytes_;
    RecordingState state_;
    std::unique_ptr<RecordingFile> file_;
    std::unique_ptr<SampleWriter> writer_;
    RecordingSummary summary_;
    int side_ = 1;
    bool active_ = false;
    bool recording_ = false;
    bool autoSlice_ = false;
    bool quiet_ = false;
    std::uint32_t shownBlinks_ = 0;
};
