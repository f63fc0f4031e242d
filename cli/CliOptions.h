#pragma once
// velvane-cli's command line: what the user asked for, as given, before any file is read.
// Parsing never touches the file system, so every rule here is testable on its own.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "album/CutListFile.h"
#include "repair/RepairStrength.h"

enum class CliCommand { Help, Analyze, Slice, Record, Declick };

/// The typed-time fields of one side, as typed into the window (unparsed, "" = empty).
using TypedTimeFields = std::array<std::string, 10>;

struct CliOptions {
    CliCommand command = CliCommand::Help;
    bool help = false;               ///< --help after a command: that command's options are shown
    std::vector<std::string> sides;  ///< SIDE1 [SIDE2] as given

    // Each option is set only when given, so that it can win over a settings file.
    std::optional<std::string> settingsFile;              ///< --settings
    std::optional<std::string> outDir;                    ///< --out
    std::optional<int> cutsHow;                           ///< --typed 1, --auto 0, --smart 2
    std::optional<TypedTimeFields> typedTimes[2];         ///< --times1, --times2
    std::optional<std::string> silenceText;               ///< --silence, as typed
    std::optional<std::vector<std::int32_t>> markers[2];  ///< --markers1/2, tenths of a second
    std::optional<int> fadeId;                            ///< --fade: 300..303
    std::optional<int> volumeId;                          ///< --normalize: 501
    std::optional<int> eqId;                              ///< --eq: 708..715
    std::optional<int> songs[2];           ///< --songs N1[,N2]: Smart Sense's song counts
    std::optional<double> minSongSeconds;  ///< --min-song: Smart Sense's shortest song
    bool trim = false;                     ///< --trim: Smart Sense trims lead-in and run-out
    bool json = false;                     ///< --json (analyze)
    bool quiet = false;                    ///< --quiet

    std::optional<int> encoderKind;          ///< --encode: an EncoderKind value
    std::optional<std::string> encoderPath;  ///< --encoder, as given
    std::optional<int> rateId;               ///< --rate: 200..206
    bool deleteSlices = false;               ///< --delete-slices
    bool replaceEarlier = false;             ///< --replace-earlier
    bool voice = false;                      ///< --voice
    bool cdAudio = false;                    ///< --cd: slices as 44.1 kHz 16-bit stereo
    std::optional<int> jobs;                 ///< --jobs: encoder runs at once, 1..kMaxJobs
    /// --declick (slice), --strength (declick): the click repair's strength.
    std::optional<repair::RepairStrength> repairStrength;
    bool report = false;  ///< --report (declick): one line per repaired click

    // Recording (record OUT.wav): each set only when given.
    std::optional<int> device;                ///< --device: Input menu item, from 1
    std::optional<float> gain;                ///< --gain: 0..51, the levels dialog's factor
    std::optional<double> seconds;            ///< --seconds: stop after round(S x rate) frames
    std::optional<std::uint32_t> recordRate;  ///< --rate HZ (record)
    std::optional<int> recordBits;            ///< --bits 16|24 (record)
    bool autoStop = false;                    ///< --auto-stop
    bool force = false;        ///< --force: an existing OUT.wav may be replaced (record, declick)
    bool listDevices = false;  ///< --list-devices

    // Album and cut lists: each set only when given.
    std::optional<std::string> album;                   ///< --album
    std::optional<std::string> artist;                  ///< --artist
    std::optional<std::string> year;                    ///< --year
    std::optional<std::string> genre;                   ///< --genre
    std::optional<std::vector<std::string>> titles[2];  ///< --titles1, --titles2, split at '|'
    bool keepTitleCharacters = false;                   ///< --keep-title-characters
    struct CutListFileOption {
        std::string path;
        CutListFormat format;
    };
    /// --cue and --labels in the order given: written by analyze, read by slice.
    std::vector<CutListFileOption> cutLists;

    bool MarkerJob() const {
        return markers[0].has_value() || markers[1].has_value() || !cutLists.empty();
    }
};

/// The most encoder runs --jobs accepts at once.
constexpr int kMaxJobs = 64;

/// Exit statuses of every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitFileError = 1;  ///< unreadable/unwritable file, refused format, failed encoder
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;  ///< Ctrl+C

struct ParseResult {
    CliOptions options;
    std::string error;  ///< non-empty: a usage error, one line, for exit status 2
};

namespace cli {

/// Parses argv[1..]. "--opt VALUE" and "--opt=VALUE" are both accepted; "--" ends the
/// options. --help (or "help") gives CliCommand::Help; a command followed by --help keeps
/// its command with `help` set; no arguments at all is a usage error.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

/// The --help text, generated from the same option table the parser uses: the whole of it
/// for CliCommand::Help, else the usage and options of that command.
std::string HelpText(CliCommand command = CliCommand::Help);

/// The lines shown after a usage error: how each command is called, and where help is.
std::string ShortUsage();

}  // namespace cli
