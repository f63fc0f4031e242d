#pragma once
// The two sides of a record. The number a user sees (side 1, side 2) and the place in a pair
// of anything per side (0, 1) both come from this one type, so that no interface has to say
// which way it counts.

#include <array>
#include <cstddef>
#include <string>

enum class Side { One, Two };

inline constexpr std::array<Side, 2> kSides = {Side::One, Side::Two};

namespace model {

/// 1 or 2: the side's number as the user sees it.
constexpr int Number(Side side) {
    return side == Side::One ? 1 : 2;
}
/// 0 or 1: the side's place in a pair.
constexpr std::size_t Index(Side side) {
    return side == Side::One ? 0 : 1;
}
/// The side of place 0 or 1 in a pair (any other place: side 2).
constexpr Side SideOfIndex(std::size_t index) {
    return index == 0 ? Side::One : Side::Two;
}
/// The other side.
constexpr Side Other(Side side) {
    return side == Side::One ? Side::Two : Side::One;
}
/// "1" or "2", for texts.
inline std::string NumberText(Side side) {
    return std::to_string(Number(side));
}

}  // namespace model
