#pragma once
// What the window knows of the two sides: each side's state (levels, cuts, peak), whether
// their waveforms are drawn, and a count of changes of the sides' files, so that a job's
// results are applied only to the files it read.
//
// Thread contexts: GUI thread only, except WavesDrawn, which any thread may read.

#include <array>
#include <atomic>

#include "model/Side.h"
#include "model/SideState.h"

class FrameSides {
  public:
    /// A side's state: levels, cuts and peak.
    SideState& At(Side side) { return sides_[Index(side)]; }
    const SideState& At(Side side) const { return sides_[Index(side)]; }
    const std::array<SideState, 2>& All() const { return sides_; }

    /// Replaces a side's state with what a job published, unless the sides were changed
    /// since `generation`: the job's results belong to the files it read.
    void Publish(Side side, const SideState& state, unsigned generation);
    /// "Draw waveforms" has finished for the files now named. Any thread.
    bool WavesDrawn() const { return wavesDrawn_.load(); }
    /// Marks the waveforms drawn or not; `generation` as for Publish (0: always).
    void SetWavesDrawn(bool drawn, unsigned generation = 0);
    /// A side's file changed (located or recorded): its waveforms are no longer drawn, and
    /// a running job's results are no longer applied.
    void Changed();
    /// Counts the changes of the sides' files; a job takes it at its start.
    unsigned Generation() const { return generation_; }

  private:
    std::array<SideState, 2> sides_;
    std::atomic<bool> wavesDrawn_{false};  ///< written by the GUI thread, read by any
    unsigned generation_ = 1;
};
