#pragma once
// Damage with known positions, added to a clean excerpt: single clicks of several shapes,
// dense crackle, and pops up to 5 ms. Every level is relative to the excerpt's own RMS, so a
// quiet excerpt gets damage as loud against its music as a loud one.

#include <cstdint>
#include <string_view>
#include <vector>

#include "bench/declick/Excerpts.h"

namespace declick {

enum class Condition { Clean, Clicks, Crackle, Pops };
constexpr Condition kConditions[] = {Condition::Clean, Condition::Clicks, Condition::Crackle,
                                     Condition::Pops};
std::string_view ConditionName(Condition condition);

/// Frames [start, start + length) of the excerpt that one click changed (on one channel or
/// both).
struct DamageEvent {
    std::size_t start = 0;
    std::size_t length = 0;
    double levelDb = 0;      ///< peak above the excerpt's RMS
    const char* shape = "";  ///< which waveform
};

struct Damaged {
    std::vector<float> samples;  ///< interleaved stereo, the clean excerpt plus the damage
    std::vector<DamageEvent> events;
};

/// The excerpt under `condition` (Clean: unchanged, no events), the same for the same seed.
Damaged AddDamage(const Excerpt& excerpt, Condition condition, std::uint64_t seed);

}  // namespace declick
