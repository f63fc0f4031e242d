#pragma once
// The subcommands of velvane-cli. Each returns the program's exit status (kExit...).
// Called on the main thread after the interrupt handler is installed.

#include <string>

#include "cli/CliOptions.h"

/// `analyze`: levels, peak and auto-sense cuts of one side, as text or one JSON object.
int RunAnalyze(const CliOptions& options);

/// `slice`: the auto-sense/typed job (or the marker job), after "Draw waveforms" when
/// Normalize is on; one summary line per side.
int RunSlice(const CliOptions& options);

/// Empty when `path` passes the window's "Locate..." check; otherwise why not, naming the
/// file ("side.wav: not a 44.1 kHz stereo wave file (48000 Hz, 2 channels, 16 bits)").
std::string RefusalReason(const std::string& path);

/// `value` with 9 significant digits, which reads back to the same float.
std::string FormatFloat(float value);
