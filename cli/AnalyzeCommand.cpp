#include <cstdio>
#include <span>

#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "engine/Analysis.h"
#include "engine/TypedTimes.h"

namespace {

// Auto Sense's ten entries, zeros included; Smart Sense's cuts, every one and nothing else.
std::span<const std::int32_t> Cuts(const AnalysisResult& r, bool smart) {
    return smart ? std::span<const std::int32_t>(r.smartCuts)
                 : std::span<const std::int32_t>(r.cuts);
}

void PrintJson(const AnalysisResult& r, bool smart) {
    std::string out = "{\"levelCount\": " + std::to_string(r.levelCount) +
                      ", \"peak\": " + FormatFloat(r.peak) + ", \"cuts\": [";
    const std::span<const std::int32_t> cuts = Cuts(r, smart);
    for (std::size_t i = 0; i < cuts.size(); ++i) out += (i ? ", " : "") + std::to_string(cuts[i]);
    out += "], \"levels\": [";
    for (std::uint32_t i = 0; i < r.levelCount; ++i)
        out += (i ? ", " : "") + FormatFloat(r.levels[i]);
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

void PrintText(const AnalysisResult& r, bool smart) {
    std::printf("levelCount: %u\npeak: %s\ncuts:", r.levelCount, FormatFloat(r.peak).c_str());
    for (std::int32_t cut : Cuts(r, smart)) std::printf(" %d", cut);
    std::printf("\n");
}

}  // namespace

int RunAnalyze(const CliOptions& options) {
    WindowState state;
    if (const int status = PrepareRun(options, state); status != kExitOk) return status;
    const std::string path = state.fields.side1Path;

    CliContext ctx(state, !options.quiet && ProgressBar::StderrIsTerminal());
    // As the jobs do: an empty silence field becomes "2", then its leading integer counts.
    if (ctx.SilenceText().empty()) ctx.SetSilenceText("2");
    ctx.SetStatus("Analyzing volume on side 1...");
    std::optional<SmartSenseOptions> smart;
    if (ctx.Method() == CutMethod::SmartSense) {
        smart.emplace();
        smart->songs = ctx.SongCount(Side::One);
        smart->minSongSeconds = ctx.MinSongSeconds();
    }
    const AnalysisResult result =
        AnalyzeSide(ctx, path, LeadingInteger(ctx.SilenceText()), 0, 100, AnalysisSplit{}, smart);
    ctx.ClearProgress();
    if (Interrupted()) return kExitInterrupted;
    if (!result.ok) {
        ctx.Error(path + ": cannot be read");
        return kExitFileError;
    }
    if (const int status = WriteCutLists(options, state, result.cuts); status != kExitOk)
        return status;
    if (options.json)
        PrintJson(result, smart.has_value());
    else
        PrintText(result, smart.has_value());
    return std::fflush(stdout) == 0 ? kExitOk : kExitFileError;
}
