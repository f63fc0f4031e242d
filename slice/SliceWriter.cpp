#include "slice/SliceWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "model/SideState.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "resample/Resampler.h"
#include "settings/WorkControl.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/SampleLayout.h"
#include "sidefile/SideReader.h"
#include "sidefile/WaveHeader.h"
#include "slice/FilterAhead.h"
#include "slice/RepairedReader.h"
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

// The per-block choices of the writer, taken at each multiple of the block's frames.
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
        s[i] = slice::TruncateToSample(32767.0f * (x * gain));
    }
}

void Scale(std::int16_t* frame, float factor) {
    frame[0] = slice::TruncateToSample(static_cast<float>(frame[0]) * factor);
    frame[1] = slice::TruncateToSample(static_cast<float>(frame[1]) * factor);
}

void Scale(double* frame, float factor) {
    frame[0] *= factor;
    frame[1] *= factor;
}

// Fade in over the first `fade` frames of a slice, out over its last ones once the fade-in
// is done. `pos` is the side frame of s[0]; the slice is [start, end).
template <typename Sample>
void Fade(Sample* s, std::size_t frames, std::uint64_t pos, std::uint64_t start, std::uint64_t end,
          std::uint32_t fade) {
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

// One slice file being written: its stream, name, header and how many sample bytes it holds.
class SliceFile {
  public:
    bool Create(const std::string& path, const WaveHeader& header, std::uint64_t dataBytes) {
        path_ = path;
        header_ = header;
        held_ = 0;
        file_ = platform::OpenFile(path, "wb");
        created_ = file_ != nullptr;
        if (!file_) return Fail();
        if (!header_.Write(file_.get(), dataBytes)) return Fail();
        return true;
    }
    bool Write(const void* bytes, std::size_t n) {
        if (std::fwrite(bytes, 1, n, file_.get()) != n) return Fail();
        held_ += n;
        return true;
    }
    /// Closes a slice that got every frame its header announced.
    bool Close() { return platform::CloseFile(file_) || Fail(); }
    /// Closes a slice whose length was not known or was cut short, its header made to state
    /// what it holds.
    bool CloseEarly() {
        return (header_.Patch(file_.get(), held_) && platform::CloseFile(file_)) || Fail();
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
    WaveHeader header_;
    std::string path_;
    std::string error_;
    std::uint64_t held_ = 0;
    bool created_ = false;
};

// Where the treated frames of a slice go: its file, in the side's format or as CD audio.
class SliceOutput {
  public:
    SliceOutput(const SideFormat& side, bool cd, std::uint64_t riffLimit)
        : side_(side), cd_(cd), riffLimit_(riffLimit) {}

    bool Create(const std::string& path, std::uint64_t frames) {
        if (!cd_)
            return file_.Create(path,
                                WaveHeader::For(side_, frames * side_.BytesPerFrame(), riffLimit_),
                                frames * side_.BytesPerFrame());
        resampler_.reset();
        if (side_.sampleRate != kCdFormat.sampleRate)
            resampler_ = std::make_unique<Resampler>(side_.sampleRate, kCdFormat.sampleRate);
        const std::uint64_t estimate = frames * kCdFormat.sampleRate / side_.sampleRate;
        return file_.Create(path, WaveHeader::For(kCdFormat, estimate * 4 + 4096, riffLimit_),
                            estimate * 4);
    }
    /// 16-bit stereo frames of a 16-bit side.
    bool Put16(const std::int16_t* s, std::size_t frames) {
        if (side_.channels == 2) return file_.Write(s, frames * 4);
        bytes_.resize(frames * 2);
        sidefile::FromStereo16(s, frames, side_, bytes_.data());
        return file_.Write(bytes_.data(), bytes_.size());
    }
    /// Frames as the side stores them.
    bool PutStored(const std::uint8_t* s, std::size_t frames) {
        return file_.Write(s, frames * side_.BytesPerFrame());
    }
    /// Stereo doubles: stored in the side's encoding, or resampled and dithered for a CD.
    bool PutWide(const double* s, std::size_t frames) {
        if (!cd_) {
            bytes_.resize(frames * side_.BytesPerFrame());
            sidefile::FromStereoDouble(s, frames, side_, bytes_.data());
            return file_.Write(bytes_.data(), bytes_.size());
        }
        if (!resampler_) return PutCd(s, frames);
        resampled_.clear();
        return resampler_->Process(s, frames, resampled_) &&
               PutCd(resampled_.data(), resampled_.size() / 2);
    }
    /// The slice got all its frames.
    bool Close() {
        if (!cd_) return file_.Close();
        if (resampler_) {
            resampled_.clear();
            if (!resampler_->Flush(resampled_) || !PutCd(resampled_.data(), resampled_.size() / 2))
                return false;
        }
        return file_.CloseEarly();
    }
    bool CloseEarly() { return file_.CloseEarly(); }
    const SliceFile& File() const { return file_; }

  private:
    bool PutCd(const double* s, std::size_t frames) {
        cd16_.resize(frames * 2);
        for (std::size_t i = 0; i < 2 * frames; ++i) cd16_[i] = dither_.Next(s[i]);
        return file_.Write(cd16_.data(), cd16_.size() * 2);
    }

    const SideFormat side_;
    const bool cd_;
    const std::uint64_t riffLimit_;
    SliceFile file_;
    std::unique_ptr<Resampler> resampler_;
    TpdfDither dither_;
    std::vector<std::uint8_t> bytes_;
    std::vector<double> resampled_;
    std::vector<std::int16_t> cd16_;
};

std::string CannotWrite(const SliceOutput& out) {
    return "Cannot write the slice file " + Quoted(out.File().path()) + " (" + out.File().error() +
           ").";
}

}  // namespace

std::vector<std::uint64_t> slice::SliceBoundaries(std::span<const std::int32_t> cuts,
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

SliceResult slice::WriteSlices(WorkControl& control, TrebleFilter& treble,
                               const SliceRequest& request) {
    // "" is no folder (a front end's answer once it stops answering), never the root.
    if (request.folder.empty())
        return {0, SliceOutcome::CannotWrite, "No folder to write the slices to."};
    const auto considered =
        request.cuts.first(std::min(request.cuts.size(), request.cutsConsidered));
    if (!request.oneSliceWithoutCuts &&
        std::all_of(considered.begin(), considered.end(), [](std::int32_t c) { return c == 0; }))
        return {0, SliceOutcome::NoCuts, {}};

    const std::unique_ptr<SideReader> side = SideReader::Open(request.sidePath);
    if (!side) return {0, SliceOutcome::Unreadable, {}};
    const SideFormat format = side->Format();
    const std::uint64_t totalFrames = side->Frames();
    if (totalFrames == 0) return {0, SliceOutcome::NoAudio, {}};
    const std::uint32_t blockFrames = format.BlockFrames();
    const std::uint64_t endFrame =
        request.endFrame > 0 && request.endFrame < totalFrames ? request.endFrame : totalFrames;
    const std::uint64_t firstFrame = std::min(request.firstFrame, endFrame - 1);

    std::vector<std::uint64_t> ends =
        SliceBoundaries(request.cuts, format.sampleRate, endFrame, request.cutsConsidered);
    std::erase_if(ends, [firstFrame](std::uint64_t p) { return p <= firstFrame; });
    ends.push_back(endFrame);

    std::vector<std::string> sides = request.protectedPaths;
    sides.push_back(request.sidePath);
    for (std::size_t k = 0; k < ends.size(); ++k) {
        const std::string path = SlicePath(request, k);
        for (const std::string& protectedPath : sides)
            if (SameFile(path, protectedPath))
                return {0, SliceOutcome::WouldOverwriteSide,
                        "The slice file " + Quoted(path) +
                            " would replace a side recording, so this side was not sliced. "
                            "Move the recording to another folder or rename it."};
    }

    const ProcessingSettings atStart = control.Processing();
    const std::uint32_t fade = atStart.FadeFrames(format.sampleRate);
    const double span = request.progressEnd - request.progressStart;
    float gain = request.peakLevel > 0 ? 1.0f / request.peakLevel : 1.0f;
    // Clicks are judged on the recording as it is: the repair comes before every treatment,
    // and Normalize then divides by the peak of the repaired frames, measured once it is on.
    const repair::RepairStrength repairStrength = slice::RepairStrengthOf(atStart.repairLevel);
    const bool repairing = repairStrength != repair::RepairStrength::Off;
    bool repairedPeakMeasured = false;
    std::vector<unsigned> repairedClicks(repairing ? ends.size() : 0);
    // A 16-bit side is treated in 16 bits; a finer one, or any going to a CD, in doubles.
    const bool cd = atStart.cdAudio && !format.IsCdAudio();
    const bool in16 = format.encoding == SampleEncoding::Int16 && !cd;

    SliceResult result;
    std::size_t slice = 0;
    std::uint64_t start = firstFrame, pos = firstFrame;
    SliceOutput out(format, cd, request.riffLimit);
    // No file is begun once a stop is asked: a front end that is going away may no longer
    // answer the reads that named the folder.
    if (control.SlicingStopped()) return {0, SliceOutcome::Stopped, {}};
    if (!repairing && !side->Seek(firstFrame)) return {0, SliceOutcome::Unreadable, {}};
    if (!out.Create(SlicePath(request, 0), ends[0] - firstFrame))
        return {0, SliceOutcome::CannotWrite, CannotWrite(out)};

    const auto measureRepairedPeak = [&](float trebleLevel) {
        repairedPeakMeasured = true;
        const float peak =
            slice::RepairedPeak(request.sidePath, repairStrength, trebleLevel, firstFrame, endFrame,
                                [&control] { return control.SlicingStopped(); });
        if (peak > 0) gain = 1.0f / peak;
    };
    // Before the slices' own repair begins, so that two repairs never run at once.
    if (repairing && request.normalizeAllowed && request.peakLevel > 0 && atStart.normalize)
        measureRepairedPeak(atStart.trebleBoost);

    std::unique_ptr<FilterAhead> ahead;
    const ChunkForm form = in16 ? ChunkForm::Stereo16 : ChunkForm::Stored;
    std::optional<ChunkReader> reader;
    std::optional<RepairedReader> repaired;
    if (repairing)
        repaired.emplace(*side, repairStrength, firstFrame, endFrame - firstFrame, form);
    else
        reader.emplace(*side, endFrame - firstFrame, form);
    const auto nextChunk = [&] {
        if (!repaired) return reader->NextStored();
        const std::span<std::uint8_t> chunk = repaired->NextStored();
        // A click counts for the slice it starts in.
        for (const repair::ClickSpan& click : repaired->TakeSpans())
            ++repairedClicks[static_cast<std::size_t>(
                std::upper_bound(ends.begin(), ends.end(), click.start) - ends.begin())];
        return chunk;
    };
    const std::size_t chunkFrameBytes = in16 ? 4 : format.BytesPerFrame();
    std::vector<double> wide;
    BlockSettings block;
    for (std::span<std::uint8_t> chunk = nextChunk(); !chunk.empty(); chunk = nextChunk()) {
        std::uint8_t* s = chunk.data();
        std::size_t frames = chunk.size() / chunkFrameBytes;
        while (frames > 0) {
            if (pos % blockFrames == 0 || !block.filter) {
                const ProcessingSettings settings = control.Processing();
                treble.Follow(settings.trebleBoost, format.sampleRate);
                block.filter = &treble;
                block.level = settings.trebleBoost;
                block.normalize =
                    request.normalizeAllowed && request.peakLevel > 0 && settings.normalize;
                if (block.normalize && repairing && !repairedPeakMeasured)
                    measureRepairedPeak(settings.trebleBoost);
                block.start = pos;
                if (in16 && !repairing && pos == 0 && block.level > 0 &&
                    endFrame >= request.filterAhead.minFrames && platform::UsableProcessors() >= 2)
                    ahead = std::make_unique<FilterAhead>(request.sidePath, *block.filter,
                                                          block.level, endFrame, ends,
                                                          request.filterAhead, blockFrames);
                // The second thread's frames, when its filter was in this one's state here
                // (and the chunk holds the whole block: a short read ends the taking over).
                block.filtered = nullptr;
                if (ahead && block.level > 0 &&
                    frames >= std::min<std::uint64_t>(blockFrames, endFrame - pos))
                    block.filtered = ahead->Block(pos / blockFrames, *block.filter, block.level);
            }
            const std::uint64_t blockEnd = (pos / blockFrames + 1) * blockFrames;
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>({frames, blockEnd - pos, ends[slice] - pos}));
            bool written;
            if (in16) {
                auto* s16 = reinterpret_cast<std::int16_t*>(s);
                if (block.filtered) {
                    std::memcpy(s16, block.filtered + 2 * (pos - block.start), n * 4);
                    ahead->HistoryAt(pos + n, *block.filter);
                    result.framesFilteredAhead += n;
                } else if (block.level > 0) {
                    block.filter->ProcessFrames(s16, n, block.level);
                }
                if (block.normalize) Normalize(s16, n, gain);
                Fade(s16, n, pos, start, ends[slice], fade);
                written = out.Put16(s16, n);
            } else if (!cd && block.level <= 0 && !block.normalize && fade == 0) {
                written = out.PutStored(s, n);  // untreated: every sample as it is
            } else {
                wide.resize(2 * n);
                sidefile::ToStereoDouble(s, format, n, wide.data());
                if (block.level > 0) block.filter->ProcessWide(wide.data(), n, block.level);
                if (block.normalize)
                    for (double& v : wide) v *= gain;
                Fade(wide.data(), n, pos, start, ends[slice], fade);
                written = out.PutWide(wide.data(), n);
            }
            if (!written) return {result.written, SliceOutcome::CannotWrite, CannotWrite(out)};
            s += chunkFrameBytes * n;
            frames -= n;
            pos += n;

            if (pos % blockFrames == 0) {
                if (control.SlicingStopped()) {
                    out.CloseEarly();
                    return {0, SliceOutcome::Stopped, {}};
                }
                const double fraction = static_cast<double>(pos - firstFrame) /
                                        static_cast<double>(endFrame - firstFrame);
                control.SetGauge(Gauge::Slicing,
                                 request.progressStart + static_cast<int>(fraction * span));
            }
            if (pos == ends[slice]) {
                if (!out.Close())
                    return {result.written, SliceOutcome::CannotWrite, CannotWrite(out)};
                if (request.sliceWritten)
                    request.sliceWritten(request.firstNumber + static_cast<int>(result.written));
                ++result.written;
                if (++slice == ends.size()) break;
                start = pos;
                if (control.SlicingStopped()) return {0, SliceOutcome::Stopped, {}};
                if (!out.Create(SlicePath(request, slice), ends[slice] - start))
                    return {result.written, SliceOutcome::CannotWrite, CannotWrite(out)};
            }
        }
        if (slice == ends.size()) break;
    }
    if (slice < ends.size()) {
        // The file ended early (a read error): keep what was written, stated correctly.
        if (!out.CloseEarly()) return {result.written, SliceOutcome::CannotWrite, CannotWrite(out)};
        return {result.written, SliceOutcome::ReadFailed,
                "Reading " + Quoted(request.sidePath) + " failed before its end."};
    }
    control.SetGauge(Gauge::Slicing, request.progressEnd);
    repairedClicks.resize(repairing ? result.written : 0);
    result.repairedClicks = std::move(repairedClicks);
    return result;
}
