#include "repair/RepairStrength.h"

#include <array>

namespace repair {

namespace {
constexpr std::array<std::string_view, 4> kNames = {"off", "light", "medium", "strong"};
}

std::optional<RepairStrength> ParseRepairStrength(std::string_view text) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (text == kNames[i]) return static_cast<RepairStrength>(i);
    }
    return std::nullopt;
}

std::string_view FormatRepairStrength(RepairStrength strength) {
    return kNames[static_cast<std::size_t>(strength)];
}

}  // namespace repair
