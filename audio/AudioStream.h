#pragma once
// One PortAudio stream: the recording's input stream, whose callback is InputCallback, or
// a playback stream on the default output (the preview's callback plugs in through Play).
// Every stream is 2 channels, 64 frames per callback: a recording in its format (16-bit
// or 24-bit at its rate, 44.1 kHz 16-bit by default), a playback of 16-bit integers at
// 44100 Hz or its file's own rate.
//
// Thread: all members on the owner's thread (the GUI thread in the window). The callbacks
// run on PortAudio's thread.

#include <cstdint>
#include <memory>

#include "audio/InputCallback.h"
#include "sidefile/WaveFile.h"

class PortAudioSession;
struct PaStreamCallbackTimeInfo;

enum class OpenResult {
    Ok,
    LibraryFailed,  ///< Pa_Initialize failed: nothing is reported
    FileFailed,     ///< the recording file cannot be created: nothing is reported
    InvalidInput,   ///< the device cannot record stereo in the format: "Invalid Input!"
};

/// The stream a recording reads from: PortAudio in the program, a fake in tests.
class CaptureStream {
  public:
    virtual ~CaptureStream() = default;
    /// Opens and starts the input stream of `device` in state.format, its callback running
    /// InputCallback on `state` (which must outlive the stream). LibraryFailed or
    /// InvalidInput on failure.
    virtual OpenResult OpenRecording(int device, RecordingState& state) = 0;
    /// Stops the stream, returning once its callback has run for the last time, and closes
    /// it. Nothing happens without an open stream.
    virtual void Close() = 0;
};

/// Fills `out` with 64 interleaved stereo frames; returns kCallbackContinue or
/// kCallbackStop. Runs on PortAudio's thread, with the `user` given to Play.
using PlaybackFunction = int (*)(std::int16_t* out, void* user);

class AudioStream : public CaptureStream {
  public:
    AudioStream();
    ~AudioStream() override;  ///< closes an open stream
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    OpenResult OpenRecording(int device, RecordingState& state) override;
    /// Closes any open stream, then opens and starts the default output with `callback` at
    /// `sampleRate`. False when it cannot be opened (nothing plays then).
    bool Play(PlaybackFunction callback, void* user, std::uint32_t sampleRate = kSampleRate);
    void Close() override;
    bool IsOpen() const { return stream_ != nullptr; }

  private:
    static int RecordingTrampoline(const void* input, void* output, unsigned long frames,
                                   const PaStreamCallbackTimeInfo* timeInfo,
                                   unsigned long statusFlags, void* user);
    static int PlaybackTrampoline(const void* input, void* output, unsigned long frames,
                                  const PaStreamCallbackTimeInfo* timeInfo,
                                  unsigned long statusFlags, void* user);

    void* stream_ = nullptr;  ///< PaStream*
    std::unique_ptr<PortAudioSession> session_;
    RecordingState* recording_ = nullptr;
    PlaybackFunction playback_ = nullptr;
    void* playbackUser_ = nullptr;
};
