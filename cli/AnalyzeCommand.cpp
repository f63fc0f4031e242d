#include <cstdio>

#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "engine/Analysis.h"
#include "engine/TypedTimes.h"

namespace {

void PrintJson(const AnalysisResult& r) {
    std::string out = "{\"levelCount\": " + std::to_string(r.levelCount) +
                      ", \"peak\": " + FormatFloat(r.peak) + ", \"cuts\": [";
    for (std::size_t i = 0; i < r.cuts.size(); ++i)
        out += (i ? ", " : "") + std::to_string(r.cuts[i]);
    out += "], \"levels\": [";
    for (std::uint32_t i = 0; i < r.levelCount; ++i)
        out += (i ? ", " : "") + FormatFloat(r.levels[i]);
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

void PrintText(const AnalysisResult& r) {
    std::printf("levelCount: %u\npeak: %s\ncuts:", r.levelCount, FormatFloat(r.peak).c_str());
    for (std::int32_t cut : r.cuts) std::printf(" %d", cut);
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
    const AnalysisResult result = AnalyzeSide(ctx, path, LeadingInteger(ctx.SilenceText()), 0, 100);
    ctx.ClearProgress();
    if (Interrupted()) return kExitInterrupted;
    if (!result.ok) {
        ctx.Error(path + ": cannot be read");
        return kExitFileError;
    }
    if (const int status = WriteCutLists(options, state, result.cuts); status != kExitOk)
        return status;
    if (options.json)
        PrintJson(result);
    else
        PrintText(result);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFileError;
}
