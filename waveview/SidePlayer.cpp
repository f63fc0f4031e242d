#include "waveview/SidePlayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "sidefile/SampleLayout.h"
#include "sidefile/SideReader.h"

namespace {

constexpr std::uint64_t kPrefillFrames = 16384;  // ready before the first callback asks
constexpr auto kWait = std::chrono::milliseconds(2);
constexpr auto kPrefillTimeout = std::chrono::seconds(2);

}  // namespace

SidePlayer::SidePlayer(const PlaybackSettings& settings)
    : settings_(settings), ring_(std::make_unique<std::int16_t[]>(2 * kRingFrames)) {}

SidePlayer::~SidePlayer() {
    Stop();
}

void SidePlayer::Stop() {
    stream_.Close();
    quit_.store(true);
    if (reader_.joinable()) reader_.join();
}

std::uint64_t SidePlayer::Position() const {
    return startFrame_ + taken_.load(std::memory_order_acquire);
}

bool SidePlayer::ReachedEnd() const {
    return readerDone_.load(std::memory_order_acquire) &&
           taken_.load(std::memory_order_acquire) == written_.load(std::memory_order_acquire);
}

double SidePlayer::PositionSeconds() const {
    return sampleRate_ > 0 ? static_cast<double>(Position()) / sampleRate_ : 0;
}

bool SidePlayer::Play(const std::string& path, double startSeconds, Side side) {
    Stop();
    std::unique_ptr<SideReader> reader = SideReader::Open(path);
    if (!reader) return false;
    const std::uint64_t frames = reader->Frames();
    sampleRate_ = reader->Format().sampleRate;
    const auto startFrame =
        static_cast<std::uint64_t>(std::llround(std::max(0.0, startSeconds) * sampleRate_));
    startFrame_ = std::min(startFrame, frames);
    peakLevel_ = settings_.PeakLevel(side);
    treble_ = TrebleFilter();
    treble_.tunedLevel = -1;  // tuned afresh at the first callback
    written_.store(0);
    taken_.store(0);
    readerDone_.store(false);
    quit_.store(false);

    reader_ = std::thread(
        [this, r = std::move(reader), frames]() mutable { ReadAhead(*r, frames - startFrame_); });
    const auto deadline = std::chrono::steady_clock::now() + kPrefillTimeout;
    while (written_.load() < kPrefillFrames && !readerDone_.load() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kWait);
    if (!stream_.Play(&SidePlayer::Callback, this, sampleRate_)) {
        Stop();
        return false;
    }
    return true;
}

void SidePlayer::ReadAhead(SideReader& reader, std::uint64_t frames) {
    const SideFormat& format = reader.Format();
    std::vector<std::uint8_t> stored(kReadFrames * format.BytesPerFrame());
    std::vector<std::int16_t> chunk(2 * kReadFrames);
    std::uint64_t put = 0;
    if (reader.Seek(startFrame_)) {
        while (put < frames && !quit_.load(std::memory_order_relaxed)) {
            const std::uint64_t room = kRingFrames - (put - taken_.load(std::memory_order_acquire));
            if (room < kReadFrames) {
                std::this_thread::sleep_for(kWait);
                continue;
            }
            const auto wanted = static_cast<std::size_t>(std::min(kReadFrames, frames - put));
            const std::size_t got = reader.Read(stored.data(), wanted);
            sidefile::ToStereo16(stored.data(), format, got, chunk.data());
            for (std::size_t i = 0; i < got; ++i) {
                const std::uint64_t slot = (put + i) % kRingFrames;
                ring_[2 * slot] = chunk[2 * i];
                ring_[2 * slot + 1] = chunk[2 * i + 1];
            }
            put += got;
            written_.store(put, std::memory_order_release);
            if (got < wanted) break;  // the file ended early, or a read failed
        }
    }
    readerDone_.store(true, std::memory_order_release);
}

int SidePlayer::Callback(std::int16_t* out, void* user) {
    auto& p = *static_cast<SidePlayer*>(user);
    const FrameTreatment treatment = waveview::TreatmentOf(p.settings_.Processing(), p.peakLevel_);
    p.treble_.Follow(treatment.level, p.sampleRate_);
    std::uint64_t taken = p.taken_.load(std::memory_order_relaxed);
    const std::uint64_t written = p.written_.load(std::memory_order_acquire);
    std::uint32_t i = 0;
    for (; i < kCallbackFrames && taken < written; ++i, ++taken, out += 2) {
        const std::int16_t* frame = &p.ring_[2 * (taken % kRingFrames)];
        waveview::TreatFrame(frame[0], frame[1], p.treble_, treatment, out);
    }
    std::fill(out, out + 2 * (kCallbackFrames - i), std::int16_t{0});
    p.taken_.store(taken, std::memory_order_release);
    return kCallbackContinue;
}
