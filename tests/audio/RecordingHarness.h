#pragma once
// A Recorder without PortAudio: the test plays the audio thread by calling InputCallback
// itself.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/Recorder.h"
#include "tests/support/TestWav.h"

class FakeCaptureStream : public CaptureStream {
  public:
    OpenResult OpenRecording(int device, RecordingState& state) override {
        openedDevice = device;
        this->state = &state;
        return result;
    }
    void Close() override { state = nullptr; }

    OpenResult result = OpenResult::Ok;
    int openedDevice = -1;
    RecordingState* state = nullptr;
};

/// One callback's 64 frames of `frames` from `first`, zeros past the end.
std::vector<std::int16_t> CallbackBlock(const std::vector<Frame>& frames, std::size_t first);

/// Calls InputCallback once per 64 frames of `frames` (padded with zeros) until it asks to
/// stop or `calls` calls were made. Returns the number of calls made.
std::size_t Feed(RecordingState& state, const std::vector<Frame>& frames, std::size_t calls);

/// The file's two header sizes (offsets 4 and 40) and its sample frames after byte 44.
struct RecordedFile {
    std::uint32_t riffSize = 0;
    std::uint32_t dataSize = 0;
    std::vector<Frame> frames;
};
RecordedFile ReadRecordedFile(const std::string& path);
