#pragma once
// The ten seconds of a side that the listen dialog shows around a cut: which cut, where
// the window starts, loading its samples with a peak per display column, the stretches
// the listen buttons play and the shift that OK applies to the cut. Plain functions, no
// toolkit headers; GUI thread in the program.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/SideState.h"
#include "repair/RepairStrength.h"
#include "waveview/CutEditing.h"  // ShiftCut

constexpr std::uint32_t kListenFrames = 441000;      ///< 10 s at 44.1 kHz
constexpr std::uint32_t kListenHalfFrames = 220500;  ///< 5 s: the cut, unless clipped
constexpr int kListenColumns = 620;                  ///< display columns of the window
constexpr int kListenCentreColumn = 310;             ///< where the marker starts
constexpr std::uint32_t kColumnFrames = kListenFrames / kListenColumns;  ///< 711
constexpr float kListenMarginSeconds = 5;
constexpr int kMaxCutShift = 50;  ///< tenths of a second, at the window's edge

/// The samples of one window. Frames never read (past the end of the file, after a read
/// failure, or all of them when the file could not be opened) are silence, and so are the
/// peaks of columns not reached.
struct ListenAudio {
    std::uint32_t sampleRate = 44100;  ///< the side's, once loaded
    std::vector<std::int16_t> left;    ///< ListenFrames(sampleRate) samples once loaded
    std::vector<std::int16_t> right;   ///< ListenFrames(sampleRate) samples once loaded
    std::array<std::int16_t, kListenColumns> columnPeaks{};  ///< 0 .. 32767
};

/// A stretch of the window that a listen button plays.
struct ListenStretch {
    std::uint32_t first = 0;  ///< window frame
    std::uint32_t frames = 0;
};

namespace waveview {

/// Index of the cut of `side` the dialog edits for a click at fraction `r` of the canvas:
/// the cut nearest to r x T seconds held to 5 .. T - 5 (T = the side's length); 0 when the
/// side has no cuts.
int ListenCutIndex(const SideState& side, float r);

/// Frames of the 10 s window at `sampleRate` (kListenFrames at 44.1 kHz).
constexpr std::uint32_t ListenFrames(std::uint32_t sampleRate) {
    return 10 * sampleRate;
}

/// The sample rate of the side at `path`: the rate the window is read and played at
/// (44100 when the file cannot be read).
std::uint32_t ListenRate(const std::string& path);

/// First frame of the window around `cut` (tenths of a second) at `sampleRate`: 5 s before
/// it, or frame 0 for a cut in the first 5 s (or a negative one).
std::uint32_t ListenStartFrame(std::int32_t cut, std::uint32_t sampleRate = 44100);

/// Allocates `audio` and reads the 10 s window that starts at `startFrame` of the side at
/// `path` (SideReader: any format, as 16-bit stereo at the side's rate), never past its
/// end. Each column's peak is the largest |(L + R) / 2| of its frames (711 at 44.1 kHz),
/// 32768 held to 32767. With a `strength` other than Off the window holds the side as the
/// slices will (RepairedReader), and so does what the listen buttons play. False when the
/// file cannot be opened, is not a side, or cannot be positioned: `audio` then holds
/// silence (at 44.1 kHz).
bool LoadListenWindow(const std::string& path, std::uint32_t startFrame, ListenAudio& audio,
                      repair::RepairStrength strength = repair::RepairStrength::Off);

/// From the window's start up to the marker (the end of song A), at `sampleRate`.
ListenStretch EndOfSongStretch(int markerX, std::uint32_t sampleRate = 44100);
/// From the marker to the window's end (the beginning of song B), at `sampleRate`.
ListenStretch BeginningOfSongStretch(int markerX, std::uint32_t sampleRate = 44100);

/// Tenths of a second that OK adds to the cut for a marker at column `markerX`: -50 at
/// column 0 to +49 at column 619, 0 within 6 columns of the centre.
int CutShiftForMarker(int markerX);

/// ShiftCut, when cut `index` still holds `opened` (what it held when the listen dialog
/// opened: a job may have replaced the side's cuts meanwhile). False, changing nothing,
/// otherwise.
bool ShiftCutIfStill(SideState& side, int index, std::int32_t opened, int shift);

}  // namespace waveview
