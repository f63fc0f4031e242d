#include "waveview/CutHistory.h"

#include "model/Side.h"

CutTables waveview::CutTablesOf(const std::array<SideState, 2>& sides) {
    CutTables tables;
    for (const Side side : kSides) {
        tables[model::Index(side)].cuts = sides[model::Index(side)].cuts;
        tables[model::Index(side)].cutCount = sides[model::Index(side)].cutCount;
    }
    return tables;
}

void waveview::ApplyCutTables(const CutTables& tables, std::array<SideState, 2>& sides) {
    for (const Side side : kSides) {
        sides[model::Index(side)].cuts = tables[model::Index(side)].cuts;
        sides[model::Index(side)].cutCount = tables[model::Index(side)].cutCount;
    }
}

void CutHistory::Record(const CutTables& before) {
    undo_.push_back(before);
    if (undo_.size() > kSteps) undo_.pop_front();
    redo_.clear();
}

std::optional<CutTables> CutHistory::Undo(const CutTables& now) {
    if (undo_.empty()) return std::nullopt;
    const CutTables before = undo_.back();
    undo_.pop_back();
    redo_.push_back(now);
    return before;
}

std::optional<CutTables> CutHistory::Redo(const CutTables& now) {
    if (redo_.empty()) return std::nullopt;
    const CutTables after = redo_.back();
    redo_.pop_back();
    undo_.push_back(now);
    return after;
}

void CutHistory::Clear() {
    undo_.clear();
    redo_.clear();
}
