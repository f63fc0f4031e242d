#include "app/FrameSides.h"

void FrameSides::Publish(Side side, const SideState& state, unsigned generation) {
    if (generation != generation_) return;
    sides_[model::Index(side)] = state;
    Tell();
}

void FrameSides::SetWavesDrawn(bool drawn, unsigned generation) {
    if (generation == 0 || generation == generation_) wavesDrawn_ = drawn;
}

void FrameSides::Changed() {
    ++generation_;
    wavesDrawn_ = false;  // the waveforms on display belong to the previous files
    history_.Clear();
    beforeJob_.reset();
}

void FrameSides::CutsEdited(const CutTables& before) {
    if (before != Tables()) history_.Record(before);
    Tell();
}

void FrameSides::JobStarted() {
    beforeJob_ = Tables();
}

void FrameSides::JobEnded() {
    if (beforeJob_ && *beforeJob_ != Tables()) history_.Record(*beforeJob_);
    beforeJob_.reset();
    Tell();
}

bool FrameSides::Undo() {
    const std::optional<CutTables> before = history_.Undo(Tables());
    if (!before) return false;
    waveview::ApplyCutTables(*before, sides_);
    Tell();
    return true;
}

bool FrameSides::Redo() {
    const std::optional<CutTables> after = history_.Redo(Tables());
    if (!after) return false;
    waveview::ApplyCutTables(*after, sides_);
    Tell();
    return true;
}

void FrameSides::Tell() const {
    for (const auto& listener : listeners_) listener();
}
