#include "audio/PortAudioSession.h"

#include <portaudio.h>

#include "platform/SoundLibraries.h"

PortAudioSession::PortAudioSession() {
    platform::QuietenSoundLibraries();
    ok_ = Pa_Initialize() == paNoError;
}

PortAudioSession::~PortAudioSession() {
    if (ok_) Pa_Terminate();
}
