#include "audio/AudioStream.h"

#include <portaudio.h>

#include "audio/PortAudioSession.h"
#include "sidefile/WaveFile.h"

namespace {

constexpr int kChannels = 2;

}  // namespace

AudioStream::AudioStream() = default;

AudioStream::~AudioStream() {
    Close();
}

int AudioStream::RecordingTrampoline(const void* input, void*, unsigned long,
                                     const PaStreamCallbackTimeInfo*, unsigned long statusFlags,
                                     void* user) {
    auto* self = static_cast<AudioStream*>(user);
    return audio::InputCallback(input, *self->recording_, (statusFlags & paInputOverflow) != 0);
}

int AudioStream::PlaybackTrampoline(const void*, void* output, unsigned long,
                                    const PaStreamCallbackTimeInfo*, unsigned long, void* user) {
    auto* self = static_cast<AudioStream*>(user);
    return self->playback_(static_cast<std::int16_t*>(output), self->playbackUser_);
}

OpenResult AudioStream::OpenRecording(int device, RecordingState& state) {
    Close();
    session_ = std::make_unique<PortAudioSession>();
    if (!session_->Ok()) {
        session_.reset();
        return OpenResult::LibraryFailed;
    }
    recording_ = &state;
    auto lock = PortAudioSession::Lock();
    PaStreamParameters input{};
    input.device = device;
    input.channelCount = kChannels;
    input.sampleFormat = state.format.encoding == SampleEncoding::Int24 ? paInt24 : paInt16;
    const PaDeviceInfo* info =
        device >= 0 && device < Pa_GetDeviceCount() ? Pa_GetDeviceInfo(device) : nullptr;
    input.suggestedLatency = info ? info->defaultLowInputLatency : 0;
    PaStream* stream = nullptr;
    if (!info || Pa_OpenStream(&stream, &input, nullptr, state.format.sampleRate, kCallbackFrames,
                               paClipOff, &AudioStream::RecordingTrampoline, this) != paNoError) {
        lock.unlock();
        session_.reset();
        return OpenResult::InvalidInput;
    }
    stream_ = stream;
    const bool started = Pa_StartStream(stream) == paNoError;
    lock.unlock();
    if (!started) {
        Close();
        return OpenResult::InvalidInput;
    }
    return OpenResult::Ok;
}

bool AudioStream::Play(PlaybackFunction callback, void* user, std::uint32_t sampleRate) {
    Close();
    session_ = std::make_unique<PortAudioSession>();
    if (!session_->Ok()) {
        session_.reset();
        return false;
    }
    playback_ = callback;
    playbackUser_ = user;
    auto lock = PortAudioSession::Lock();
    PaStream* stream = nullptr;
    if (Pa_OpenDefaultStream(&stream, 0, kChannels, paInt16, sampleRate, kCallbackFrames,
                             &AudioStream::PlaybackTrampoline, this) != paNoError) {
        lock.unlock();
        session_.reset();
        return false;
    }
    stream_ = stream;
    Pa_StartStream(stream);
    return true;
}

void AudioStream::Close() {
    if (stream_) {
        const auto lock = PortAudioSession::Lock();
        Pa_StopStream(static_cast<PaStream*>(stream_));
        Pa_CloseStream(static_cast<PaStream*>(stream_));
        stream_ = nullptr;
    }
    session_.reset();
}
