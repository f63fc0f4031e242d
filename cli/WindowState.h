#pragma once
// What the window's controls and menus would hold for one velvane-cli run: the defaults,
// then a settings file (as File > Open applies it), then the command-line options.

#include <optional>
#include <string>
#include <vector>

#include "album/Album.h"
#include "cli/CliOptions.h"
#include "model/CutMethod.h"
#include "settings/SettingsFile.h"

struct WindowState {
    /// The 34 stored fields: side paths, cut method, silence and typed-time texts, check
    /// boxes, encoder choice and the four menu ids (unvalidated, as read).
    SettingsFields fields;
    std::string encoderPath;  ///< m_textCtrl1; never stored in a settings file
    std::string outDir;       ///< absolute; "" = each side's own folder
    bool voice = false;       ///< voice messages are heard (--voice); the check boxes alone do not
    int encoderRuns = 0;      ///< --jobs; 0 = one per usable processor
    bool replaceEarlier = false;  ///< --replace-earlier
    /// The marker job's cut tables (tenths of a second); set for the marker job only.
    std::optional<std::vector<std::int32_t>> markers[2];
    /// Smart Sense's extra choices, which no settings file holds: songs per side when
    /// known, and the shortest song in seconds.
    std::optional<int> songs[2];
    double minSongSeconds = kDefaultMinSongSeconds;
    bool trim = false;  ///< --trim: lead-in and run-out go into no file
    /// Album fields and track titles (--album ..., --titles1/2, cut lists).
    AlbumInfo album;
};

struct ResolvedState {
    WindowState state;
    std::string error;  ///< non-empty: one line naming the file; exit status `exitCode`
    int exitCode = kExitOk;
};

namespace cli {

/// Puts the album options that were given into `album` (over what a cut list said).
void ApplyAlbumOptions(const CliOptions& options, AlbumInfo& album);

/// The window's start-up state as a batch run begins it: no encoding and no voice
/// messages unless asked for, everything else as the window starts.
WindowState BatchDefaults();

/// Applies the settings file named by the options (if any), then the options. Every path
/// (sides, --out, the settings file, and paths read from it) is made absolute against
/// the current folder. Fails when the settings file cannot be opened, or when no side
/// is left to work on.
ResolvedState ResolveWindowState(const CliOptions& options);

}  // namespace cli
