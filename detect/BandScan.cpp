#include "detect/BandScan.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "detect/BandEnergy.h"
#include "model/SideState.h"
#include "platform/File.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/SampleLayout.h"
#include "sidefile/SideReader.h"

BandScan::BandScan(const std::string& path, std::uint64_t frames, std::uint64_t splitFrames)
    : thread_([this, path, frames, splitFrames] { Run(path, frames, splitFrames); }) {}

BandScan::~BandScan() {
    cancel_.store(true);
    thread_.join();
}

bool BandScan::Measure(const std::string& path, std::uint64_t from, std::uint64_t to,
                       std::vector<float>& blocks) {
    const std::unique_ptr<SideReader> side = SideReader::Open(path);
    if (!side) return false;
    const std::uint32_t blockFrames = side->Format().BlockFrames();
    BandEnergy bands(blockFrames);
    const std::size_t chunkFrames = ChunkReader::kChunkBlocks * blockFrames;
    const auto buffer = std::make_unique<std::int16_t[]>(2 * chunkFrames);
    std::vector<std::uint8_t> stored(chunkFrames * side->Format().BytesPerFrame());
    // `n` frames from where the side stands, as 16-bit stereo into the buffer.
    const auto read = [&](std::size_t n) {
        const std::size_t got = side->Read(stored.data(), n);
        sidefile::ToStereo16(stored.data(), side->Format(), got, buffer.get());
        return got;
    };
    bool ok = true;
    if (from > 0) {
        const std::size_t prime = bands.PrimeFrames();
        ok = side->Seek(from - prime) && read(prime) == prime;
        if (ok) bands.Prime(buffer.get());
    }
    for (std::uint64_t done = from; ok && done < to && !cancel_.load();) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(chunkFrames, to - done));
        const std::size_t got = read(n);
        ok = got == n;
        bands.Feed(buffer.get(), got);
        done += n;
    }
    blocks = bands.Blocks();
    return ok && !cancel_.load();
}

void BandScan::Run(const std::string& path, std::uint64_t frames, std::uint64_t splitFrames) {
    // The second half from a block boundary, on a thread of its own.
    const std::unique_ptr<SideReader> side = SideReader::Open(path);
    const std::uint32_t blockFrames = side ? side->Format().BlockFrames() : kBlockFrames;
    const std::uint64_t middle = frames / 2 / blockFrames * blockFrames;
    const bool split = frames >= splitFrames && middle >= BandEnergy(blockFrames).PrimeFrames() &&
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
