#include "audio/PortAudioSession.h"

#include <portaudio.h>

#include "platform/SoundLibraries.h"

std::unique_lock<std::mutex> PortAudioSession::Lock() {
    static std::mutex mutex;
    return std::unique_lock(mutex);
}

PortAudioSession::PortAudioSession() {
    platform::QuietenSoundLibraries();
    const auto lock = Lock();
    ok_ = Pa_Initialize() == paNoError;
}

PortAudioSession::~PortAudioSession() {
    const auto lock = Lock();
    if (ok_) Pa_Terminate();
}
