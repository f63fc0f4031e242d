#pragma once
// How every slice is treated and encoded, in real units: the one value the front ends set
// (the window from its menus, velvane-cli from its options, a settings file from its menu
// ids) and the processors read at each block boundary.

#include <cmath>
#include <cstdint>

#include "settings/MenuSettings.h"

struct ProcessingSettings {
    float trebleBoost = 0;                 ///< treble boost level: 0 (off), 1, 2, 4 ... 12
    double fadeSeconds = 0;                ///< fade in and out at each slice's ends; 0: none
    bool normalize = false;                ///< raise each side's peak to full scale
    int bitRate = menu::kBitRateFallback;  ///< of the encoded files, in bit/s
    /// Slices as CD audio (44.1 kHz 16-bit stereo, resampled and dithered) whatever the
    /// side's format; read once per side, when its slicing begins.
    bool cdAudio = false;
    /// Click repair: 0 off, 1 light, 2 medium, 3 strong (menu::RepairLevelForId); read once
    /// per side, when its slicing begins.
    int repairLevel = 0;

    bool operator==(const ProcessingSettings&) const = default;

    /// The fade's length in frames at `sampleRate` (nearest frame).
    std::uint32_t FadeFrames(std::uint32_t sampleRate) const {
        return static_cast<std::uint32_t>(std::lround(fadeSeconds * sampleRate));
    }
};

namespace settings {

/// The settings the menus' checked ids stand for (each id outside its group: the group's
/// fall-back), as the window's menus and a settings file hold them.
constexpr ProcessingSettings ProcessingFromIds(int rateId, int fadeId, int volumeId, int eqId) {
    ProcessingSettings settings;
    settings.bitRate = menu::BitRateForId(rateId);
    settings.fadeSeconds = menu::FadeSecondsForId(fadeId);
    settings.normalize = volumeId == menu::kVolumeNormalize;
    settings.trebleBoost = menu::BoostLevelForEqId(eqId);
    return settings;
}

}  // namespace settings
