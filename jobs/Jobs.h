#pragma once
// The three jobs of the worker: "Draw waveforms", "Slice using waveform markers" and
// "Slice using auto sense or typed times". Shared by the window (on its worker thread) and
// velvane-cli; everything they read, show or learn of a stop goes through JobContext.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "detect/SmartSense.h"
#include "jobs/SliceJob.h"
#include "model/CutMethod.h"
#include "model/Side.h"
#include "model/TypedTimes.h"
#include "slice/SliceWriter.h"

class JobContext;

/// What one side got from a job, for a summary line per side.
struct SideReport {
    bool present = false;   ///< its path field was not empty
    bool analysed = false;  ///< an analysis of it ran to its end
    std::string folder;     ///< where its slices went
    int firstNumber = 0;    ///< number of its first slice file
    unsigned slices = 0;    ///< slice files written
    SliceOutcome outcome = SliceOutcome::NoCuts;
    /// Why it got no slices ("no silent passage found", "no typed times", "no markers",
    /// "unreadable file", ...); empty when slices were written.
    std::string reason;
    /// Titles the album gave the side when its slices were written (AlbumInfo::TitleCount).
    std::size_t titles = 0;
    /// With Repair on: the clicks repaired in each slice written (SliceResult); else empty.
    std::vector<unsigned> repairedClicks;
};

struct JobReport {
    std::array<SideReport, 2> sides;  ///< side 1, side 2
    bool stopped = false;             ///< the job ended early on a stop
    bool refused = false;             ///< a precondition message ended it before any work
    /// Refused because a typed time it would cut at is not a time (a file's fault, not a
    /// missing file or encoder).
    bool typedTimesRefused = false;
    /// Files an earlier run left in the job's folders that remain (the user kept them).
    std::vector<std::string> earlierFilesLeft;
};

namespace jobs {

/// "2 titles given for 4 slices" when titles were given for a side that got another number
/// of slices; "" otherwise (no titles, no slices, or as many of each).
std::string TitleCountNote(const SideReport& side);

/// "clicks repaired per slice: 3, 0, 12" for a side sliced with Repair on; "" otherwise, so
/// that every text of a job with Repair off is what it always was.
std::string RepairedClicksNote(const SideReport& side);

/// The typed cut list of `side`, from its ten fields read through `ctx` now.
TypedCutList ReadTypedCutList(JobContext& ctx, Side side);

/// Smart Sense's choices for `side` as the front end holds them now; nullopt for the other
/// methods.
std::optional<SmartSenseOptions> SmartOptions(JobContext& ctx, CutMethod method, Side side);

/// Analyses the present sides, leaves their levels, peak and cuts in the side state, and
/// marks the waves drawn. A stop ends it at once (waves not marked drawn).
JobReport DrawWaveformsJob(JobContext& ctx);

/// Slices each present side at its markers (or typed times with "Typed Times (Below)"),
/// side 2's numbers continuing side 1's; encodes and deletes as the check boxes say.
JobReport SliceByMarkersJob(JobContext& ctx);

/// Slices each present side at its typed times, or at the cuts of a fresh analysis.
/// Both slicing jobs refuse, before any file is written, to cut at typed times of which one
/// is not a time ("Typed times" message naming each such field).
JobReport SliceAutoOrTypedJob(JobContext& ctx);

/// Runs the job of `kind`, then refreshes the canvas. Call on the job's thread.
JobReport RunJob(SliceJob kind, JobContext& ctx);

}  // namespace jobs
