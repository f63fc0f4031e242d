#pragma once
// A side's frames as the click repairer leaves them, in the forms the side's other readers
// give (16-bit stereo, or as the side stores them): the one way the slice writer, the
// declick command, the listen dialog and the transport read a side with Repair on, so all
// of them hear the same repair. Every sample the repairer leaves alone comes out exactly as
// stored (also the 32-bit integer ones that its float samples cannot hold), a replaced one
// rounded to the side's encoding. The repair starts kRepairLeadSeconds before the first
// frame asked for and reads on past the last as far as the repairer needs, so a click at
// either edge is judged with the music around it. Memory stays bounded: the chunk reader's
// few chunks and the repairer's delay, whatever the side's length.
//
// One thread at a time may call a reader's members (its chunk reader and the repairer's
// workers are its own threads).

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "repair/ClickRepairer.h"
#include "repair/RepairStrength.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/SideReader.h"

/// Seconds of the side the repair runs over before the first frame wanted (less at the
/// side's start): several times the context the repairer looks at around a click.
constexpr double kRepairLeadSeconds = 1.0;

class RepairedReader {
  public:
    /// Reads `frames` frames of `side` from side frame `firstFrame` on, repaired at
    /// `strength` (not Off). `side` must outlive the reader and may not be used meanwhile;
    /// the reader positions it.
    RepairedReader(SideReader& side, repair::RepairStrength strength, std::uint64_t firstFrame,
                   std::uint64_t frames, ChunkForm form);
    RepairedReader(const RepairedReader&) = delete;
    RepairedReader& operator=(const RepairedReader&) = delete;

    /// The next repaired frames, in order, as interleaved 16-bit stereo (ChunkForm::Stereo16)
    /// or the side's stored bytes (ChunkForm::Stored); the caller may change them in place
    /// until the next call. Chunks vary in length. Empty after the last frame asked for, at
    /// the end of the side, or after a read error (see Failed).
    std::span<std::uint8_t> NextStored();

    /// True when the side could not be positioned, or ended or failed to read before the
    /// frames asked for.
    bool Failed() const;

    /// The clicks repaired in the frames given out since the last call, oldest first, in
    /// frames of the side (a click that began before the first frame asked for starts there).
    std::vector<repair::ClickSpan> TakeSpans();

  private:
    /// Puts the next piece of the side through the repairer (Finish at the side's end);
    /// false when nothing more comes.
    bool Feed();
    /// The repairer's output so far, from firstFrame_ to end_, into chunk_.
    void Deliver();
    /// `frames` of the repairer's output are done with: drops them and their held input.
    void Advance(std::size_t frames);

    const SideFormat format_;
    const ChunkForm form_;
    const std::uint64_t firstFrame_;
    const std::uint64_t end_;
    const std::uint64_t streamStart_;  ///< side frame of the repairer's frame 0
    bool positioned_ = false;
    bool finished_ = false;
    std::optional<ChunkReader> chunks_;
    repair::ClickRepairer repairer_;
    std::span<std::uint8_t> piece_;  ///< what is left of the chunk reader's last chunk
    std::uint64_t outPos_ = 0;       ///< side frame of the repairer's next output frame
    std::uint64_t inBase_ = 0;       ///< side frame of held_'s first frame
    /// The input as stored from inBase_ on, until its output is out: what an unrepaired
    /// sample is given back from.
    std::vector<std::uint8_t> held_;
    std::vector<double> wide_;      ///< stereo, one piece or one delivery
    std::vector<double> heldWide_;  ///< held_'s frames of one delivery, stereo
    std::vector<float> in_;         ///< the side's channels, one piece
    std::vector<float> out_;        ///< the repairer's output not yet delivered
    std::vector<std::uint8_t> chunk_;
    std::vector<std::uint8_t> stored_;
    std::vector<repair::ClickSpan> spans_;
};

namespace slice {

/// The strength of a ProcessingSettings::repairLevel: 0 off, 1 light, 2 medium, 3 strong;
/// Off for any other number.
repair::RepairStrength RepairStrengthOf(int level);

/// The peak Normalize divides by, measured on the repaired frames [firstFrame, endFrame) of
/// the side at `path` as the analysis measures a side: the largest |sample| of their 16-bit
/// stereo form after the treble boost at `trebleLevel`, over 32768. 0 when the side cannot
/// be read to endFrame or `stopped` returns true (asked once per chunk). Call on the
/// slicing thread.
float RepairedPeak(const std::string& path, repair::RepairStrength strength, float trebleLevel,
                   std::uint64_t firstFrame, std::uint64_t endFrame,
                   const std::function<bool()>& stopped);

}  // namespace slice
