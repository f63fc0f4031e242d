#pragma once
// Typed times: the min.sec.dsec texts of the twenty time fields, turned into cut lists in
// tenths of a second. Pure functions; any thread.

#include <array>
#include <cstdint>
#include <string_view>

#include "model/Side.h"
#include "model/SideState.h"

/// Ten cut times of one side in tenths of a second; 0 = no cut.
using TypedCutList = std::array<std::int32_t, kTypedTimesPerSide>;

/// The integer at the start of `text` as atol reads it: leading white space, an optional
/// sign, then decimal digits; 0 when there are none. Saturates at the 64-bit limits.
std::int64_t LeadingInteger(std::string_view text);

/// "95" -> 950, "1.35" -> 950, "1.35.25" -> 952, "0.0.5" -> 5; three or more full stops,
/// unreadable text, a negative time or one beyond a 32-bit count of tenths give 0 (no cut).
std::int32_t ParseTypedTime(std::string_view text);
