#pragma once
// How hard the click repairer works, and what it reports. No toolkit; any thread.

#include <cstdint>
#include <optional>
#include <string_view>

namespace repair {

/// Off leaves every sample as it is; Light repairs only clicks that stand far above the
/// music; Medium is the everyday setting; Strong also takes fainter clicks and longer pops,
/// at a higher risk of touching the music.
enum class RepairStrength { Off, Light, Medium, Strong };

/// "off", "light", "medium" or "strong" (lower case, as Format writes them); nothing for
/// any other text.
std::optional<RepairStrength> ParseRepairStrength(std::string_view text);
std::string_view FormatRepairStrength(RepairStrength strength);

/// One repaired click: a run of frames, counted from the stream's first frame, in which at
/// least one channel's samples were replaced by an estimate of the music. A click heard on
/// both channels (a scratch on a record) is one span covering both; two repaired runs whose
/// frames touch or overlap, on whatever channels, are one span.
struct ClickSpan {
    std::uint64_t start = 0;   ///< first replaced frame
    std::uint32_t length = 0;  ///< frames, at least 1

    bool operator==(const ClickSpan&) const = default;
};

}  // namespace repair
