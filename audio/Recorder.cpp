#include "audio/Recorder.h"

#include "audio/RecordingTexts.h"
#include "wav/WaveFile.h"

Recorder::Recorder(RecorderHost& host, std::unique_ptr<CaptureStream> stream,
                   std::size_t bufferBytes)
    : host_(host), stream_(std::move(stream)), bufferBytes_(bufferBytes) {}

Recorder::~Recorder() {
    if (!active_) return;
    quiet_ = true;
    Finish(StopCause::Button);
}

OpenResult Recorder::Open(int side, const std::string& path, int device) {
    return Start(side, path, device, nullptr);
}

OpenResult Recorder::OpenRecording(int side, const std::string& path, int device,
                                   const RecordSettings& settings) {
    return Start(side, path, device, &settings);
}

OpenResult Recorder::Start(int side, const std::string& path, int device,
                           const RecordSettings* recordAtOnce) {
    if (active_) Stop();
    side_ = side;
    recording_ = false;
    shownBlinks_ = 0;
    summary_ = {};
    state_.mode.store(RecordingMode::Stopped);
    state_.ResetForStream();

    file_ = std::make_unique<RecordingFile>();
    if (!file_->Create(path)) {
        file_.reset();
        return OpenResult::FileFailed;
    }
    writer_ = std::make_unique<SampleWriter>(*file_, bufferBytes_);
    state_.writer = writer_.get();
    state_.mode.store(RecordingMode::Monitoring);
    if (recordAtOnce) Arm(*recordAtOnce);
    const OpenResult result = stream_->OpenRecording(device, state_);
    if (result != OpenResult::Ok) {
        state_.mode.store(RecordingMode::Stopped);
        CloseEverything();
        return result;
    }
    active_ = true;
    if (recordAtOnce) host_.SetStatus(kRecordingStatusText);
    return OpenResult::Ok;
}

void Recorder::Record(const RecordSettings& settings) {
    if (!active_) return;
    Arm(settings);
    host_.SetStatus(kRecordingStatusText);
}

void Recorder::Arm(const RecordSettings& settings) {
    const std::uint64_t maxBytes = settings.maxFrames * kBytesPerFrame;
    const bool byLength = settings.maxFrames > 0 && maxBytes < kMaxRecordingDataBytes;
    state_.maxDataBytes = byLength ? maxBytes : kMaxRecordingDataBytes;
    state_.limitRequest = byLength ? StopRequest::Length : StopRequest::SizeLimit;
    state_.gain.store(settings.gain);
    state_.autoStop.store(settings.autoStop);
    autoSlice_ = settings.autoSlice;
    recording_ = true;
    state_.mode.store(RecordingMode::Recording);
}

void Recorder::Cancel() {
    if (!active_) return;
    state_.mode.store(RecordingMode::Stopped);
    CloseEverything();
    active_ = false;
    host_.RecordingEnded(side_);
}

void Recorder::Stop() {
    if (!active_) return;
    if (!recording_) {
        Cancel();
        return;
    }
    Finish(StopCause::Button);
}

void Recorder::Poll() {
    if (!active_ || !recording_) return;
    const std::uint32_t blinks = state_.blinks.load(std::memory_order_acquire);
    if (blinks != shownBlinks_) {
        shownBlinks_ = blinks;
        host_.SetStatus(blinks % 2 == 1 ? kRecordingStatusText : kRecordingBlankText);
    }
    switch (state_.stopRequest.load(std::memory_order_acquire)) {
        case StopRequest::Quiet:
            Finish(StopCause::Quiet);
            return;
        case StopRequest::SizeLimit:
            Finish(StopCause::SizeLimit);
            return;
        case StopRequest::Length:
            Finish(StopCause::Length);
            return;
        case StopRequest::None:
            break;
    }
    if (writer_ && writer_->WriteFailed()) Finish(StopCause::WriteError);
}

void Recorder::CloseEverything() {
    // The stream first: once Close returns no callback runs, so the buffers are ours.
    stream_->Close();
    state_.writer = nullptr;
    std::uint64_t written = 0;
    if (writer_) {
        written = writer_->Finish();
        summary_.droppedBytes = writer_->DroppedBytes();
        summary_.fileOk = !writer_->WriteFailed();
        writer_.reset();
    }
    if (file_) {
        summary_.fileOk = file_->Close(written) && summary_.fileOk;
        file_.reset();
    }
    summary_.dataBytes = written;
    summary_.inputOverflows = state_.inputOverflows.load();
}

std::string Recorder::Notes() const {
    std::string notes;
    if (summary_.inputOverflows > 0)
        notes += "\n\nThe input overflowed " + std::to_string(summary_.inputOverflows) +
                 " times: the sound card delivered samples faster than they were taken, and "
                 "some were lost.";
    if (summary_.droppedBytes > 0)
        notes += "\n\nThe disk was too slow: " +
                 std::to_string(summary_.droppedBytes / kBytesPerFrame / kSampleRate) +
                 " s of audio could not be saved.";
    return notes;
}

void Recorder::Finish(StopCause cause) {
    host_.RecordingEnded(side_);
    host_.SetStatus(kFinishedRecordingText);
    state_.mode.store(RecordingMode::Stopped);
    summary_.cause = cause;
    CloseEverything();
    active_ = false;
    recording_ = false;
    if (quiet_) return;

    switch (cause) {
        case StopCause::Button:
        case StopCause::Length:
        case StopCause::Quiet:
            if (!autoSlice_)
                host_.ShowMessage(kAudioRecordedCaption, kAudioRecordedText + Notes(),
                                  MessageIcon::Information);
            break;
        case StopCause::SizeLimit:
            host_.ShowMessage(kAudioRecordedCaption,
                              std::string("The recording reached the largest size a wave file "
                                          "can hold (2 GB, about 3 h 22 min) and was stopped.\n") +
                                  kAudioRecordedText + Notes(),
                              MessageIcon::Information);
            break;
        case StopCause::WriteError:
            host_.ShowMessage(kRecordingStoppedCaption,
                              "The recording could not be written to disk (is it full?) and "
                              "was stopped.\nThe file holds the audio recorded until then." +
                                  Notes(),
                              MessageIcon::Exclamation);
            break;
    }
    // Only now is the file complete. A running job would take the command as its Stop.
    if (cause == StopCause::Quiet && autoSlice_ && !host_.JobRunning()) host_.StartSlicing();
}
