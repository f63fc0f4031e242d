#include "audio/VoiceMessage.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/AudioStream.h"
#include "audio/PortAudioSession.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "sidefile/WaveReader.h"

namespace {

constexpr int kChannels = 2;
constexpr auto kPollInterval = std::chrono::milliseconds(10);

// One message in memory (a few seconds) and how far the callback has played it.
struct Voice {
    std::vector<std::int16_t> samples;  // interleaved left, right
    std::uint32_t sampleRate = 0;
    std::size_t position = 0;         // audio callback only, while the stream runs
    std::atomic<bool> played{false};  // set by the callback after the last frame
};

// False when the file is missing or refused.
bool LoadVoice(const std::string& path, Voice& voice) {
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile wave;
    if (!in || !wave.ReadHeader(in.get())) return false;
    voice.sampleRate = wave.sampleRate;
    voice.samples.resize(wave.dataBytes / sizeof(std::int16_t));
    const std::size_t bytes = voice.samples.size() * sizeof(std::int16_t);
    const std::size_t got = WaveReader(in.get(), wave).ReadBytes(voice.samples.data(), bytes);
    voice.samples.resize(got / (kChannels * sizeof(std::int16_t)) * kChannels);
    // Samples are little-endian in the file, as on every platform this builds for.
    return !voice.samples.empty() && voice.sampleRate > 0;
}

// Audio callback: the next 64 frames, silence after the end.
int PlayVoiceFrames(std::int16_t* out, void* user) {
    auto& voice = *static_cast<Voice*>(user);
    const std::size_t want = std::size_t{kCallbackFrames} * kChannels;
    const std::size_t take = std::min(want, voice.samples.size() - voice.position);
    std::memcpy(out, voice.samples.data() + voice.position, take * sizeof(std::int16_t));
    std::memset(out + take, 0, (want - take) * sizeof(std::int16_t));
    voice.position += take;
    if (voice.position < voice.samples.size()) return kCallbackContinue;
    voice.played.store(true, std::memory_order_release);
    return kCallbackStop;
}

class VoicePlayer {
  public:
    ~VoicePlayer() { Stop(); }

    void Play(const std::string& fileName) {
        const std::string folder = platform::InstallFolder();
        if (folder.empty()) return;
        std::lock_guard life(lifeMutex_);
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) {
            quit_ = false;
            thread_ = std::thread([this] { Run(); });
        }
        if (static_cast<int>(waiting_.size()) < kMaxWaitingVoiceMessages)
            waiting_.push_back(platform::JoinPath(folder, fileName));
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
    // Player thread only. PortAudio stays initialised from the first message to the end of
    // the thread, as it probes the devices each time it starts.
    void Run() {
        std::unique_ptr<PortAudioSession> session;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || !waiting_.empty(); });
            if (quit_) break;
            const std::string path = waiting_.front();
            waiting_.pop_front();
            busy_ = true;
            lock.unlock();
            Voice voice;
            if (LoadVoice(path, voice)) {
                if (!session) session = std::make_unique<PortAudioSession>();
                if (session->Ok()) Speak(voice);
            }
            lock.lock();
            busy_ = false;
            wake_.notify_all();
        }
        busy_ = false;
        wake_.notify_all();
        lock.unlock();
    }

    // Player thread only; ends early when a stop is asked.
    void Speak(Voice& voice) {
        AudioStream stream;
        if (!stream.Play(PlayVoiceFrames, &voice, voice.sampleRate)) return;
        while (!voice.played.load(std::memory_order_acquire) && !Quitting())
            std::this_thread::sleep_for(kPollInterval);
        stream.Close();  // lets the last buffers play
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

void audio::PlayVoiceMessage(const std::string& fileName) {
    Player().Play(fileName);
}

void audio::WaitForVoiceMessages() {
    Player().Wait();
}

void audio::StopVoiceMessages() {
    Player().Stop();
}
