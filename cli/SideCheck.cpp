#include <cstdio>

#include "cli/Commands.h"
#include "cli/WindowState.h"
#include "sidefile/WaveFile.h"

int PrepareRun(const CliOptions& options, WindowState& state) {
    ResolvedState resolved = ResolveWindowState(options);
    if (!resolved.error.empty()) {
        std::fprintf(stderr, "velvane-cli: %s\n", resolved.error.c_str());
        return resolved.exitCode;
    }
    state = std::move(resolved.state);
    for (const std::string& path : {state.fields.side1Path, state.fields.side2Path}) {
        if (path.empty() || WaveFile::IsStereoWave(path, kSampleRate)) continue;
        std::fprintf(stderr, "velvane-cli: %s: not a 44.1 kHz stereo wave file (%s)\n",
                     path.c_str(), WaveFile::Describe(path).c_str());
        return kExitFileError;
    }
    return kExitOk;
}

std::string FormatFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}
