#include "jobs/Jobs.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "album/CutListFile.h"
#include "detect/Analysis.h"
#include "encode/Encoder.h"
#include "jobs/FinishSide.h"
#include "jobs/JobContext.h"
#include "model/SideState.h"
#include "model/TypedTimes.h"

namespace {

constexpr const char* kDefaultSilence = "2";
constexpr const char* kNoSilentPassage = "no silent passage found";
constexpr const char* kTypedTimesCaption = "Typed times";

struct Range {
    int start;
    int end;
};

bool Present(JobContext& ctx, Side side) {
    return !ctx.SidePath(side).empty();
}

// The silence length in seconds, after putting the default into an empty field.
std::int64_t EnsureSilenceLength(JobContext& ctx) {
    std::string text = ctx.SilenceText();
    if (text.empty()) {
        text = kDefaultSilence;
        ctx.SetSilenceText(text);
    }
    return model::LeadingInteger(text);
}

// cutCount = the nonzero entries among the entries that count; every entry after them 0.
void SettleCutTable(SideState& state, CutMethod method) {
    const auto first = state.cuts.begin();
    const auto considered = static_cast<std::ptrdiff_t>(model::CutsConsidered(method));
    state.cutCount = static_cast<std::uint32_t>(
        std::count_if(first, first + considered, [](std::int32_t c) { return c != 0; }));
    std::fill(first + state.cutCount, state.cuts.end(), 0);
}

// Status, analysis and one publication of the side's new state: its levels, peak and the
// cuts of the method chosen now. A failed or stopped analysis leaves no levels, no peak
// and the previous cuts.
AnalysisResult AnalyseSide(JobContext& ctx, Side side, Range range, SideReport& report) {
    ctx.SetStatus("Analyzing volume on side " + model::NumberText(side) + "...");
    const CutMethod method = ctx.Method();
    // Smart Sense needs no silence length, so its field is left as the user left it.
    const std::int64_t silence = method == CutMethod::SmartSense
                                     ? model::LeadingInteger(ctx.SilenceText())
                                     : EnsureSilenceLength(ctx);
    AnalysisResult result =
        detect::AnalyzeSide(ctx, ctx.Treble(), ctx.SidePath(side), silence, range.start, range.end,
                            AnalysisSplit{}, jobs::SmartOptions(ctx, method, side));
    SideState state = ctx.SideData(side);
    if (result.ok) {
        state.levels = result.levels;
        state.levelCount = result.levelCount;
        state.finePeaks = result.finePeaks;
        state.peakLevel = result.peak;
        std::fill(state.cuts.begin(), state.cuts.end(), 0);
        const std::span<const std::int32_t> cuts = result.CutsOf(method);
        std::copy(cuts.begin(), cuts.end(), state.cuts.begin());
        SettleCutTable(state, method);
    } else {
        state.levels.clear();
        state.finePeaks.clear();
        state.levelCount = 0;
        state.peakLevel = 0;
    }
    ctx.PublishSide(side, state);
    report.analysed = result.ok;
    // Fewer songs than the user gave could be placed: how many, and why.
    if (result.ok && !result.smartMessage.empty())
        ctx.ShowMessage("Smart Sense",
                        "Side " + model::NumberText(side) + ": " + result.smartMessage);
    return result;
}

// The slices a side's cut list will give (0 when the file cannot be read or no cut is set),
// so that tags can count the job's tracks before they are all written.
int PlannedSlices(JobContext& ctx, Side side, std::span<const std::int32_t> cuts,
                  std::size_t considered) {
    const auto counted = cuts.first(std::min<std::size_t>(cuts.size(), considered));
    if (std::all_of(counted.begin(), counted.end(), [](std::int32_t c) { return c == 0; }))
        return 0;
    const std::optional<SideLength> length = album::ReadSideLength(ctx.SidePath(side));
    if (!length || length->frames == 0) return 0;
    return static_cast<int>(
        slice::SliceBoundaries(cuts, length->sampleRate, length->frames, considered).size() + 1);
}

// The number of tracks the job will make, for the tags: known before the job starts when
// every side is cut at typed times or at markers, else 0. Also 0 when there is nothing to
// tag, so that a job without an album reads exactly what it always did.
int PlannedTrackTotal(JobContext& ctx, const JobReport& report, bool markerJob) {
    if (ctx.Album().Empty()) return 0;
    const CutMethod method = ctx.Method();
    const bool typed = method == CutMethod::TypedTimes;
    if (!typed && !markerJob) return 0;
    int total = 0;
    for (const Side side : kSides)
        if (report.sides[model::Index(side)].present)
            total += typed ? PlannedSlices(ctx, side, jobs::ReadTypedCutList(ctx, side),
                                           kTypedTimesPerSide)
                           : PlannedSlices(ctx, side, ctx.SideData(side).cuts,
                                           ctx.MarkersCounted(method));
    return total;
}

// What of a side its slices hold besides what its cuts say: the music without its lead-in and
// run-out, one slice for a side of one song.
struct SliceSpan {
    std::uint64_t firstFrame = 0;
    std::uint64_t endFrame = 0;  ///< 0: the side's end
    bool oneWithoutCuts = false;
};

// Smart Sense's span of a side: one slice when the user said it holds one song; with the
// trim chosen, from half a second before the music starts to half a second after it ends.
SliceSpan SmartSpan(JobContext& ctx, Side side, const AnalysisResult& analysis) {
    constexpr std::int32_t kTrimMarginTenths = 5;
    SliceSpan span;
    span.oneWithoutCuts = ctx.SongCount(side) == 1;
    if (!ctx.TrimToMusic() || analysis.musicEnd <= analysis.musicStart) return span;
    const std::optional<SideLength> length = album::ReadSideLength(ctx.SidePath(side));
    if (!length) return span;
    const auto frameOf = [&length](std::int32_t tenths) {
        return std::uint64_t{length->sampleRate} * static_cast<std::uint64_t>(std::max(0, tenths)) /
               10;
    };
    span.firstFrame = frameOf(analysis.musicStart - kTrimMarginTenths);
    span.endFrame = frameOf(analysis.musicEnd + kTrimMarginTenths);
    return span;
}

SliceResult WriteSideSlices(JobContext& ctx, Side side, std::span<const std::int32_t> cuts,
                            std::size_t considered, const std::string& folder, int firstNumber,
                            const SideTracks& tracks, Range range, SliceFinisher& finisher,
                            SideReport& report, const SliceSpan& span) {
    SliceRequest request;
    request.firstFrame = span.firstFrame;
    request.endFrame = span.endFrame;
    request.oneSliceWithoutCuts = span.oneWithoutCuts;
    request.sidePath = ctx.SidePath(side);
    request.cuts = cuts;
    request.cutsConsidered = considered;
    request.folder = folder;
    request.firstNumber = firstNumber;
    request.tracks = tracks;
    request.progressStart = range.start;
    request.progressEnd = range.end;
    request.peakLevel = ctx.SideData(side).peakLevel;
    request.normalizeAllowed = ctx.WavesDrawn();
    for (const Side s : kSides)
        if (Present(ctx, s)) request.protectedPaths.push_back(ctx.SidePath(s));
    request.sliceWritten = [&finisher](int number) { finisher.SliceWritten(number); };
    SliceResult result = slice::WriteSlices(ctx, ctx.Treble(), request);
    report.folder = request.folder;
    report.firstNumber = firstNumber;
    report.slices = result.written;
    report.outcome = result.outcome;
    report.repairedClicks = result.repairedClicks;
    return result;
}

std::string Reason(SliceOutcome outcome, const char* noCuts) {
    switch (outcome) {
        case SliceOutcome::Written:
            return "";
        case SliceOutcome::NoCuts:
            return noCuts;
        case SliceOutcome::Unreadable:
            return "unreadable file";
        case SliceOutcome::NoAudio:
            return "the file holds no audio";
        case SliceOutcome::ReadFailed:
            return "the file could not be read to its end";
        case SliceOutcome::Stopped:
            return "stopped";
        case SliceOutcome::CannotWrite:
            return "a slice file could not be written";
        case SliceOutcome::WouldOverwriteSide:
            return "a slice would replace a side recording";
    }
    return "";
}

// The one message at the end of a slicing job that names the sides left without slices
// (for reasons no earlier message gave).
void ReportSidesWithoutSlices(JobContext& ctx, const JobReport& report) {
    std::vector<std::string> parts;
    for (const Side s : kSides) {
        const SideReport& side = report.sides[model::Index(s)];
        if (!side.present || side.slices > 0 || side.outcome == SliceOutcome::CannotWrite ||
            side.outcome == SliceOutcome::WouldOverwriteSide)
            continue;
        parts.push_back("side " + model::NumberText(s) + " (" + side.reason + ")");
    }
    if (parts.empty()) return;
    std::string text = "No slices were made for " + parts[0];
    if (parts.size() > 1) text += " and " + parts[1];
    text += ".";
    const bool unsensed =
        std::any_of(report.sides.begin(), report.sides.end(), [](const SideReport& side) {
            return side.present && side.slices == 0 && side.reason == kNoSilentPassage;
        });
    if (unsensed)
        text +=
            "\nAuto Sense cuts only where a side falls nearly silent between songs. For records "
            "and tapes with surface noise or hiss, choose \"Smart Sense\" as the cut method "
            "(velvane-cli: --smart).";
    ctx.ShowMessage("No slices", text);
}

// A job that would cut at typed times of which one is not a time ends before any file is
// written, with one message naming every such field. True when it was refused.
bool RefuseUnreadableTypedTimes(JobContext& ctx, JobReport& report) {
    if (ctx.Method() != CutMethod::TypedTimes) return false;
    std::string text;
    for (const Side s : kSides) {
        if (!report.sides[model::Index(s)].present) continue;
        std::array<std::string, kTypedTimesPerSide> fields;
        for (int i = 0; i < kTypedTimesPerSide; ++i) fields[i] = ctx.TypedTime(s, i);
        const std::string lines = model::UnreadableTypedTimes(s, fields);
        if (!lines.empty()) text += (text.empty() ? "" : "\n") + lines;
    }
    if (text.empty()) return false;
    ctx.ShowMessage(kTypedTimesCaption, text);
    report.refused = report.typedTimesRefused = true;
    return true;
}

// "Finished.", followed by what was given in titles on a side that got another number of
// slices, and by the clicks repaired in each slice.
std::string FinishedStatus(const JobReport& report) {
    std::string text = "Finished.";
    for (const Side s : kSides)
        for (const std::string& note : {jobs::TitleCountNote(report.sides[model::Index(s)]),
                                        jobs::RepairedClicksNote(report.sides[model::Index(s)])})
            if (!note.empty()) text += " Side " + model::NumberText(s) + ": " + note + ".";
    return text;
}

JobReport EndStopped(JobContext& ctx, JobReport report) {
    report.stopped = true;
    ctx.SetSlicing(false);
    return report;
}

// Encoding is asked for and no encoder can be run: the message, and true.
bool RefuseWithoutEncoder(JobContext& ctx) {
    if (!ctx.CreateEncodedFiles() ||
        encode::EncoderAvailable(ctx.EncoderChoice(), ctx.EncoderPath()))
        return false;
    ctx.ShowMessage("Missing encoder!",
                    "You have selected MP3 or Ogg encoding but haven't located an encoder. \n"
                    "Please click on Locate encoder... or deselect MP3/Ogg creation.\n");
    return true;
}

int FirstNumber(const JobReport& report, Side side) {
    return side == Side::Two ? static_cast<int>(report.sides[0].slices) + 1 : 1;
}

bool BothSides(const JobReport& report) {
    return report.sides[0].present && report.sides[1].present;
}

// Writes one side's slices in a slicing job (each handed to the finisher as it is complete),
// shows a writer's message, finishes the side. `trackTotal` is the job's number of tracks
// when known before the side starts (else 0). False when the job must end (a stop).
bool SliceSide(JobContext& ctx, Side side, std::span<const std::int32_t> cuts,
               std::size_t considered, int trackTotal, Range range, const char* noCuts,
               JobReport& report, SliceFinisher& finisher, const SliceSpan& span = {}) {
    SideReport& me = report.sides[model::Index(side)];
    const int firstNumber = FirstNumber(report, side);
    const std::string folder = ctx.OutputFolder(side);
    // Read once, so that a side's slices and encoded files are named alike.
    const AlbumInfo album = ctx.Album();
    me.titles = album.TitleCount(side);
    const SideTracks tracks(side, album, trackTotal);
    finisher.BeginSide(side, folder, firstNumber, BothSides(report), tracks);
    const SliceResult result = WriteSideSlices(ctx, side, cuts, considered, folder, firstNumber,
                                               tracks, range, finisher, me, span);
    // A job of one side knows its total once the side is written.
    const bool onlySide = !report.sides[model::Index(model::Other(side))].present;
    if (trackTotal == 0 && onlySide) trackTotal = static_cast<int>(result.written);
    me.reason = result.written > 0 ? "" : Reason(result.outcome, noCuts);
    if (result.outcome == SliceOutcome::Stopped || ctx.SlicingStopped()) return false;
    if (!result.message.empty())
        ctx.ShowMessage("Slicing side " + model::NumberText(side), result.message);
    // Stop pressed while the message was open: no voice message, no encoding.
    if (ctx.SlicingStopped()) return false;
    return finisher.SideWritten(me.slices, SideTracks(side, album, trackTotal));
}

// The end of a slicing job that was not stopped: the last runs, then the job's last steps.
// False when a stop came while the runs ended.
bool EndSlicingJob(JobContext& ctx, JobReport& report, SliceFinisher& finisher, bool fillGauges) {
    if (!finisher.Finish() || ctx.SlicingStopped()) return false;
    if (fillGauges) {
        if (ctx.CreateEncodedFiles()) ctx.SetGauge(Gauge::Encoding, 100);
        ctx.SetGauge(Gauge::Slicing, 100);
    }
    report.earlierFilesLeft = finisher.Report();
    ReportSidesWithoutSlices(ctx, report);
    ctx.SetStatus(FinishedStatus(report));
    ctx.SetSlicing(false);
    return true;
}

}  // namespace

std::string jobs::TitleCountNote(const SideReport& side) {
    if (side.titles == 0 || side.slices == 0 || side.titles == side.slices) return "";
    return std::to_string(side.titles) + (side.titles == 1 ? " title" : " titles") + " given for " +
           std::to_string(side.slices) + (side.slices == 1 ? " slice" : " slices");
}

std::string jobs::RepairedClicksNote(const SideReport& side) {
    if (side.repairedClicks.empty()) return "";
    std::string text = "clicks repaired per slice: ";
    for (std::size_t i = 0; i < side.repairedClicks.size(); ++i)
        text += (i > 0 ? ", " : "") + std::to_string(side.repairedClicks[i]);
    return text;
}

TypedCutList jobs::ReadTypedCutList(JobContext& ctx, Side side) {
    TypedCutList cuts{};
    for (int i = 0; i < kTypedTimesPerSide; ++i)
        cuts[i] = model::ParseTypedTime(ctx.TypedTime(side, i));
    return cuts;
}

std::optional<SmartSenseOptions> jobs::SmartOptions(JobContext& ctx, CutMethod method, Side side) {
    if (method != CutMethod::SmartSense) return std::nullopt;
    SmartSenseOptions options;
    options.songs = ctx.SongCount(side);
    options.minSongSeconds = ctx.MinSongSeconds();
    return options;
}

JobReport jobs::DrawWaveformsJob(JobContext& ctx) {
    JobReport report;
    for (const Side s : kSides) report.sides[model::Index(s)].present = Present(ctx, s);
    const bool one = report.sides[0].present, two = report.sides[1].present;
    if (!one && !two) {
        ctx.ShowMessage("Missing files!",
                        "You need to record or locate at least one file before drawing.\n"
                        "Please click on the Rec.. or Locate... buttons for side 1 or 2.\n");
        report.refused = true;
        return report;
    }
    ctx.SetGauge(Gauge::Slicing, 0);
    ctx.SetGauge(Gauge::Encoding, 0);
    for (const Side side : kSides) {
        if (!report.sides[model::Index(side)].present) continue;
        const Range range = !(one && two)       ? Range{0, 100}
                            : side == Side::One ? Range{0, 50}
                                                : Range{50, 100};
        AnalyseSide(ctx, side, range, report.sides[model::Index(side)]);
        if (ctx.TestDestroy()) {  // a stop ends the job here: the waves are not drawn
            report.stopped = true;
            return report;
        }
    }
    const CutMethod method = ctx.Method();
    for (const Side s : kSides) {
        SideState state = ctx.SideData(s);
        if (report.sides[model::Index(s)].present)
            SettleCutTable(state, method);
        else
            state.cutCount = 0;
        ctx.PublishSide(s, state);
    }
    for (SideReport& side : report.sides)
        if (side.present && !side.analysed) side.reason = "unreadable file";
    ctx.SetWavesDrawn(true);
    ctx.SetStatus("Finished.");
    return report;
}

JobReport jobs::SliceAutoOrTypedJob(JobContext& ctx) {
    JobReport report;
    for (const Side s : kSides) report.sides[model::Index(s)].present = Present(ctx, s);
    const bool both = BothSides(report);
    if (!report.sides[0].present && !report.sides[1].present) return report;
    if (RefuseUnreadableTypedTimes(ctx, report)) return report;
    // Found missing only after every slice was written, it would waste the whole job.
    if (RefuseWithoutEncoder(ctx)) {
        report.refused = true;
        return report;
    }

    ctx.SetSlicing(true);
    ctx.SetGauge(Gauge::Slicing, 0);
    ctx.SetGauge(Gauge::Encoding, 0);
    SliceFinisher finisher(ctx, SliceJob::SliceAutoOrTyped);
    const int trackTotal = PlannedTrackTotal(ctx, report, false);
    for (const Side side : kSides) {
        SideReport& me = report.sides[model::Index(side)];
        if (!me.present) continue;
        // A stop seen after side 1's last step must not begin side 2's first slice file.
        if (ctx.SlicingStopped()) return EndStopped(ctx, report);
        const TypedCutList typed = ReadTypedCutList(ctx, side);
        // Side 1 takes the first half of the gauge when side 2 follows, side 2 the second.
        const int base = both && side == Side::Two ? 50 : 0;
        const int share = both ? 50 : 100;
        const CutMethod method = ctx.Method();
        if (method == CutMethod::TypedTimes) {
            ctx.SetStatus("Slicing side " + model::NumberText(side) +
                          " according to entered values...");
            if (!SliceSide(ctx, side, typed, kTypedTimesPerSide, trackTotal, {base, base + share},
                           "no typed times", report, finisher))
                return EndStopped(ctx, report);
            continue;
        }
        const AnalysisResult analysis = AnalyseSide(ctx, side, {base, base + share / 2}, me);
        if (!analysis.ok) {
            if (ctx.SlicingStopped()) return EndStopped(ctx, report);
            me.outcome = SliceOutcome::Unreadable;
            me.reason = "unreadable file";
            me.folder = ctx.OutputFolder(side);
            me.firstNumber = FirstNumber(report, side);
            finisher.BeginSide(side, me.folder, me.firstNumber, both, SideTracks(side));
            if (!finisher.SideWritten(0, SideTracks(side))) return EndStopped(ctx, report);
            continue;
        }
        ctx.RefreshCanvas();
        // The analysis notices only the thread's end; Stop may have come meanwhile.
        if (ctx.SlicingStopped()) return EndStopped(ctx, report);
        ctx.SetStatus("Slicing side " + model::NumberText(side) + " according to volume...");
        const bool smart = method == CutMethod::SmartSense;
        const std::span<const std::int32_t> cuts =
            smart ? std::span<const std::int32_t>(analysis.smartCuts)
                  : std::span<const std::int32_t>(analysis.cuts);
        if (!SliceSide(ctx, side, cuts, model::CutsConsidered(method), 0,
                       {base + share / 2, base + share},
                       smart ? "no gap between songs found" : kNoSilentPassage, report, finisher,
                       smart ? SmartSpan(ctx, side, analysis) : SliceSpan{}))
            return EndStopped(ctx, report);
    }
    if (!EndSlicingJob(ctx, report, finisher, true)) return EndStopped(ctx, report);
    return report;
}

JobReport jobs::SliceByMarkersJob(JobContext& ctx) {
    JobReport report;
    for (const Side s : kSides) report.sides[model::Index(s)].present = Present(ctx, s);
    const bool both = BothSides(report);
    if (!report.sides[0].present && !report.sides[1].present) {
        ctx.ShowMessage("Missing files!",
                        "You need to record or locate at least one file before slicing.\n"
                        "Please click on some of the Rec.. or Locate... buttons.\n");
        report.refused = true;
        return report;
    }
    if (RefuseWithoutEncoder(ctx)) {
        report.refused = true;
        return report;
    }
    if (RefuseUnreadableTypedTimes(ctx, report)) return report;

    ctx.SetSlicing(true);
    ctx.SetGauge(Gauge::Slicing, 0);
    ctx.SetGauge(Gauge::Encoding, 0);
    SliceFinisher finisher(ctx, SliceJob::SliceByMarkers);
    const int trackTotal = PlannedTrackTotal(ctx, report, true);
    for (const Side side : kSides) {
        if (!report.sides[model::Index(side)].present) continue;
        if (ctx.SlicingStopped()) return EndStopped(ctx, report);
        const TypedCutList typed = ReadTypedCutList(ctx, side);
        const CutMethod method = ctx.Method();
        const bool useTyped = method == CutMethod::TypedTimes;
        if (method == CutMethod::AutoSense) EnsureSilenceLength(ctx);
        ctx.SetStatus("Slicing side " + model::NumberText(side) + "...");
        const SideState state = ctx.SideData(side);
        const std::span<const std::int32_t> cuts = useTyped
                                                       ? std::span<const std::int32_t>(typed)
                                                       : std::span<const std::int32_t>(state.cuts);
        const Range range = !both               ? Range{0, 100}
                            : side == Side::One ? Range{0, 50}
                                                : Range{50, 100};
        const std::size_t counted = useTyped ? kTypedTimesPerSide : ctx.MarkersCounted(method);
        if (!SliceSide(ctx, side, cuts, counted, trackTotal, range,
                       useTyped ? "no typed times" : "no markers", report, finisher))
            return EndStopped(ctx, report);
    }
    if (!EndSlicingJob(ctx, report, finisher, false)) return EndStopped(ctx, report);
    return report;
}

JobReport jobs::RunJob(SliceJob kind, JobContext& ctx) {
    JobReport report;
    switch (kind) {
        case SliceJob::DrawWaveforms:
            report = DrawWaveformsJob(ctx);
            break;
        case SliceJob::SliceByMarkers:
            report = SliceByMarkersJob(ctx);
            break;
        case SliceJob::SliceAutoOrTyped:
            report = SliceAutoOrTypedJob(ctx);
            break;
    }
    ctx.RefreshCanvas();
    return report;
}
