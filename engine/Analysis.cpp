#include "engine/Analysis.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "audio/WaveFile.h"
#include "engine/ChunkReader.h"
#include "engine/JobContext.h"
#include "engine/MenuSettings.h"
#include "engine/SideState.h"
#include "engine/TrebleFilter.h"
#include "platform/File.h"

namespace {

constexpr std::uint64_t kStopCheckFrames = 100;
constexpr float kLevelCap = 0.99f;
constexpr std::int64_t kBlocksPerSecond = 10;

float LevelOf(int peak) {
    return std::min(static_cast<float>(peak) / 32768.0f, kLevelCap);
}

}  // namespace

AnalysisResult AnalyzeSide(JobContext& ctx, const std::string& path, std::int64_t silenceSeconds,
                           int progressStart, int progressEnd) {
    AnalysisResult result;
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile wave;
    if (!in || !wave.ReadHeader(in.get())) return result;

    const std::uint64_t totalFrames = wave.dataBytes / kBytesPerFrame;
    // The last level entry is stored at frame 4410 * 65534; reading stops after it.
    const std::uint64_t frames =
        std::min<std::uint64_t>(totalFrames, std::uint64_t{kBlockFrames} * (kMaxLevels - 1) + 1);
    const float level = menu::BoostLevelForEqId(ctx.SelectedEqId());
    const double span = progressEnd - progressStart;
    const double framesInHundredThousands = static_cast<double>(totalFrames) / 100000.0;
    result.levels.reserve(static_cast<std::size_t>((frames + kBlockFrames - 1) / kBlockFrames));

    ChunkReader reader(wave, in.get(), frames * kBytesPerFrame);
    std::uint64_t i = 0;  // side frame of the chunk's next frame
    int blockPeak = 0;    // of the frames since the last stored entry
    for (std::span<std::int16_t> chunk = reader.Next(); !chunk.empty(); chunk = reader.Next()) {
        std::int16_t* s = chunk.data();
        const std::uint64_t chunkEnd = i + chunk.size() / 2;
        while (i < chunkEnd) {
            TrebleFilter& filter = ctx.Treble();
            if (i % kBlockFrames == 0) {
                // The block's first frame closes the entry before it.
                const float entry = LevelOf(std::max(blockPeak, filter.ProcessFrames(s, 1, level)));
                result.levels.push_back(entry);
                result.peak = std::max(result.peak, entry);
                blockPeak = 0;
                const double fraction =
                    (static_cast<double>(i) / 100000.0) / framesInHundredThousands;
                ctx.SetGauge(Gauge::Slicing, progressStart + static_cast<int>(fraction * span));
                s += 2;
                ++i;
                if (i % kStopCheckFrames == 0 && ctx.TestDestroy()) return AnalysisResult{};
            }
            // The rest of the block, cut where the 100-frame stop checks fall.
            const std::uint64_t blockEnd =
                std::min(chunkEnd, (i / kBlockFrames + 1) * kBlockFrames);
            while (i < blockEnd) {
                const std::uint64_t stopAt = (i / kStopCheckFrames + 1) * kStopCheckFrames;
                const std::size_t n = static_cast<std::size_t>(std::min(blockEnd, stopAt) - i);
                blockPeak = std::max(blockPeak, filter.ProcessFrames(s, n, level));
                s += 2 * n;
                i += n;
                if (i % kStopCheckFrames == 0 && ctx.TestDestroy()) return AnalysisResult{};
            }
        }
    }
    result.levelCount = static_cast<std::uint32_t>(result.levels.size());
    const std::int64_t window =
        std::clamp<std::int64_t>(silenceSeconds, 0, INT32_MAX) * kBlocksPerSecond;
    result.cuts = ChooseAutoSenseCuts(
        result.levels, static_cast<std::int64_t>(totalFrames / kBlockFrames), window);
    result.ok = true;
    return result;
}
