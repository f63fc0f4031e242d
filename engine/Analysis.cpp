#include "engine/Analysis.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

#include "audio/WaveFile.h"
#include "engine/ChunkReader.h"
#include "engine/JobContext.h"
#include "engine/MenuSettings.h"
#include "engine/SideState.h"
#include "engine/SpeculativeScan.h"
#include "engine/TrebleFilter.h"
#include "platform/File.h"

namespace {

constexpr std::uint64_t kStopCheckFrames = 100;
constexpr float kLevelCap = 0.99f;
constexpr std::int64_t kBlocksPerSecond = 10;
constexpr auto kPollInterval = std::chrono::milliseconds(1);

float LevelOf(int peak) {
    return std::min(static_cast<float>(peak) / 32768.0f, kLevelCap);
}

// Waits for the second-half scan while the job stays stoppable and its gauge keeps moving.
// `until` says when to stop waiting; false when a stop came first.
template <typename Until>
bool Await(JobContext& ctx, const SpeculativeScan& scan, Until until) {
    for (;;) {
        const bool done = until(scan.BlocksDone(), scan.Ended());
        if (ctx.TestDestroy()) return false;
        if (done) return true;
        std::this_thread::sleep_for(kPollInterval);
    }
}

}  // namespace

AnalysisResult AnalyzeSide(JobContext& ctx, const std::string& path, std::int64_t silenceSeconds,
                           int progressStart, int progressEnd, const AnalysisSplit& split,
                           const std::optional<SmartSenseOptions>& smart) {
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile wave;
    if (!in || !wave.ReadHeader(in.get())) return {};

    const std::uint64_t totalFrames = wave.dataBytes / kBytesPerFrame;
    // The last level entry is stored at frame 4410 * 65534; reading stops after it.
    const std::uint64_t frames =
        std::min<std::uint64_t>(totalFrames, std::uint64_t{kBlockFrames} * (kMaxLevels - 1) + 1);
    const std::uint64_t blocks = (frames + kBlockFrames - 1) / kBlockFrames;
    const float level = menu::BoostLevelForEqId(ctx.SelectedEqId());
    const double span = progressEnd - progressStart;
    const double framesInHundredThousands = static_cast<double>(totalFrames) / 100000.0;
    auto gauge = [&](std::uint64_t block) {
        const double i = static_cast<double>(block * kBlockFrames);
        const double fraction = (i / 100000.0) / framesInHundredThousands;
        ctx.SetGauge(Gauge::Slicing, progressStart + static_cast<int>(fraction * span));
    };

    // The second half goes to another thread when the side is long enough to gain by it.
    std::unique_ptr<SpeculativeScan> scan;
    const std::uint64_t splitBlock = blocks / 2;
    if (frames >= split.minFrames && splitBlock > 0 && split.checkpoints > 0 &&
        std::thread::hardware_concurrency() >= 2)
        scan = std::make_unique<SpeculativeScan>(path, ctx.Treble(), level, splitBlock, frames,
                                                 split.warmUpFrames, split.checkpoints,
                                                 smart.has_value());
    std::optional<BandEnergy> bands;
    if (smart) bands.emplace();

    BlockPeaks peaks;
    peaks.head.resize(blocks);
    peaks.tail.resize(blocks);
    std::uint64_t joinBlock = blocks;  // where the second-half results take over
    auto reader = std::make_unique<ChunkReader>(wave, in.get(), frames * kBytesPerFrame);
    std::uint64_t i = 0;  // side frame of the next frame
    while (joinBlock == blocks) {
        const std::span<std::int16_t> chunk = reader->Next();
        if (chunk.empty()) break;
        std::int16_t* s = chunk.data();
        const std::uint64_t chunkEnd = i + chunk.size() / 2;
        if (bands) bands->Feed(s, chunk.size() / 2);  // before the filter changes them
        while (i < chunkEnd) {
            TrebleFilter& filter = ctx.Treble();
            const std::uint64_t q = i / kBlockFrames;
            if (i % kBlockFrames == 0) {
                if (scan && q >= splitBlock) {
                    const std::uint64_t k = q - splitBlock;
                    if (!Await(ctx, *scan,
                               [k](std::uint64_t done, bool ended) { return done > k || ended; }))
                        return {};
                    if (!scan->Failed() && scan->Matches(k, filter)) {
                        joinBlock = q;
                        break;
                    }
                    if (scan->Failed() || k + 1 >= static_cast<std::uint64_t>(split.checkpoints))
                        scan.reset();  // no agreement: this thread does the rest alone
                }
                gauge(q);
                peaks.head[q] = filter.ProcessFrames(s, 1, level);
                s += 2;
                ++i;
                if (i % kStopCheckFrames == 0 && ctx.TestDestroy()) return {};
            }
            // The rest of the block, cut where the 100-frame stop checks fall.
            const std::uint64_t blockEnd = std::min(chunkEnd, (q + 1) * kBlockFrames);
            while (i < blockEnd) {
                const std::uint64_t stopAt = (i / kStopCheckFrames + 1) * kStopCheckFrames;
                const std::size_t n = static_cast<std::size_t>(std::min(blockEnd, stopAt) - i);
                peaks.tail[q] = std::max(peaks.tail[q], filter.ProcessFrames(s, n, level));
                s += 2 * n;
                i += n;
                if (i % kStopCheckFrames == 0 && ctx.TestDestroy()) return {};
            }
        }
    }
    reader.reset();

    if (joinBlock < blocks) {
        // The states agree: the second thread's results from here on are this pass's own.
        std::uint64_t next = joinBlock;  // the next block whose gauge step is due
        if (!Await(ctx, *scan, [&](std::uint64_t done, bool ended) {
                for (; next < splitBlock + done; ++next) gauge(next);
                return ended;
            }))
            return {};
        if (scan->Failed()) return {};
        for (std::uint64_t q = joinBlock; q < blocks; ++q) {
            peaks.head[q] = scan->Peaks().head[q - splitBlock];
            peaks.tail[q] = scan->Peaks().tail[q - splitBlock];
        }
        TrebleFilter& filter = ctx.Treble();
        std::copy(std::begin(scan->Final().left), std::end(scan->Final().left), filter.left);
        std::copy(std::begin(scan->Final().right), std::end(scan->Final().right), filter.right);
    }
    // This thread measured whole chunks, so at least up to the block after joinBlock's
    // start; the second thread's blocks from there on are exact.
    std::vector<float> energies;
    if (bands) {
        energies = bands->Blocks();
        if (joinBlock < blocks) {
            const BandEnergy& rest = *scan->Bands();
            for (std::uint64_t q = energies.size(); q < rest.FirstBlock() + rest.Blocks().size();
                 ++q)
                energies.push_back(rest.Blocks()[q - rest.FirstBlock()]);
        }
    }

    // Entry 0 is frame 0 alone; entry q closes with frame 4410q the frames after the last.
    AnalysisResult result;
    const std::uint64_t entries =
        joinBlock < blocks ? blocks : (i + kBlockFrames - 1) / kBlockFrames;
    for (std::uint64_t q = 0; q < entries; ++q) {
        const float entry =
            LevelOf(q == 0 ? peaks.head[0] : std::max(peaks.tail[q - 1], peaks.head[q]));
        result.levels.push_back(entry);
        result.peak = std::max(result.peak, entry);
    }
    result.levelCount = static_cast<std::uint32_t>(result.levels.size());
    const std::int64_t window =
        std::clamp<std::int64_t>(silenceSeconds, 0, INT32_MAX) * kBlocksPerSecond;
    result.cuts = ChooseAutoSenseCuts(
        result.levels, static_cast<std::int64_t>(totalFrames / kBlockFrames), window);
    if (smart) result.smartCuts = ChooseSmartSenseCuts(energies, *smart);
    result.ok = true;
    return result;
}
