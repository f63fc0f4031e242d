#pragma once
// How a side is cut: the three methods of the "Cuts" area, by the selection of m_cutsHow
// (the number the settings file stores in its fourth field).

#include <cstddef>

#include "model/SideState.h"

enum class CutMethod { AutoSense = 0, TypedTimes = 1, SmartSense = 2 };

namespace model {

/// The method of an m_cutsHow selection: 1 Typed Times, 2 Smart Sense; anything else
/// (0, or -1 when nothing is selected) Auto Sense.
constexpr CutMethod CutMethodOf(int selection) {
    return selection == 1   ? CutMethod::TypedTimes
           : selection == 2 ? CutMethod::SmartSense
                            : CutMethod::AutoSense;
}

/// Entries of a side's cut list that count: Auto Sense and typed times fill ten; Smart
/// Sense fills as many as it finds, up to what the cut table holds.
constexpr std::size_t CutsConsidered(CutMethod method) {
    return method == CutMethod::SmartSense ? kMaxCuts : kTypedTimesPerSide;
}

}  // namespace model

/// Smart Sense's shortest song unless the user chose another, in seconds.
constexpr double kDefaultMinSongSeconds = 20;
