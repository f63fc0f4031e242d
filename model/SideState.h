#pragma once
// What the program knows of one side of the record: its loudness per 0.1 s block (and per
// 10 ms, for the waveform's deeper zoom), its cut list and its peak. Written by the analysis
// and by cut editing; read by the slice writer, the waveform canvas and the listen dialog.

#include <array>
#include <cstdint>
#include <vector>

constexpr std::uint32_t kBlockFrames = 4410;      ///< one level entry: 0.1 s at 44.1 kHz
constexpr std::uint32_t kMaxLevels = 65535;       ///< about 1 h 49 min per side
constexpr std::uint32_t kFinePeaksPerBlock = 10;  ///< one fine peak: 10 ms (441 frames at 44.1 kHz)
constexpr std::uint32_t kMaxCuts = 512;
/// Most cuts a list holds in use; the slot after the last one in use always stays 0.
constexpr std::uint32_t kMaxCutsInUse = kMaxCuts - 1;
constexpr int kTypedTimesPerSide = 10;

namespace model {

/// The fine peak that frame f (counted from a block boundary) falls in: the tenths of each
/// block, which differ by a frame where a block is not a multiple of ten frames.
constexpr std::uint64_t FineGroupOf(std::uint64_t f, std::uint32_t blockFrames) {
    return f / blockFrames * kFinePeaksPerBlock +
           f % blockFrames * kFinePeaksPerBlock / blockFrames;
}

/// The first frame (from a block boundary) of fine peak `group`.
constexpr std::uint64_t FineGroupStart(std::uint64_t group, std::uint32_t blockFrames) {
    return group / kFinePeaksPerBlock * blockFrames +
           (group % kFinePeaksPerBlock * blockFrames + kFinePeaksPerBlock - 1) / kFinePeaksPerBlock;
}

}  // namespace model

struct SideState {
    std::vector<float> levels;  ///< peak of each block, 0.0 .. 0.99; levelCount entries
    std::uint32_t levelCount = 0;
    /// Peak |sample| (0 .. 32768) of each tenth of a block (FineGroupOf) of the analysed
    /// frames, as the levels were measured: ten entries per level entry (fewer in the last);
    /// may be empty.
    std::vector<std::uint16_t> finePeaks;
    std::array<std::int32_t, kMaxCuts> cuts{};  ///< tenths of a second; unused slots 0
    std::uint32_t cutCount = 0;
    float peakLevel = 0;  ///< largest level; Normalize divides by it
};
