#include "slice/SliceWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "model/SideState.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "settings/WorkControl.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/WaveFile.h"
#include "slice/FilterAhead.h"
#include "slice/SampleMath.h"
#include "slice/TrebleFilter.h"

namespace {

// The k-th (from 0) slice file of the request.
std::string SlicePath(const SliceRequest& request, std::size_t k) {
    const int index = static_cast<int>(k) + 1;
    return platform::JoinPath(request.folder,
                              request.tracks.SliceName(request.firstNumber + index - 1, index));
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::exists(a, ec) &&
           std::filesystem::exists(b, ec) && std::filesystem::equivalent(a, b, ec);
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// The per-block choices of the writer, taken at each multiple of 4410 frames.
struct BlockSettings {
    TrebleFilter* filter = nullptr;
    float level = 0;
    bool normalize = false;
    std::uint64_t start = 0;                 ///< side frame of the block's first frame
    const std::int16_t* filtered = nullptr;  ///< the block as the second thread filtered it
};

// The frame treatments after the filter, on `frames` interleaved frames in place.
void Normalize(std::int16_t* s, std::size_t frames, float gain) {
    for (std::size_t i = 0; i < frames * 2; ++i) {
        const float x = static_cast<float>(s[i]) / 32768.0f;
        s[i] = TruncateToSample(32767.0f * (x * gain));
    }
}

void Scale(std::int16_t* frame, float factor) {
    frame[0] = TruncateToSample(static_cast<float>(frame[0]) * factor);
    frame[1] = TruncateToSample(static_cast<float>(frame[1]) * factor);
}

// Fade in over the first `fade` frames of a slice, out over its last ones once the fade-in
// is done. `pos` is the side frame of s[0]; the slice is [start, end).
void Fade(std::int16_t* s, std::size_t frames, std::uint64_t pos, std::uint64_t start,
          std::uint64_t end, std::uint32_t fade) {
    if (fade == 0) return;
    const float length = static_cast<float>(fade);
    for (std::size_t i = 0; i < frames; ++i, ++pos) {
        const std::uint64_t into = pos - start;
        if (into < fade)
            Scale(s + 2 * i, static_cast<float>(into) / length);
        else if (pos + fade >= end)
            Scale(s + 2 * i, static_cast<float>(end - pos) / length);
    }
}

// One slice file being written: its stream, name and how many sample bytes it holds.
class SliceFile {
  public:
    bool Create(const std::string& path, const WaveFile& format, std::uint64_t frames) {
        path_ = path;
        held_ = 0;
        file_ = platform::OpenFile(path, "wb");
        created_ = file_ != nullptr;
        if (!file_) return Fail();
        if (!format.WriteHeader(file_.get(), static_cast<std::uint32_t>(frames * kBytesPerFrame)))
            return Fail();
        return true;
    }
    bool Write(const std::int16_t* samples, std::size_t frames) {
        const std::size_t bytes = frames * kBytesPerFrame;
        if (std::fwrite(samples, 1, bytes, file_.get()) != bytes) return Fail();
        held_ += bytes;
        return true;
    }
    /// Closes a slice that got every frame its header announced.
    bool Close() { return platform::CloseFile(file_) || Fail(); }
    /// Closes a slice cut short, its header made to state what it holds.
    bool CloseEarly() {
        return (PatchSizes(file_.get(), static_cast<std::uint32_t>(held_)) &&
                platform::CloseFile(file_)) ||
               Fail();
    }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

  private:
    // A slice that failed is removed: its header may not match what reached the disk.
    bool Fail() {
        error_ = std::strerror(errno ? errno : EIO);
        file_.reset();
        std::error_code ec;
        if (created_) std::filesystem::remove(path_, ec);
        created_ = false;
        return false;
    }
    platform::FilePtr file_;
    std::string path_;
    std::string error_;
    std::uint64_t held_ = 0;
    bool created_ = false;
};

std::string CannotWrite(const SliceFile& slice) {
    return "Cannot write the slice file " + Quoted(slice.path()) + " (" + slice.error() + ").";
}

}  // namespace

std::vector<std::uint64_t> SliceBoundaries(std::span<const std::int32_t> cuts,
                                           std::uint32_t sampleRate, std::uint64_t frames,
                                           std::size_t considered) {
    std::vector<std::uint64_t> positions;
    for (std::size_t k = 0; k < std::min(cuts.size(), considered); ++k) {
        if (cuts[k] <= 0) continue;
        const std::uint64_t p =
            static_cast<std::uint64_t>(sampleRate) * static_cast<std::uint64_t>(cuts[k]) / 10;
        if (p > 0 && p < frames) positions.push_back(p);
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

SliceResult WriteSlices(WorkControl& control, TrebleFilter& treble, const SliceRequest& request) {
    // "" is no folder (a front end's answer once it stops answering), never the root.
    if (request.folder.empty())
        return {0, SliceOutcome::CannotWrite, "No folder to write the slices to."};
    const auto considered =
        request.cuts.first(std::min(request.cuts.size(), request.cutsConsidered));
    if (std::all_of(considered.begin(), considered.end(), [](std::int32_t c) { return c == 0; }))
        return {0, SliceOutcome::NoCuts, {}};

    platform::FilePtr in = platform::OpenFile(request.sidePath, "rb");
    WaveFile wave;
    if (!in || !wave.ReadHeader(in.get())) return {0, SliceOutcome::Unreadable, {}};
    const std::uint64_t totalFrames = wave.dataBytes / kBytesPerFrame;
    if (totalFrames == 0) return {0, SliceOutcome::NoAudio, {}};

    std::vector<std::uint64_t> ends =
        SliceBoundaries(request.cuts, wave.sampleRate, totalFrames, request.cutsConsidered);
    ends.push_back(totalFrames);

    std::vector<std::string> sides = request.protectedPaths;
    sides.push_back(request.sidePath);
    for (std::size_t k = 0; k < ends.size(); ++k) {
        const std::string path = SlicePath(request, k);
        for (const std::string& side : sides)
            if (SameFile(path, side))
                return {0, SliceOutcome::WouldOverwriteSide,
                        "The slice file " + Quoted(path) +
                            " would replace a side recording, so this side was not sliced. "
                            "Move the recording to another folder or rename it."};
    }

    const std::uint32_t fade = control.Processing().FadeFrames(wave.sampleRate);
    const double span = request.progressEnd - request.progressStart;
    const std::uint64_t dataBytes = wave.dataBytes;
    const float gain = request.peakLevel > 0 ? 1.0f / request.peakLevel : 1.0f;
    WaveFile format;  // the slices' header: the side's rate, canonical layout
    format.sampleRate = wave.sampleRate;

    SliceResult result;
    std::size_t slice = 0;
    std::uint64_t start = 0, pos = 0;
    SliceFile out;
    // No file is begun once a stop is asked: a front end that is going away may no longer
    // answer the reads that named the folder.
    if (control.SlicingStopped()) return {0, SliceOutcome::Stopped, {}};
    if (!out.Create(SlicePath(request, 0), format, ends[0]))
        return {0, SliceOutcome::CannotWrite, CannotWrite(out)};

    std::unique_ptr<FilterAhead> ahead;
    WaveReader samples(in.get(), wave);
    ChunkReader reader(samples, totalFrames * kBytesPerFrame);
    BlockSettings block;
    for (std::span<std::int16_t> chunk = reader.Next(); !chunk.empty(); chunk = reader.Next()) {
        std::int16_t* s = chunk.data();
        std::size_t frames = chunk.size() / 2;
        std::int16_t* pending = s;  // processed frames of this slice not yet written
        while (frames > 0) {
            if (pos % kBlockFrames == 0 || !block.filter) {
                const ProcessingSettings settings = control.Processing();
                treble.Follow(settings.trebleBoost);
                block.filter = &treble;
                block.level = settings.trebleBoost;
                block.normalize =
                    request.normalizeAllowed && request.peakLevel > 0 && settings.normalize;
                block.start = pos;
                if (pos == 0 && block.level > 0 && totalFrames >= request.filterAhead.minFrames &&
                    platform::UsableProcessors() >= 2)
                    ahead =
                        std::make_unique<FilterAhead>(request.sidePath, *block.filter, block.level,
                                                      totalFrames, ends, request.filterAhead);
                // The second thread's frames, when its filter was in this one's state here
                // (and the chunk holds the whole block: a short read ends the taking over).
                block.filtered = nullptr;
                if (ahead && block.level > 0 &&
                    frames >= std::min<std::uint64_t>(kBlockFrames, totalFrames - pos))
                    block.filtered = ahead->Block(pos / kBlockFrames, *block.filter, block.level);
            }
            const std::uint64_t blockEnd = (pos / kBlockFrames + 1) * kBlockFrames;
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>({frames, blockEnd - pos, ends[slice] - pos}));
            if (block.filtered) {
                std::memcpy(s, block.filtered + 2 * (pos - block.start), n * kBytesPerFrame);
                ahead->HistoryAt(pos + n, *block.filter);
                result.framesFilteredAhead += n;
            } else if (block.level > 0) {
                block.filter->ProcessFrames(s, n, block.level);
            }
            if (block.normalize) Normalize(s, n, gain);
            Fade(s, n, pos, start, ends[slice], fade);
            s += 2 * n;
            frames -= n;
            pos += n;

            if (pos % kBlockFrames == 0) {
                if (control.SlicingStopped()) {
                    if (out.Write(pending, (s - pending) / 2)) out.CloseEarly();
                    return {0, SliceOutcome::Stopped, {}};
                }
                const double fraction =
                    static_cast<double>(pos * kBytesPerFrame) / static_cast<double>(dataBytes);
                control.SetGauge(Gauge::Slicing,
                                 request.progressStart + static_cast<int>(fraction * span));
            }
            if (pos == ends[slice]) {
                if (!out.Write(pending, (s - pending) / 2) || !out.Close())
                    return {result.written, SliceOutcome::CannotWrite, CannotWrite(out)};
                pending = s;
                if (request.sliceWritten)
                    request.sliceWritten(request.firstNumber + static_cast<int>(result.written));
                ++result.written;
                if (++slice == ends.size()) break;
                start = pos;
                if (control.SlicingStopped()) return {0, SliceOutcome::Stopped, {}};
                if (!out.Create(SlicePath(request, slice), format, ends[slice] - start))
                    return {result.written, SliceOutcome::CannotWrite, CannotWrite(out)};
            }
        }
        if (slice == ends.size()) break;
        if (!out.Write(pending, (s - pending) / 2))
            return {result.written, SliceOutcome::CannotWrite, CannotWrite(out)};
    }
    if (slice < ends.size()) {
        // The file ended early (a read error): keep what was written, stated correctly.
        if (!out.CloseEarly()) return {result.written, SliceOutcome::CannotWrite, CannotWrite(out)};
        return {result.written, SliceOutcome::ReadFailed,
                "Reading " + Quoted(request.sidePath) + " failed before its end."};
    }
    control.SetGauge(Gauge::Slicing, request.progressEnd);
    return result;
}
