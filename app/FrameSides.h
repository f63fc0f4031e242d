#pragma once
// What the window knows of the two sides: each side's state (levels, cuts, peak), whether
// their waveforms are drawn, a count of changes of the sides' files, so that a job's
// results are applied only to the files it read, and the undo history of the cut tables:
// every change of the cuts (an edit, a job's, an undo or redo) tells the listeners.
//
// Thread contexts: GUI thread only, except WavesDrawn, which any thread may read.

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "model/Side.h"
#include "model/SideState.h"
#include "waveview/CutHistory.h"

class FrameSides {
  public:
    /// A side's state: levels, cuts and peak.
    SideState& At(Side side) { return sides_[model::Index(side)]; }
    const SideState& At(Side side) const { return sides_[model::Index(side)]; }
    const std::array<SideState, 2>& All() const { return sides_; }

    /// Replaces a side's state with what a job published, unless the sides were changed
    /// since `generation`: the job's results belong to the files it read.
    void Publish(Side side, const SideState& state, unsigned generation);
    /// "Draw waveforms" has finished for the files now named. Any thread.
    bool WavesDrawn() const { return wavesDrawn_.load(); }
    /// Marks the waveforms drawn or not; `generation` as for Publish (0: always).
    void SetWavesDrawn(bool drawn, unsigned generation = 0);
    /// A side's file changed (located or recorded): its waveforms are no longer drawn, a
    /// running job's results are no longer applied, and the undo steps, which belong to
    /// the files they were made on, are forgotten.
    void Changed();
    /// Counts the changes of the sides' files; a job takes it at its start.
    unsigned Generation() const { return generation_; }

    // --- The cuts' history ---
    /// Both sides' cut tables now.
    CutTables Tables() const { return waveview::CutTablesOf(sides_); }
    /// An edit of the cuts ended (see CutEdit): an undo step back to `before` when the
    /// tables differ from it now; the listeners hear of it either way.
    void CutsEdited(const CutTables& before);
    /// A job starts, or has ended: whatever cuts it published between the two become one
    /// undo step ("Draw waveforms" replacing hand-placed markers, say).
    void JobStarted();
    void JobEnded();
    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }
    /// Puts back the cut tables before the last change; false when there is none.
    bool Undo();
    /// Brings back the last change undone; false when there is none.
    bool Redo();
    /// Adds a listener, told after every change of either side's cuts or levels.
    void OnChanged(std::function<void()> listener) { listeners_.push_back(std::move(listener)); }

  private:
    void Tell() const;

    std::array<SideState, 2> sides_;
    std::atomic<bool> wavesDrawn_{false};  ///< written by the GUI thread, read by any
    unsigned generation_ = 1;
    CutHistory history_;
    std::optional<CutTables> beforeJob_;
    std::vector<std::function<void()>> listeners_;
};

/// One edit of the cuts, from its start to the end of the scope: an undo step when the
/// tables changed.
class CutEdit {
  public:
    explicit CutEdit(FrameSides& sides) : sides_(sides), before_(sides.Tables()) {}
    ~CutEdit() { sides_.CutsEdited(before_); }
    CutEdit(const CutEdit&) = delete;
    CutEdit& operator=(const CutEdit&) = delete;

  private:
    FrameSides& sides_;
    const CutTables before_;
};
