#include "waveview/SidePlayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "sidefile/SampleLayout.h"
#include "sidefile/SideReader.h"
#include "slice/RepairedReader.h"

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

    const repair::RepairStrength strength =
        slice::RepairStrengthOf(settings_.Processing().repairLevel);
    reader_ = std::thread([this, r = std::move(reader), frames, strength]() mutable {
        ReadAhead(*r, frames - startFrame_, strength);
    });
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

void SidePlayer::ReadAhead(SideReader& reader, std::uint64_t frames,
                           repair::RepairStrength strength) {
    if (strength != repair::RepairStrength::Off) {
        // Repaired as the slices will be; the repairer's chunks go in as room frees.
        RepairedReader repaired(reader, strength, startFrame_, frames, ChunkForm::Stereo16);
        for (std::span<std::uint8_t> chunk = repaired.NextStored(); !chunk.empty();
             chunk = repaired.NextStored())
            if (!Put(reinterpret_cast<const std::int16_t*>(chunk.data()), chunk.size() / 4)) break;
        readerDone_.store(true, std::memory_order_release);
        return;
    }
    const SideFormat& format = reader.Format();
    std::vector<std::uint8_t> stored(kReadFrames * format.BytesPerFrame());
    std::vector<std::int16_t> chunk(2 * kReadFrames);
    if (reader.Seek(startFrame_)) {
        for (std::uint64_t put = 0; put < frames;) {
            const auto wanted = static_cast<std::size_t>(std::min(kReadFrames, frames - put));
            const std::size_t got = reader.Read(stored.data(), wanted);
            sidefile::ToStereo16(stored.data(), format, got, chunk.data());
            if (!Put(chunk.data(), got)) break;  // waits for room; false once asked to quit
            put += got;
            if (got < wanted) break;  // the file ended early, or a read failed
        }
    }
    readerDone_.store(true, std::memory_order_release);
}

bool SidePlayer::WaitForRoom(std::uint64_t frames) {
    for (;;) {
        if (quit_.load(std::memory_order_relaxed)) return false;
        const std::uint64_t put = written_.load(std::memory_order_relaxed);
        if (kRingFrames - (put - taken_.load(std::memory_order_acquire)) >= frames) return true;
        std::this_thread::sleep_for(kWait);
    }
}

bool SidePlayer::Put(const std::int16_t* frames, std::size_t count) {
    while (count > 0) {
        const std::uint64_t n = std::min<std::uint64_t>(count, kReadFrames);
        if (!WaitForRoom(n)) return false;
        const std::uint64_t put = written_.load(std::memory_order_relaxed);
        for (std::uint64_t i = 0; i < n; ++i) {
            const std::uint64_t slot = (put + i) % kRingFrames;
            ring_[2 * slot] = frames[2 * i];
            ring_[2 * slot + 1] = frames[2 * i + 1];
        }
        written_.store(put + n, std::memory_order_release);
        frames += 2 * n;
        count -= n;
    }
    return true;
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
