#pragma once
// The processing settings that live in the window's menus: command ids, their meaning and
// the fall-backs used when no item of a group is checked. One table for the window, the
// settings file and the command line.

#include <cstdint>

namespace menu {

// Rate (MP3 bit rate), ids 200..206; default 202.
constexpr int kRateFirst = 200;
constexpr int kRateLast = 206;
constexpr int kRateDefault = 202;
constexpr int kBitRates[] = {96000, 112000, 128000, 160000, 192000, 256000, 320000};
constexpr int kBitRateFallback = 128000;

// Fades, ids 300..303; default 300 (no fade).
constexpr int kFadeFirst = 300;
constexpr int kFadeLast = 303;
constexpr int kFadeDefault = 300;
constexpr double kFadeSeconds[] = {0, 0.1, 1, 2};

// Volume, ids 500 (keep) and 501 (normalize); default 500.
constexpr int kVolumeKeep = 500;
constexpr int kVolumeNormalize = 501;

// EQ (treble boost), ids 708..715; default 708 (no EQ).
constexpr int kEqFirst = 708;
constexpr int kEqLast = 715;
constexpr int kEqDefault = 708;
constexpr float kEqBoostLevels[] = {0, 1, 2, 4, 6, 8, 10, 12};

// Repair (click repair strength), ids 800..803: off, light, medium, strong; default 800.
// The strength's number (0..3) is the id's place in the group, as the settings file and
// ProcessingSettings hold it.
constexpr int kRepairFirst = 800;
constexpr int kRepairLast = 803;
constexpr int kRepairDefault = 800;
constexpr int kRepairLevels = kRepairLast - kRepairFirst + 1;

// Input devices, ids 700..707.
constexpr int kInputFirst = 700;
constexpr int kInputLast = 707;

/// Bit rate in bit/s of a Rate id; 128000 for any id outside the group.
constexpr int BitRateForId(int id) {
    return id >= kRateFirst && id <= kRateLast ? kBitRates[id - kRateFirst] : kBitRateFallback;
}
/// Fade length in seconds of a Fades id; 0 for any id outside the group.
constexpr double FadeSecondsForId(int id) {
    return id >= kFadeFirst && id <= kFadeLast ? kFadeSeconds[id - kFadeFirst] : 0;
}
/// Treble boost level of an EQ id; 0 for any id outside the group.
constexpr float BoostLevelForEqId(int id) {
    return id >= kEqFirst && id <= kEqLast ? kEqBoostLevels[id - kEqFirst] : 0.0f;
}

/// Repair strength (0 off .. 3 strong) of a Repair id; 0 for any id outside the group.
constexpr int RepairLevelForId(int id) {
    return id >= kRepairFirst && id <= kRepairLast ? id - kRepairFirst : 0;
}
/// The Repair id of a strength 0..3; the default's for any other number (a damaged file's).
constexpr int RepairIdForLevel(int level) {
    return level >= 0 && level < kRepairLevels ? kRepairFirst + level : kRepairDefault;
}

}  // namespace menu
