#pragma once
// The subcommands of velvane-cli. Each returns the program's exit status (kExit...).
// Called on the main thread after the interrupt handler is installed.

#include <cstdint>
#include <span>
#include <string>

#include "cli/CliOptions.h"

struct WindowState;

namespace cli {

/// `analyze`: levels, peak and auto-sense cuts of one side, as text or one JSON object.
int RunAnalyze(const CliOptions& options);

/// `slice`: the auto-sense/typed job (or the marker job), after "Draw waveforms" when
/// Normalize is on; one summary line per side.
int RunSlice(const CliOptions& options);

/// `record`: records OUT.wav from a stereo input until --seconds, --auto-stop or a
/// signal ends it; or lists the inputs (--list-devices).
int RunRecord(const CliOptions& options);

/// Resolves the run's window state (ResolveWindowState) and puts every present side through
/// the window's "Locate..." check, before anything is written. On failure prints the
/// reason, naming the file ("side.wav: not a 44.1 kHz stereo wave file (48000 Hz, 2
/// channels, 16 bits)"), and returns the exit status; kExitOk when the run may go on.
int PrepareRun(const CliOptions& options, WindowState& state);

/// `declick`: repairs the clicks of a whole side IN into OUT, a WAV file in IN's own format
/// (rate, channels, sample encoding; RF64 past 4 GB); never over IN, nor over an existing
/// OUT without --force (OUT is written beside and renamed over it once complete). Prints a
/// summary line, and with --report one line per repaired click.
int RunDeclick(const CliOptions& options);

/// The window's "Locate..." check of one side file: prints why it is refused ("side.wav:
/// not a side velvane-cli can read (...)") and returns kExitFileError, or warns of a file
/// shorter than its header and returns kExitOk.
int CheckSideFile(const std::string& path);

/// A file of the user's is never replaced unasked: when `path` exists and `force` is false,
/// prints "PATH exists; give --force to VERB over it (it stays as it is until UNTIL)" and
/// returns kExitUsage; else kExitOk.
int RefuseExistingUnforced(const std::string& path, bool force, const char* verb,
                           const char* until);

/// Reads the cut lists of --cue and --labels and makes every track the markers and titles
/// of the sides they belong to (the album options still win). Prints what was left out (a
/// block of a sheet that belongs to no side given); on a file that cannot be read or
/// parsed, or more cuts than a side holds, prints why and returns kExitFileError; when a
/// list finds no side but one that an earlier list gave its tracks (two lists for one
/// side), prints so and returns kExitUsage. kExitOk otherwise.
int LoadCutLists(const CliOptions& options, WindowState& state);

/// Writes the cut lists of --cue and --labels for side 1 with `cuts` (tenths of a second)
/// and the state's album, never over a side or another audio file. kExitOk; kExitFileError
/// after printing why a list was not written, or which tracks a CUE sheet could not hold
/// (the sheet holds the first 99).
int WriteCutLists(const CliOptions& options, const WindowState& state,
                  std::span<const std::int32_t> cuts);

/// `value` with 9 significant digits, which reads back to the same float.
std::string FormatFloat(float value);

}  // namespace cli
