#pragma once
// Undo and redo of the cut tables: every change to either side's cuts (a click, the listen
// dialog, the cut list, an imported list, "Draw waveforms") is remembered as the tables
// before it, so that Undo puts them back and Redo brings the change again. Only the cut
// tables: a side's levels are never part of a step. A plain value; GUI thread in the
// program.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "model/SideState.h"

/// One side's cuts as the window keeps them.
struct CutTable {
    std::array<std::int32_t, kMaxCuts> cuts{};  ///< tenths of a second; unused slots 0
    std::uint32_t cutCount = 0;
    bool operator==(const CutTable&) const = default;
};

/// Both sides' cut tables, side 1 first.
using CutTables = std::array<CutTable, 2>;

namespace waveview {

CutTables CutTablesOf(const std::array<SideState, 2>& sides);
/// Puts `tables` into the sides' cuts and cut counts; nothing else of the sides changes.
void ApplyCutTables(const CutTables& tables, std::array<SideState, 2>& sides);

}  // namespace waveview

class CutHistory {
  public:
    /// Steps kept; the oldest goes when a step beyond them is recorded.
    static constexpr std::size_t kSteps = 200;

    /// A change was made: `before` is what Undo goes back to. Forgets every step Redo would
    /// have brought back.
    void Record(const CutTables& before);
    /// The tables before the last change, remembering `now` for Redo; nullopt when there is
    /// nothing to undo.
    std::optional<CutTables> Undo(const CutTables& now);
    /// The tables of the last change undone, remembering `now` for Undo; nullopt when there
    /// is nothing to redo.
    std::optional<CutTables> Redo(const CutTables& now);
    /// Forgets every step (the sides' files changed: the steps belong to the old ones).
    void Clear();

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::size_t UndoSteps() const { return undo_.size(); }

  private:
    std::deque<CutTables> undo_;  ///< oldest first
    std::deque<CutTables> redo_;  ///< the next Redo last
};
