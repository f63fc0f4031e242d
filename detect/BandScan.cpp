#include "detect/BandScan.h"

#include <algorithm>
#include <memory>

#include "detect/BandEnergy.h"
#include "model/SideState.h"
#include "platform/File.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/WaveFile.h"
#include "sidefile/WaveReader.h"

BandScan::BandScan(const std::string& path, std::uint64_t frames)
    : thread_([this, path, frames] { Run(path, frames); }) {}

BandScan::~BandScan() {
    cancel_.store(true);
    thread_.join();
}

void BandScan::Run(const std::string& path, std::uint64_t frames) {
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile header;
    bool ok = in && header.ReadHeader(in.get());
    if (ok) {
        WaveReader wave(in.get(), header);
        BandEnergy bands;
        const auto buffer = std::make_unique<std::int16_t[]>(2 * ChunkReader::kChunkFrames);
        for (std::uint64_t done = 0; ok && done < frames && !cancel_.load();) {
            const std::uint64_t n =
                std::min<std::uint64_t>(ChunkReader::kChunkFrames, frames - done);
            const std::size_t got = wave.ReadBytes(buffer.get(), n * kBytesPerFrame);
            ok = got == n * kBytesPerFrame;
            bands.Feed(buffer.get(), got / kBytesPerFrame);
            done += n;
        }
        blocks_ = bands.Blocks();
    }
    failed_.store(!ok || cancel_.load());
    ended_.store(true, std::memory_order_release);
}
