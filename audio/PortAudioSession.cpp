#include "audio/PortAudioSession.h"

#include <portaudio.h>

PortAudioSession::PortAudioSession() : ok_(Pa_Initialize() == paNoError) {}

PortAudioSession::~PortAudioSession() {
    if (ok_) Pa_Terminate();
}
