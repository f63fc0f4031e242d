#include "detect/BandScan.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "detect/BandEnergy.h"
#include "model/SideState.h"
#include "platform/File.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/WaveFile.h"
#include "sidefile/WaveReader.h"

BandScan::BandScan(const std::string& path, std::uint64_t frames, std::uint64_t splitFrames)
    : thread_([this, path, frames, splitFrames] { Run(path, frames, splitFrames); }) {}

BandScan::~BandScan() {
    cancel_.store(true);
    thread_.join();
}

bool BandScan::Measure(const std::string& path, std::uint64_t from, std::uint64_t to,
                       std::vector<float>& blocks) {
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile header;
    if (!in || !header.ReadHeader(in.get())) return false;
    WaveReader wave(in.get(), header);
    BandEnergy bands;
    const auto buffer = std::make_unique<std::int16_t[]>(2 * ChunkReader::kChunkFrames);
    bool ok = true;
    if (from > 0) {
        const std::uint64_t primeFrom = from - BandEnergy::kPrimeFrames;
        constexpr std::size_t kPrimeBytes = BandEnergy::kPrimeFrames * kBytesPerFrame;
        ok = wave.SeekData(primeFrom * kBytesPerFrame) &&
             wave.ReadBytes(buffer.get(), kPrimeBytes) == kPrimeBytes;
        if (ok) bands.Prime(buffer.get());
    }
    for (std::uint64_t done = from; ok && done < to && !cancel_.load();) {
        const std::uint64_t n = std::min<std::uint64_t>(ChunkReader::kChunkFrames, to - done);
        const std::size_t got = wave.ReadBytes(buffer.get(), n * kBytesPerFrame);
        ok = got == n * kBytesPerFrame;
        bands.Feed(buffer.get(), got / kBytesPerFrame);
        done += n;
    }
    blocks = bands.Blocks();
    return ok && !cancel_.load();
}

void BandScan::Run(const std::string& path, std::uint64_t frames, std::uint64_t splitFrames) {
    // The second half from a block boundary, on a thread of its own.
    const std::uint64_t middle = frames / 2 / kBlockFrames * kBlockFrames;
    const bool split = frames >= splitFrames && middle >= BandEnergy::kPrimeFrames &&
                       std::thread::hardware_concurrency() >= 2;
    std::vector<float> second;
    bool secondOk = true;
    std::thread other;
    if (split) other = std::thread([&] { secondOk = Measure(path, middle, frames, second); });
    const bool ok = Measure(path, 0, split ? middle : frames, blocks_);
    if (other.joinable()) other.join();
    blocks_.insert(blocks_.end(), second.begin(), second.end());
    failed_.store(!ok || !secondOk);
    ended_.store(true, std::memory_order_release);
}
