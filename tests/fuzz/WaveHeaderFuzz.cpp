// Fuzz target: the WAV header reader and the byte reader over whatever data it finds,
// then the format check and the description on a file holding the same bytes.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/File.h"
#include "sidefile/WaveReader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Reads the data in pieces whose sizes come from the input itself.
void ReadAllData(const WaveFile& header, WaveReader& wave, const std::uint8_t* data,
                 std::size_t size) {
    std::vector<std::uint8_t> buffer(3 * WaveReader::kReadBufferBytes);
    std::uint64_t total = 0;
    for (std::size_t i = 0;; ++i) {
        const std::size_t want =
            size ? 1 + (data[i % size] * 977u + i * 131u) % buffer.size() : 4096;
        const std::size_t got = wave.ReadBytes(buffer.data(), want);
        Check(got <= want);
        total += got;
        if (got < want) break;
    }
    // Everything after the data chunk's header is delivered, and nothing more.
    Check(total == size - header.dataOffset);
}

const std::string& ScratchPath() {
    static const std::string path = "/tmp/velvane-fuzz-" + std::to_string(getpid()) + ".wav";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0) {
        platform::FilePtr in(fmemopen(const_cast<std::uint8_t*>(data), size, "rb"));
        if (in) {
            WaveFile wave;
            if (wave.ReadHeader(in.get())) {
                Check(wave.dataOffset <= size);
                Check(wave.dataBytes <= size - wave.dataOffset);
                Check(wave.dataBytes % kBytesPerFrame == 0);
                Check(wave.sampleCount == static_cast<std::int32_t>(wave.dataBytes / 2));
                Check(wave.format.channels == 2 && wave.format.bitsPerSample == 16);
                WaveReader reader(in.get(), wave);
                ReadAllData(wave, reader, data, size);
                Check(reader.SeekData(0));
                std::uint8_t first[4];
                const std::size_t got = reader.ReadBytes(first, sizeof first);
                Check(got == std::min<std::uint64_t>(4, size - wave.dataOffset));
            }
        }
    }

    {
        platform::FilePtr out = platform::OpenFile(ScratchPath(), "wb");
        if (!out) return 0;
        std::fwrite(data, 1, size, out.get());
    }
    const bool stereo = WaveFile::IsStereoWave(ScratchPath(), 44100);
    const std::string text = WaveFile::Describe(ScratchPath());
    Check(!text.empty());
    if (stereo) {
        const std::optional<WaveFormat> format = WaveFile::Probe(ScratchPath());
        Check(format && format->channels == 2 && format->sampleRate == 44100 &&
              format->bitsPerSample == 16 && format->isPcm);
    }
    return 0;
}
