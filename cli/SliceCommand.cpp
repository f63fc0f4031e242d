#include <cstdio>
#include <filesystem>
#include <system_error>

#include "album/TrackNames.h"
#include "audio/VoiceMessage.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "encode/Encoder.h"
#include "jobs/Jobs.h"

namespace {

bool FailedOutcome(SliceOutcome outcome) {
    switch (outcome) {
        case SliceOutcome::Unreadable:
        case SliceOutcome::ReadFailed:
        case SliceOutcome::CannotWrite:
        case SliceOutcome::WouldOverwriteSide:
            return true;
        default:
            return false;
    }
}

// "side 1 (/rec/a.wav): 3 slices, 1.wav to 3.wav in /rec" or "...: no slices (why)"; a side
// the run did not reach before it was interrupted: "...: not sliced (interrupted)".
std::string SummaryLine(Side side, const std::string& path, const SideReport& report,
                        const AlbumInfo& album, bool interrupted) {
    const SideTracks tracks(side, album, 0);
    std::string line = "side " + model::NumberText(side) + " (" + path + "): ";
    if (report.slices == 0 && report.reason.empty() && interrupted)
        return line + "not sliced (interrupted)";
    if (report.slices == 0)
        return line + "no slices (" + (report.reason.empty() ? "nothing to cut" : report.reason) +
               ")";
    const int last = report.firstNumber + static_cast<int>(report.slices) - 1;
    line += std::to_string(report.slices) + (report.slices == 1 ? " slice, " : " slices, ") +
            tracks.SliceName(report.firstNumber, 1);
    if (last != report.firstNumber)
        line += " to " + tracks.SliceName(last, static_cast<int>(report.slices));
    line += " in " + report.folder;
    for (const std::string& note : {jobs::TitleCountNote(report), jobs::RepairedClicksNote(report)})
        if (!note.empty()) line += " (" + note + ")";
    if (!report.reason.empty())
        line += " (" + report.reason + ")";
    else if (FailedOutcome(report.outcome))
        line += " (incomplete: see the message above)";
    return line;
}

// Encoding asked for and no encoder to run: said before anything is written. kExitOk or
// kExitUsage.
int CheckEncoder(const WindowState& state) {
    const std::optional<EncoderKind> kind = model::EncoderKindOf(state.fields.encoderKind);
    if (state.fields.createEncoded == 0 || encode::EncoderAvailable(kind, state.encoderPath))
        return kExitOk;
    if (!state.encoderPath.empty()) {
        std::fprintf(stderr, "velvane-cli: --encoder %s: no such program\n",
                     state.encoderPath.c_str());
    } else if (const char* package = kind ? encode::EncoderPackage(*kind) : nullptr) {
        std::fprintf(stderr,
                     "velvane-cli: no encoder for %s found: install the Debian package %s "
                     "(apt-get install %s), or name the program with --encoder PATH\n",
                     kEncoderKindLabels[static_cast<int>(*kind)], package, package);
    } else {
        std::fprintf(stderr, "velvane-cli: %s: name the encoder program with --encoder PATH\n",
                     kind ? kEncoderKindLabels[static_cast<int>(*kind)] : "no encoder chosen");
    }
    return kExitUsage;
}

}  // namespace

int cli::RunSlice(const CliOptions& options) {
    WindowState state;
    if (const int status = PrepareRun(options, state); status != kExitOk) return status;
    if (const int status = CheckEncoder(state); status != kExitOk) return status;
    if (const int status = LoadCutLists(options, state); status != kExitOk) return status;
    const std::string paths[2] = {state.fields.side1Path, state.fields.side2Path};
    if (!state.outDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(state.outDir, ec);
        if (!std::filesystem::is_directory(state.outDir)) {
            std::fprintf(stderr, "velvane-cli: %s: cannot create the folder\n",
                         state.outDir.c_str());
            return kExitFileError;
        }
    }

    CliContext ctx(state, !options.quiet && ProgressBar::StderrIsTerminal());
    // Normalize needs each side's peak: the user presses "Draw waveforms" first.
    if (ctx.Processing().normalize) {
        const JobReport drawn = jobs::RunJob(SliceJob::DrawWaveforms, ctx);
        if (drawn.stopped || Interrupted()) return kExitInterrupted;
    }
    JobReport report;
    if (state.markers[0] || state.markers[1]) {
        ctx.PlaceMarkers();
        report = jobs::RunJob(SliceJob::SliceByMarkers, ctx);
    } else {
        report = jobs::RunJob(SliceJob::SliceAutoOrTyped, ctx);
    }
    ctx.ClearProgress();
    // The last voice message is heard to its end, unless the user interrupted.
    if (state.voice && !report.stopped && !Interrupted()) audio::WaitForVoiceMessages();
    audio::StopVoiceMessages();
    // A precondition message ended the job: a typed time of the settings file that is not a
    // time (--times1/2 are checked as options), or encoding asked for without an encoder.
    if (report.typedTimesRefused) return kExitFileError;
    if (report.refused) return kExitUsage;

    // Messages were shown on standard error as they came; the status follows the outcomes
    // (a side without slices for want of cuts is not a failure).
    const bool interrupted = report.stopped || Interrupted();
    bool failed = false;
    for (const Side s : kSides) {
        const SideReport& side = report.sides[model::Index(s)];
        if (!side.present) continue;
        failed |= FailedOutcome(side.outcome);
        if (!options.quiet)
            std::printf(
                "%s\n",
                SummaryLine(s, paths[model::Index(s)], side, state.album, interrupted).c_str());
    }
    std::fflush(stdout);
    if (!report.earlierFilesLeft.empty()) {
        std::string list;
        for (const std::string& path : report.earlierFilesLeft)
            list += (list.empty() ? "" : ", ") + path;
        std::fprintf(stderr,
                     "velvane-cli: files of an earlier run remain beside the new ones: %s "
                     "(--replace-earlier removes them)\n",
                     list.c_str());
    }
    if (interrupted) {
        std::fprintf(stderr,
                     "velvane-cli: interrupted; the files written until then are complete\n");
        return kExitInterrupted;
    }
    return failed || ctx.EncoderFailed() ? kExitFileError : kExitOk;
}
