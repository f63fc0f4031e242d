#include "waveview/CutListRows.h"

#include <algorithm>

#include "model/TypedTimes.h"

std::vector<CutRow> waveview::CutRows(const SideState& side) {
    std::vector<CutRow> rows;
    const std::uint32_t inUse = std::min(side.cutCount, kMaxCuts);
    std::int32_t songStart = 0;
    for (std::uint32_t i = 0; i < inUse; ++i) {
        const std::int32_t cut = side.cuts[i];
        rows.push_back({static_cast<int>(i), "Cut " + std::to_string(i + 1),
                        model::FormatTenths(cut),
                        model::FormatTenths(std::int64_t{cut} - songStart)});
        songStart = cut;
    }
    if (side.levelCount > 0)
        rows.push_back({-1, "End", model::FormatTenths(side.levelCount),
                        model::FormatTenths(std::int64_t{side.levelCount} - songStart)});
    return rows;
}

std::string waveview::CutListEditText(CutListEdit result, const SideState& side) {
    switch (result) {
        case CutListEdit::Done:
            return "";
        case CutListEdit::OutsideSide:
            return side.levelCount > 0 ? "A cut lies after the side's start and before its end (" +
                                             model::FormatTenths(side.levelCount) + ")."
                                       : "A cut lies after the side's start.";
        case CutListEdit::AlreadyACut:
            return "There is a cut at that time already.";
        case CutListEdit::Full:
            return "The side has as many cuts as it can hold (" + std::to_string(kMaxCutsInUse) +
                   ").";
        case CutListEdit::NoSuchCut:
            return "Choose the cut to change in the list first.";
    }
    return "";
}
