#include <cstdio>
#include <span>

#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "detect/Analysis.h"
#include "jobs/Jobs.h"
#include "model/TypedTimes.h"

namespace {

// `cuts`: Auto Sense's ten entries, zeros included; Smart Sense's cuts, every one and
// nothing else. With Smart Sense, where the music starts and ends (tenths of a second).
void PrintJson(const AnalysisResult& r, std::span<const std::int32_t> cuts, bool smart) {
    std::string out = "{\"levelCount\": " + std::to_string(r.levelCount) +
                      ", \"peak\": " + cli::FormatFloat(r.peak) + ", \"cuts\": [";
    for (std::size_t i = 0; i < cuts.size(); ++i) out += (i ? ", " : "") + std::to_string(cuts[i]);
    out += "]";
    if (smart)
        out += ", \"musicStart\": " + std::to_string(r.musicStart) +
               ", \"musicEnd\": " + std::to_string(r.musicEnd);
    out += ", \"levels\": [";
    for (std::uint32_t i = 0; i < r.levelCount; ++i)
        out += (i ? ", " : "") + cli::FormatFloat(r.levels[i]);
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

void PrintText(const AnalysisResult& r, std::span<const std::int32_t> cuts, bool smart) {
    std::printf("levelCount: %u\npeak: %s\ncuts:", r.levelCount, cli::FormatFloat(r.peak).c_str());
    for (std::int32_t cut : cuts) std::printf(" %d", cut);
    std::printf("\n");
    if (smart) std::printf("music: %d %d\n", r.musicStart, r.musicEnd);
}

}  // namespace

int cli::RunAnalyze(const CliOptions& options) {
    WindowState state;
    if (const int status = PrepareRun(options, state); status != kExitOk) return status;
    const std::string path = state.fields.side1Path;

    CliContext ctx(state, !options.quiet && ProgressBar::StderrIsTerminal());
    // As the jobs do: an empty silence field becomes "2", then its leading integer counts.
    if (ctx.SilenceText().empty()) ctx.SetSilenceText("2");
    ctx.SetStatus("Analyzing volume on side 1...");
    const CutMethod method = ctx.Method();
    const AnalysisResult result =
        detect::AnalyzeSide(ctx, ctx.Treble(), path, model::LeadingInteger(ctx.SilenceText()), 0,
                            100, AnalysisSplit{}, jobs::SmartOptions(ctx, method, Side::One));
    ctx.ClearProgress();
    if (Interrupted()) return kExitInterrupted;
    if (!result.ok) {
        ctx.Error(path + ": cannot be read");
        return kExitFileError;
    }
    const std::span<const std::int32_t> cuts = result.CutsOf(method);
    if (!result.smartMessage.empty()) ctx.Error(result.smartMessage);
    if (const int status = WriteCutLists(options, state, cuts); status != kExitOk) return status;
    const bool smart = method == CutMethod::SmartSense;
    if (options.json)
        PrintJson(result, cuts, smart);
    else
        PrintText(result, cuts, smart);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFileError;
}
