#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/Commands.h"
#include "cli/WindowState.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "sidefile/SideReader.h"

int cli::PrepareRun(const CliOptions& options, WindowState& state) {
    ResolvedState resolved = ResolveWindowState(options);
    if (!resolved.error.empty()) {
        std::fprintf(stderr, "velvane-cli: %s\n", resolved.error.c_str());
        return resolved.exitCode;
    }
    state = std::move(resolved.state);
    for (const std::string& path : {state.fields.side1Path, state.fields.side2Path})
        if (const int status = path.empty() ? kExitOk : CheckSideFile(path); status != kExitOk)
            return status;
    return kExitOk;
}

int cli::CheckSideFile(const std::string& path) {
    // A file that is not there is not there, whatever format it might have had.
    if (!platform::OpenFile(path, "rb")) {
        std::fprintf(stderr, "velvane-cli: %s: cannot be opened (%s)\n", path.c_str(),
                     std::strerror(errno));
        return kExitFileError;
    }
    if (const std::string problem = sidefile::SideProblem(path); !problem.empty()) {
        std::fprintf(stderr, "velvane-cli: %s: not a side velvane-cli can read (%s)\n",
                     path.c_str(), problem.c_str());
        return kExitFileError;
    }
    if (const std::string shortfall = sidefile::SideShortfall(path); !shortfall.empty())
        std::fprintf(stderr, "velvane-cli: %s: %s; what it holds is used\n", path.c_str(),
                     shortfall.c_str());
    return kExitOk;
}

int cli::RefuseExistingUnforced(const std::string& path, bool force, const char* verb,
                                const char* until) {
    if (force || !platform::FileSize(path)) return kExitOk;
    std::fprintf(
        stderr, "velvane-cli: %s exists; give --force to %s over it (it stays as it is until %s)\n",
        path.c_str(), verb, until);
    return kExitUsage;
}

std::string cli::FormatFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}
