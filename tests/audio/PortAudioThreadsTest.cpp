// PortAudio's front end is not thread-safe. Every PortAudio function the program calls is
// wrapped here (the linker's --wrap) with a check that no other thread is inside one at
// the same time; then a voice message plays on its own thread while this thread opens and
// closes playback streams, as the window does when a listen band is clicked.

#include <portaudio.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "audio/AudioStream.h"
#include "audio/VoiceMessage.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualAudio.h"

namespace {

std::atomic<int> g_inside{0};
std::atomic<int> g_overlaps{0};
std::atomic<int> g_calls{0};

// Inside a PortAudio call: long enough that two unserialised threads meet.
struct Inside {
    Inside() {
        if (g_inside.fetch_add(1) != 0) g_overlaps.fetch_add(1);
        g_calls.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ~Inside() { g_inside.fetch_sub(1); }
};

}  // namespace

#define WRAP(ret, name, params, args)     \
    extern "C" ret __real_##name params;  \
    extern "C" ret __wrap_##name params { \
        Inside inside;                    \
        return __real_##name args;        \
    }

WRAP(PaError, Pa_Initialize, (void), ())
WRAP(PaError, Pa_Terminate, (void), ())
WRAP(PaDeviceIndex, Pa_GetDeviceCount, (void), ())
WRAP(const PaDeviceInfo*, Pa_GetDeviceInfo, (PaDeviceIndex d), (d))
WRAP(PaError, Pa_OpenStream,
     (PaStream * *s, const PaStreamParameters* i, const PaStreamParameters* o, double r,
      unsigned long f, PaStreamFlags fl, PaStreamCallback* c, void* u),
     (s, i, o, r, f, fl, c, u))
WRAP(PaError, Pa_OpenDefaultStream,
     (PaStream * *s, int i, int o, PaSampleFormat fmt, double r, unsigned long f,
      PaStreamCallback* c, void* u),
     (s, i, o, fmt, r, f, c, u))
WRAP(PaError, Pa_StartStream, (PaStream * s), (s))
WRAP(PaError, Pa_StopStream, (PaStream * s), (s))
WRAP(PaError, Pa_CloseStream, (PaStream * s), (s))

namespace {

int Silence(std::int16_t* out, void*) {
    std::fill(out, out + 2 * kCallbackFrames, std::int16_t{0});
    return kCallbackContinue;
}

TEST(PortAudioThreads, VoiceMessagesAndTheWindowsStreamsNeverMeetInsidePortAudio) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    TempDir dir;
    ScopedEnv output{"VELVANE_VA_PLAYBACK", dir / "played.raw"};
    ScopedEnv home{"VELVANE_HOME", VOICE_FOLDER};

    std::atomic<bool> spoken{false};
    audio::PlayVoiceMessage("wavside1.wav");
    audio::PlayVoiceMessage("mp3side2.wav");
    std::thread waiter([&] {
        audio::WaitForVoiceMessages();
        spoken = true;
    });
    int streams = 0;
    while (!spoken) {
        AudioStream stream;
        if (stream.Play(Silence, nullptr)) ++streams;
        stream.Close();
    }
    waiter.join();
    audio::StopVoiceMessages();

    EXPECT_GT(streams, 0);
    EXPECT_GT(g_calls.load(), 4 * streams);  // the voice thread called PortAudio too
    EXPECT_EQ(g_overlaps.load(), 0);
}

}  // namespace
