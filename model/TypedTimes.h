#pragma once
// Typed times: the texts of the twenty time fields, turned into cut lists in tenths of a
// second. Pure functions; any thread.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/Side.h"
#include "model/SideState.h"

/// Ten cut times of one side in tenths of a second; 0 = no cut.
using TypedCutList = std::array<std::int32_t, kTypedTimesPerSide>;

/// The forms a time field takes, as messages name them.
inline constexpr std::string_view kTypedTimeForms = "min.sec.dsec, m:ss, m:ss.d or h:mm:ss";

/// What one time field says: no cut (empty, or three or more full stops, as always), a
/// time, or something that is not a time, which must be refused rather than taken as no
/// cut.
enum class TypedTimeKind { NoCut, Time, NotATime };

struct TypedTime {
    TypedTimeKind kind = TypedTimeKind::NoCut;
    std::int32_t tenths = 0;  ///< the time when kind is Time (0 is a time at the side's start)
};

namespace model {

/// The integer at the start of `text` as atol reads it: leading white space, an optional
/// sign, then decimal digits; 0 when there are none. Saturates at the 64-bit limits.
std::int64_t LeadingInteger(std::string_view text);

/// Reads a field, white space around it ignored, a leading '+' allowed:
///  - min.sec.dsec with digits only: "95" -> 950, "1.35" -> 950, "1.35.25" -> 952 (the
///    first digit after the second full stop counts), "0.0.5" -> 5; three or more full
///    stops: no cut;
///  - m:ss, m:ss.d, h:mm:ss (and h:mm:ss.d), seconds and minutes after a colon in two
///    digits below 60: "3:20" -> 2000, "3:20.5" -> 2005, "1:02:03" -> 37230.
/// Anything else ("6 34", "-5", "abc", "1x.30", "3:75") and a time beyond a 32-bit count
/// of tenths is not a time.
TypedTime ReadTypedTime(std::string_view text);

/// The tenths of a field that holds a time; 0 (no cut) for every other field.
std::int32_t ParseTypedTime(std::string_view text);

/// "m:ss.d" for a time in tenths of a second ("-0:01.5" below zero): how the program writes
/// a time that ReadTypedTime reads back.
std::string FormatTenths(std::int64_t tenths);

/// "\"6 34\" is not a time; write min.sec.dsec, m:ss, m:ss.d or h:mm:ss"
std::string NotATimeText(std::string_view text);

/// One line per field of `side` that is not a time, "side 1, box 3: " + NotATimeText, in
/// box order (boxes counted from 1); "" when every field reads.
std::string UnreadableTypedTimes(Side side, std::span<const std::string> fields);

}  // namespace model
