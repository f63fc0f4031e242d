#pragma once
// The volume analysis of a side: one pass over its WAV file giving the level list the
// waveform display draws, the peak Normalize divides by, and the auto-sense cuts.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "detect/AutoSense.h"
#include "detect/SmartSense.h"
#include "model/CutMethod.h"

class WorkControl;
struct TrebleFilter;

struct AnalysisResult {
    /// True when the file was read to its end (or to the 65535-level limit) and the cuts
    /// were chosen; false when it cannot be opened, its header is refused, or a stop came.
    bool ok = false;
    std::vector<float> levels;  ///< levelCount entries, each 0.0 .. 0.99
    std::uint32_t levelCount = 0;
    /// The |sample| peak of every 10 ms analysed (SideState::finePeaks), measured in the
    /// same pass as the levels.
    std::vector<std::uint16_t> finePeaks;
    float peak = 0;  ///< the largest level
    CutList cuts{};  ///< tenths of a second, ascending, then zeros
    /// With Smart Sense asked for: its cuts, tenths of a second, ascending, at most 511, over
    /// the whole side (the levels stop at 65535 entries; Smart Sense does not).
    std::vector<std::int32_t> smartCuts;
    /// With Smart Sense: where the music starts and the tenth after it ends.
    std::int32_t musicStart = 0, musicEnd = 0;
    /// With Smart Sense and the songs given: why fewer cuts were placed than asked, or empty.
    std::string smartMessage;

    /// The cuts that `method` takes: Smart Sense's every cut, else the ten auto-sense
    /// entries (zeros included).
    std::span<const std::int32_t> CutsOf(CutMethod method) const {
        if (method == CutMethod::SmartSense) return smartCuts;
        return cuts;
    }
};

/// How a long analysis shares its work with a second thread (see SpeculativeScan.h). The
/// defaults suit every caller; tests vary them to reach each path.
struct AnalysisSplit {
    std::uint64_t minFrames = 60 * 44100;   ///< shorter sides are filtered in one pass
    std::uint64_t warmUpFrames = 4 * 4410;  ///< filtered before the second half's start
    int checkpoints = 16;                   ///< block boundaries at which states are compared
};

namespace detect {

/// Analyses the side at `path` with a silence window of `silenceSeconds` (0 or less finds
/// no cut). Every frame goes through `treble`, which follows the EQ level of
/// control.Processing() read at each block; the level the input is scaled by is the one
/// read at the first block. Blocks are 0.1 s (B = rate / 10 frames) at every rate; a side finer
/// than 16 bits, or mono, is measured as 16-bit stereo (SampleLayout.h). Entry 0 is frame 0
/// alone; entry j >= 1 the peak of frames B(j-1)+1 .. Bj. The Slicing gauge moves from
/// progressStart to progressEnd once per block; control.TestDestroy() is asked every 100 frames
/// (every millisecond while this thread waits for the second half) and ends the analysis (ok
/// false). The results are the same, to the bit, whichever way the work is shared. With `smart`, a
/// second pass on a thread of its own measures the side's band energy meanwhile (BandScan; a stop
/// is noticed within a millisecond while the analysis waits for it) and Smart Sense chooses its
/// cuts from it; the rest of the result is the same as without. Every control call is made on the
/// calling thread: call on the job's thread.
AnalysisResult AnalyzeSide(WorkControl& control, TrebleFilter& treble, const std::string& path,
                           std::int64_t silenceSeconds, int progressStart, int progressEnd,
                           const AnalysisSplit& split = AnalysisSplit{},
                           const std::optional<SmartSenseOptions>& smart = std::nullopt);

}  // namespace detect
