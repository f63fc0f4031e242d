#include "bench/corpus/Conditions.h"

namespace corpus {

namespace {

constexpr std::array<const char*, kConditions> kNames = {"clean-vinyl",
                                                         "pre-needle",
                                                         "heavy-crackle",
                                                         "tape-leader",
                                                         "digital-silence",
                                                         "hum",
                                                         "out-of-phase",
                                                         "fade-to-floor",
                                                         "quiet-classical",
                                                         "wow",
                                                         "live-applause",
                                                         "clean-cassette",
                                                         "post-lift",
                                                         "inward-noise",
                                                         "tape-end",
                                                         "gated",
                                                         "low",
                                                         "dead-channel",
                                                         "soft-start",
                                                         "soft-ending",
                                                         "dropouts",
                                                         "segues"};

}  // namespace

const char* ConditionName(Condition condition) {
    return kNames[static_cast<std::size_t>(condition)];
}

std::optional<Condition> ConditionNamed(const std::string& name) {
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (name == kNames[i]) return static_cast<Condition>(i);
    return std::nullopt;
}

}  // namespace corpus
