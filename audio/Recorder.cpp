#include "audio/Recorder.h"

#include <algorithm>

#include "sidefile/WaveHeader.h"

std::string audio::SecondsText(std::uint64_t frames, std::uint32_t sampleRate) {
    const std::uint64_t tenths = frames * 10 / sampleRate;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

Recorder::Recorder(std::unique_ptr<CaptureStream> stream, std::size_t bufferBytes)
    : stream_(std::move(stream)), bufferBytes_(bufferBytes) {}

Recorder::~Recorder() {
    if (active_) Finish(StopCause::Button);
}

SideFormat audio::RecordingFormatOf(int rate, int bits) {
    if (rate < static_cast<int>(kLowestSideRate) || rate > static_cast<int>(kHighestSideRate) ||
        (bits != 16 && bits != 24))
        return kCdFormat;
    return {static_cast<std::uint32_t>(rate), 2,
            bits == 24 ? SampleEncoding::Int24 : SampleEncoding::Int16};
}

std::uint64_t audio::MaxRecordingDataBytes(const SideFormat& format) {
    if (format.encoding == SampleEncoding::Int16) {
        const std::uint64_t block = kCallbackFrames * format.BytesPerFrame();
        return (2147483647ull - 36) / block * block;
    }
    return UINT64_MAX / 2;
}

OpenResult Recorder::Open(const std::string& path, int device, const SideFormat& format) {
    return Start(path, device, format, nullptr);
}

OpenResult Recorder::OpenRecording(const std::string& path, int device,
                                   const RecordSettings& settings) {
    return Start(path, device, settings.format, &settings);
}

OpenResult Recorder::Start(const std::string& path, int device, const SideFormat& format,
                           const RecordSettings* recordAtOnce) {
    if (active_) Stop();
    recording_ = false;
    summary_ = {};
    state_.mode.store(RecordingMode::Stopped);
    state_.ResetForStream();
    state_.SetFormat(format);

    file_ = std::make_unique<RecordingFile>();
    // A 24-bit recording may pass 4 GB (an hour at 192 kHz): room for RF64's sizes.
    if (!file_->Create(path, WaveHeader{format, format.encoding != SampleEncoding::Int16})) {
        file_.reset();
        return OpenResult::FileFailed;
    }
    // The buffers hold as many seconds at every format as at 44.1 kHz 16-bit (about 22 s
    // at the default size), so a disk stall costs no sample at 192 kHz 24-bit either.
    const std::uint64_t byteRate = std::uint64_t{format.sampleRate} * format.BytesPerFrame();
    const std::uint64_t cdByteRate =
        std::uint64_t{kCdFormat.sampleRate} * kCdFormat.BytesPerFrame();
    const std::uint64_t blocks =
        std::max<std::uint64_t>(1, bufferBytes_ * byteRate / cdByteRate / state_.blockBytes);
    writer_ = std::make_unique<SampleWriter>(
        *file_, byteRate == cdByteRate ? bufferBytes_ : blocks * state_.blockBytes);
    state_.writer = writer_.get();
    state_.mode.store(RecordingMode::Monitoring);
    if (recordAtOnce) Arm(*recordAtOnce);
    OpenResult result = stream_->OpenRecording(device, state_);
    // Only a recording that runs may replace the file the user chose.
    if (result == OpenResult::Ok && recordAtOnce && !file_->TakeName()) {
        result = OpenResult::FileFailed;
        stream_->Close();
    }
    if (result != OpenResult::Ok) {
        state_.mode.store(RecordingMode::Stopped);
        CloseEverything();
        return result;
    }
    active_ = true;
    return OpenResult::Ok;
}

bool Recorder::Record(const RecordSettings& settings) {
    if (!active_) return false;
    if (!file_->TakeName()) {
        Cancel();
        return false;
    }
    Arm(settings);
    return true;
}

void Recorder::Arm(const RecordSettings& settings) {
    const std::uint64_t limit = audio::MaxRecordingDataBytes(state_.format);
    const std::uint64_t maxBytes = settings.maxFrames * state_.format.BytesPerFrame();
    const bool byLength = settings.maxFrames > 0 && maxBytes < limit;
    state_.maxDataBytes = byLength ? maxBytes : limit;
    state_.limitRequest = byLength ? StopRequest::Length : StopRequest::SizeLimit;
    state_.gain.store(settings.gain);
    state_.autoStop.store(settings.autoStop);
    recording_ = true;
    state_.mode.store(RecordingMode::Recording);
}

void Recorder::Cancel() {
    if (!active_) return;
    state_.mode.store(RecordingMode::Stopped);
    CloseEverything();
    active_ = false;
}

void Recorder::Stop() {
    if (!active_) return;
    if (!recording_) {
        Cancel();
        return;
    }
    Finish(StopCause::Button);
}

bool Recorder::Poll() {
    if (!active_ || !recording_) return false;
    switch (state_.stopRequest.load(std::memory_order_acquire)) {
        case StopRequest::Quiet:
            Finish(StopCause::Quiet);
            return true;
        case StopRequest::SizeLimit:
            Finish(StopCause::SizeLimit);
            return true;
        case StopRequest::Length:
            Finish(StopCause::Length);
            return true;
        case StopRequest::None:
            break;
    }
    if (writer_ && writer_->WriteFailed()) {
        Finish(StopCause::WriteError);
        return true;
    }
    return false;
}

void Recorder::CloseEverything() {
    // The stream first: once Close returns no callback runs, so the buffers are ours.
    stream_->Close();
    state_.writer = nullptr;
    std::uint64_t written = 0;
    if (writer_) {
        written = writer_->Finish();
        summary_.framesLost = writer_->DroppedBytes() / state_.format.BytesPerFrame();
        summary_.fileOk = !writer_->WriteFailed();
        writer_.reset();
    }
    if (file_) {
        // A failed write may have stopped inside a frame: the file keeps whole frames.
        written -= written % state_.format.BytesPerFrame();
        summary_.fileOk = file_->Close(written) && summary_.fileOk;
        file_.reset();
    }
    summary_.framesWritten = written / state_.format.BytesPerFrame();
    summary_.sampleRate = state_.format.sampleRate;
    summary_.inputOverflows = state_.inputOverflows.load();
}

void Recorder::Finish(StopCause cause) {
    state_.mode.store(RecordingMode::Stopped);
    summary_.cause = cause;
    CloseEverything();
    active_ = false;
    recording_ = false;
}
