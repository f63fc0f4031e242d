// Fuzz target: a whole side through the analysis and the slice writer. The input's first
// bytes choose the settings and the cut list, the rest is the side's WAV file. Whatever
// the file holds, every slice written must be a valid WAV whose header states exactly the
// frames that follow it, and without processing the slices must be the side's frames.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliContext.h"
#include "detect/Analysis.h"
#include "platform/File.h"
#include "sidefile/WaveReader.h"
#include "slice/SliceWriter.h"

namespace {

constexpr std::size_t kSettingsBytes = 2 + 2 * 10;

void Check(bool condition) {
    if (!condition) std::abort();
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    platform::FilePtr in = platform::OpenFile(path, "rb");
    if (!in) return bytes;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;)
        bytes.append(buffer, got);
    return bytes;
}

std::uint32_t Le32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(s[at + i]);
    return v;
}

const std::string& Folder() {
    static const std::string folder = [] {
        std::string f = "/tmp/velvane-fuzz-slices-" + std::to_string(getpid());
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kSettingsBytes) return 0;
    const std::string side = Folder() + "/side.wav";
    for (const auto& entry : std::filesystem::directory_iterator(Folder()))
        std::filesystem::remove(entry.path());
    {
        platform::FilePtr out = platform::OpenFile(side, "wb");
        if (!out) return 0;
        std::fwrite(data + kSettingsBytes, 1, size - kSettingsBytes, out.get());
    }

    // Settings: EQ id, fade id, Normalize; then ten cuts of up to 327.67 s (or negative).
    WindowState state = cli::BatchDefaults();
    state.fields.side1Path = side;
    state.fields.eqId = 708 + (data[0] & 7);
    state.fields.fadeId = 300 + ((data[0] >> 3) & 3);
    state.fields.volumeId = (data[0] & 0x20) ? 501 : 500;
    std::int32_t cuts[10];
    for (int i = 0; i < 10; ++i)
        cuts[i] = static_cast<std::int16_t>(data[2 + 2 * i] | (data[3 + 2 * i] << 8)) / 8;
    const bool processed = (data[0] & 0x3F) != 0;

    CliContext ctx(state, false);
    const AnalysisResult analysis =
        detect::AnalyzeSide(ctx, ctx.Treble(), side, data[1] & 7, 0, 100);
    Check(analysis.levels.size() == analysis.levelCount);
    Check(analysis.peak >= 0 && analysis.peak <= 0.99f);

    SliceRequest request;
    request.sidePath = side;
    request.cuts = (data[1] & 0x80) ? std::span<const std::int32_t>(analysis.cuts)
                                    : std::span<const std::int32_t>(cuts);
    request.folder = Folder();
    request.peakLevel = analysis.peak;
    request.normalizeAllowed = true;
    const SliceResult result = slice::WriteSlices(ctx, ctx.Treble(), request);

    std::string joined;
    for (unsigned n = 1; n <= result.written; ++n) {
        const std::string bytes = ReadAll(Folder() + "/" + std::to_string(n) + ".wav");
        Check(bytes.size() >= 44);
        Check(Le32(bytes, 40) == bytes.size() - 44);
        Check(Le32(bytes, 4) == bytes.size() - 8);
        joined += bytes.substr(44);
    }
    Check(!std::filesystem::exists(Folder() + "/" + std::to_string(result.written + 1) + ".wav"));
    if (result.written > 0 && !processed) {
        platform::FilePtr in = platform::OpenFile(side, "rb");
        WaveFile wave;
        Check(in && wave.ReadHeader(in.get()));
        std::string samples(wave.dataBytes, '\0');
        samples.resize(WaveReader(in.get(), wave).ReadBytes(samples.data(), samples.size()));
        Check(joined == samples);
    }
    return 0;
}
