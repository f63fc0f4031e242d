#include "slice/RepairedReader.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "sidefile/SampleLayout.h"
#include "slice/TrebleFilter.h"

namespace {

// Frames given to the repairer at a time: small beside a chunk (3.2 s) at every rate, so the
// conversions' buffers stay small too.
constexpr std::size_t kPieceFrames = 8192;

std::uint64_t LeadStart(std::uint64_t firstFrame, std::uint32_t sampleRate) {
    const auto lead = static_cast<std::uint64_t>(std::llround(kRepairLeadSeconds * sampleRate));
    return firstFrame - std::min(firstFrame, lead);
}

}  // namespace

RepairedReader::RepairedReader(SideReader& side, repair::RepairStrength strength,
                               std::uint64_t firstFrame, std::uint64_t frames, ChunkForm form)
    : format_(side.Format()),
      form_(form),
      firstFrame_(firstFrame),
      end_(firstFrame + frames),
      streamStart_(LeadStart(firstFrame, side.Format().sampleRate)),
      repairer_(strength, side.Format().channels, side.Format().sampleRate) {
    outPos_ = inBase_ = streamStart_;
    positioned_ = streamStart_ < side.Frames() && side.Seek(streamStart_);
    // To the side's end: the frames after the last one wanted are its context.
    if (positioned_) chunks_.emplace(side, side.Frames() - streamStart_, ChunkForm::Stored);
}

bool RepairedReader::Failed() const {
    return !positioned_ || (outPos_ < end_ && chunks_->Failed());
}

std::vector<repair::ClickSpan> RepairedReader::TakeSpans() {
    return std::exchange(spans_, {});
}

std::span<std::uint8_t> RepairedReader::NextStored() {
    while (outPos_ < end_) {
        if (!out_.empty()) {
            Deliver();
            if (!chunk_.empty()) return chunk_;
            continue;
        }
        if (!Feed()) break;
    }
    return {};
}

bool RepairedReader::Feed() {
    if (!positioned_ || finished_) return false;
    if (piece_.empty()) piece_ = chunks_->NextStored();
    const std::size_t frameBytes = format_.BytesPerFrame();
    const std::size_t frames = std::min(piece_.size() / frameBytes, kPieceFrames);
    const std::size_t channels = format_.channels;
    if (frames == 0) {
        repairer_.Finish(out_);
        finished_ = true;
    } else {
        const std::span<std::uint8_t> stored = piece_.first(frames * frameBytes);
        piece_ = piece_.subspan(frames * frameBytes);
        held_.insert(held_.end(), stored.begin(), stored.end());
        wide_.resize(2 * frames);
        sidefile::ToStereoDouble(stored.data(), format_, frames, wide_.data());
        in_.resize(channels * frames);
        for (std::size_t i = 0; i < frames; ++i)
            for (std::size_t c = 0; c < channels; ++c)
                in_[channels * i + c] = static_cast<float>(wide_[2 * i + c]);
        repairer_.Process(in_.data(), frames, out_);
    }
    for (const repair::ClickSpan& span : repairer_.TakeSpans()) {
        const std::uint64_t first = std::max(streamStart_ + span.start, firstFrame_);
        const std::uint64_t end = std::min(streamStart_ + span.start + span.length, end_);
        if (first < end) spans_.push_back({first, static_cast<std::uint32_t>(end - first)});
    }
    return !finished_ || !out_.empty();
}

void RepairedReader::Deliver() {
    const std::size_t channels = format_.channels;
    const std::size_t frameBytes = format_.BytesPerFrame();
    const std::size_t frames = out_.size() / channels;
    // Output before the first frame wanted only warmed the repairer up.
    const std::size_t skip = static_cast<std::size_t>(
        std::min<std::uint64_t>(frames, firstFrame_ - std::min(firstFrame_, outPos_)));
    const std::size_t take = static_cast<std::size_t>(
        std::min<std::uint64_t>(frames - skip, end_ - std::min(end_, outPos_ + skip)));
    chunk_.clear();
    if (take == 0) {  // all of it before the first frame wanted
        Advance(frames);
        return;
    }
    heldWide_.resize(2 * take);
    sidefile::ToStereoDouble(held_.data() + (outPos_ + skip - inBase_) * frameBytes, format_, take,
                             heldWide_.data());
    wide_.resize(2 * take);
    for (std::size_t i = 0; i < take; ++i) {
        const double* held = &heldWide_[2 * i];
        for (std::size_t c = 0; c < channels; ++c) {
            // A sample left alone keeps what the side stores, beyond a float's precision.
            const float repaired = out_[channels * (skip + i) + c];
            wide_[2 * i + c] = repaired == static_cast<float>(held[c]) ? held[c] : repaired;
        }
        if (channels == 1) wide_[2 * i + 1] = wide_[2 * i];
    }
    Advance(frames);

    stored_.resize(take * frameBytes);
    sidefile::FromStereoDouble(wide_.data(), take, format_, stored_.data());
    if (form_ == ChunkForm::Stored) {
        chunk_.swap(stored_);
        return;
    }
    chunk_.resize(take * 4);
    sidefile::ToStereo16(stored_.data(), format_, take,
                         reinterpret_cast<std::int16_t*>(chunk_.data()));
}

void RepairedReader::Advance(std::size_t frames) {
    const std::size_t frameBytes = format_.BytesPerFrame();
    outPos_ += frames;
    out_.clear();
    const std::uint64_t done = std::min(outPos_, inBase_ + held_.size() / frameBytes);
    held_.erase(held_.begin(),
                held_.begin() + static_cast<std::ptrdiff_t>((done - inBase_) * frameBytes));
    inBase_ = done;
}

repair::RepairStrength slice::RepairStrengthOf(int level) {
    switch (level) {
        case 1:
            return repair::RepairStrength::Light;
        case 2:
            return repair::RepairStrength::Medium;
        case 3:
            return repair::RepairStrength::Strong;
        default:
            return repair::RepairStrength::Off;
    }
}

float slice::RepairedPeak(const std::string& path, repair::RepairStrength strength,
                          float trebleLevel, std::uint64_t firstFrame, std::uint64_t endFrame,
                          const std::function<bool()>& stopped) {
    const std::unique_ptr<SideReader> side = SideReader::Open(path);
    if (!side || endFrame <= firstFrame) return 0;
    RepairedReader reader(*side, strength, firstFrame, endFrame - firstFrame, ChunkForm::Stereo16);
    TrebleFilter treble;
    slice::TuneTreble(treble, trebleLevel, side->Format().sampleRate);
    int peak = 0;
    for (std::span<std::uint8_t> chunk = reader.NextStored(); !chunk.empty();
         chunk = reader.NextStored()) {
        if (stopped && stopped()) return 0;
        peak = std::max(peak, treble.ProcessFrames(reinterpret_cast<std::int16_t*>(chunk.data()),
                                                   chunk.size() / 4, trebleLevel));
    }
    return reader.Failed() ? 0 : static_cast<float>(peak) / 32768.0f;
}
