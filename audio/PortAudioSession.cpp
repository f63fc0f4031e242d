#include "audio/PortAudioSession.h"

#include <portaudio.h>

#include <cstdlib>
#include <mutex>

#if defined(__linux__)
#include <dlfcn.h>
#endif
#if defined(VELVANE_HAVE_ALSA)
#include <alsa/asoundlib.h>
#endif

namespace {

#if defined(__linux__)
void IgnoreJackMessage(const char*) {}
#endif
#if defined(VELVANE_HAVE_ALSA)
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
#endif

// The sound libraries under PortAudio write to standard error while devices are probed:
// JACK that no server runs, ALSA about cards that do not exist. None of it concerns the
// user, who learns of a failure from the program itself. VELVANE_AUDIO_DEBUG keeps them.
void SilenceLibraryMessages() {
    if (std::getenv("VELVANE_AUDIO_DEBUG")) return;
#if defined(__linux__)
    // libjack comes with PortAudio's JACK host, when it has one; no header needed.
    using MessageSetter = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"})
        if (auto set = reinterpret_cast<MessageSetter>(dlsym(RTLD_DEFAULT, name)))
            set(IgnoreJackMessage);
#endif
#if defined(VELVANE_HAVE_ALSA)
    snd_lib_error_set_handler(IgnoreAlsaMessage);
#endif
}

}  // namespace

PortAudioSession::PortAudioSession() {
    static std::once_flag silenced;
    std::call_once(silenced, SilenceLibraryMessages);
    ok_ = Pa_Initialize() == paNoError;
}

PortAudioSession::~PortAudioSession() {
    if (ok_) Pa_Terminate();
}
