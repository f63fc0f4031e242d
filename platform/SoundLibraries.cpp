#include "platform/SoundLibraries.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJack(const char*) {}

}  // namespace

void QuietenSoundLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (std::getenv("VELVANE_AUDIO_DEBUG")) return;
        snd_lib_error_set_handler(QuietAlsa);
        jack_set_error_function(QuietJack);
        jack_set_info_function(QuietJack);
    });
}

}  // namespace platform
