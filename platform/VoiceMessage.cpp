#include "platform/VoiceMessage.h"

#include <portaudio.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/WaveFile.h"
#include "platform/File.h"
#include "platform/Paths.h"

namespace platform {
namespace {

constexpr unsigned long kFramesPerWrite = 1024;
constexpr int kChannels = 2;

struct VoiceSamples {
    std::vector<std::int16_t> samples;  // interleaved left, right
    std::uint32_t sampleRate = 0;
};

// The whole message in memory (a few seconds); false when the file is missing or refused.
bool LoadVoice(const std::string& path, VoiceSamples& voice) {
    FilePtr in = OpenFile(path, "rb");
    WaveFile wave;
    if (!in || !wave.ReadHeader(in.get())) return false;
    voice.sampleRate = wave.sampleRate;
    voice.samples.resize(wave.dataBytes / sizeof(std::int16_t));
    const std::size_t bytes = voice.samples.size() * sizeof(std::int16_t);
    const std::size_t got = wave.ReadBytes(in.get(), voice.samples.data(), bytes);
    voice.samples.resize(got / (kChannels * sizeof(std::int16_t)) * kChannels);
    // Samples are little-endian in the file, as on every platform this builds for.
    return !voice.samples.empty() && voice.sampleRate > 0;
}

class VoicePlayer {
  public:
    ~VoicePlayer() { Stop(); }

    void Play(const std::string& fileName) {
        const std::string folder = InstallFolder();
        if (folder.empty()) return;
        std::lock_guard life(lifeMutex_);
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) {
            quit_ = false;
            thread_ = std::thread([this] { Run(); });
        }
        if (static_cast<int>(waiting_.size()) < kMaxWaitingVoiceMessages)
            waiting_.push_back(JoinPath(folder, fileName));
        wake_.notify_all();
    }

    void Wait() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return waiting_.empty() && !busy_; });
    }

    void Stop() {
        std::lock_guard life(lifeMutex_);
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
            waiting_.clear();
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

  private:
    // Player thread only.
    void Run() {
        bool audioReady = false;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || !waiting_.empty(); });
            if (quit_) break;
            const std::string path = waiting_.front();
            waiting_.pop_front();
            busy_ = true;
            lock.unlock();
            VoiceSamples voice;
            if (LoadVoice(path, voice)) {
                if (!audioReady) audioReady = Pa_Initialize() == paNoError;
                if (audioReady) Speak(voice);
            }
            lock.lock();
            busy_ = false;
            wake_.notify_all();
        }
        busy_ = false;
        wake_.notify_all();
        lock.unlock();
        if (audioReady) Pa_Terminate();
    }

    // Player thread only; ends early when a stop is asked.
    void Speak(const VoiceSamples& voice) {
        PaStream* stream = nullptr;
        if (Pa_OpenDefaultStream(&stream, 0, kChannels, paInt16, voice.sampleRate, kFramesPerWrite,
                                 nullptr, nullptr) != paNoError)
            return;
        bool cutOff = false;
        if (Pa_StartStream(stream) == paNoError) {
            const std::size_t frames = voice.samples.size() / kChannels;
            for (std::size_t at = 0; at < frames; at += kFramesPerWrite) {
                if (Quitting()) {
                    cutOff = true;
                    break;
                }
                const std::size_t n = std::min<std::size_t>(kFramesPerWrite, frames - at);
                const PaError err = Pa_WriteStream(stream, &voice.samples[at * kChannels],
                                                   static_cast<unsigned long>(n));
                if (err != paNoError && err != paOutputUnderflowed) break;
            }
            // Stop lets the last buffers play; abort drops them.
            cutOff ? Pa_AbortStream(stream) : Pa_StopStream(stream);
        }
        Pa_CloseStream(stream);
    }

    bool Quitting() {
        std::lock_guard lock(mutex_);
        return quit_;
    }

    std::mutex lifeMutex_;  // orders starting and ending the thread (Play against Stop)
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> waiting_;  // guarded by mutex_
    bool busy_ = false;                // guarded by mutex_: a message is being played
    bool quit_ = false;                // guarded by mutex_
    std::thread thread_;               // started by Play, joined by Stop
};

VoicePlayer& Player() {
    static VoicePlayer player;
    return player;
}

}  // namespace

void PlayVoiceMessage(const std::string& fileName) {
    Player().Play(fileName);
}

void WaitForVoiceMessages() {
    Player().Wait();
}

void StopVoiceMessages() {
    Player().Stop();
}

}  // namespace platform
