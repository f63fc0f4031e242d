#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "model/EncoderKind.h"
#include "model/Side.h"
#include "model/TypedTimes.h"
#include "repair/RepairStrength.h"
#include "settings/MenuSettings.h"
#include "settings/OptionTable.h"
#include "sidefile/SideFormat.h"
#include "sidefile/WaveFile.h"

namespace {

constexpr unsigned kAnalyze = 1u << static_cast<int>(CliCommand::Analyze);
constexpr unsigned kSlice = 1u << static_cast<int>(CliCommand::Slice);
constexpr unsigned kBoth = kAnalyze | kSlice;
constexpr unsigned kRecord = 1u << static_cast<int>(CliCommand::Record);
constexpr unsigned kDeclick = 1u << static_cast<int>(CliCommand::Declick);

constexpr std::size_t kMaxMarkers = 512;  // the side's cut table

using Row = OptionRow<CliOptions>;

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (;;) {
        const std::size_t comma = text.find(',', at);
        parts.push_back(text.substr(at, comma - at));
        if (comma == std::string::npos) return parts;
        at = comma + 1;
    }
}

std::string SetTypedTimes(CliOptions& o, Side side, const std::string& value) {
    const std::vector<std::string> parts = SplitCommas(value);
    const std::string name = "--times" + model::NumberText(side);
    if (parts.size() > 10) return name + ": at most ten times";
    TypedTimeFields fields;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (model::ReadTypedTime(parts[i]).kind == TypedTimeKind::NotATime)
            return name + ", field " + std::to_string(i + 1) + ": " + model::NotATimeText(parts[i]);
        fields[i] = parts[i];
    }
    o.typedTimes[model::Index(side)] = fields;
    return "";
}

std::string SetMarkers(CliOptions& o, Side side, const std::string& value) {
    const std::string name = "--markers" + model::NumberText(side);
    std::vector<std::int32_t> markers;
    if (!value.empty()) {
        for (const std::string& part : SplitCommas(value)) {
            std::int32_t tenths = 0;
            const char* end = part.data() + part.size();
            const auto [ptr, ec] = std::from_chars(part.data(), end, tenths);
            if (part.empty() || ec != std::errc() || ptr != end || tenths < 0)
                return name + ": \"" + part + "\" is not a cut in tenths of a second";
            markers.push_back(tenths);
        }
    }
    if (markers.size() > kMaxMarkers) return name + ": at most 512 markers";
    o.markers[model::Index(side)] = std::move(markers);
    return "";
}

// A flag: sets `Field` to `Value`.
template <auto Field, auto Value>
std::string SetFlag(CliOptions& o, const std::string&) {
    o.*Field = Value;
    return "";
}

// A text value taken as given.
template <auto Field>
std::string SetText(CliOptions& o, const std::string& value) {
    o.*Field = value;
    return "";
}

std::string SetFade(CliOptions& o, const std::string& value) {
    struct Choice {
        const char* text;
        int id;
    };
    static constexpr Choice kChoices[] = {{"0", 300},   {"0.0", 300}, {"0.1", 301}, {"1", 302},
                                          {"1.0", 302}, {"2", 303},   {"2.0", 303}};
    for (const Choice& c : kChoices)
        if (value == c.text) {
            o.fadeId = c.id;
            return "";
        }
    return "--fade: \"" + value + "\" is not one of 0, 0.1, 1, 2";
}

std::string SetRepairStrength(CliOptions& o, const std::string& name, const std::string& value) {
    o.repairStrength = repair::ParseRepairStrength(value);
    if (o.repairStrength) return "";
    return name + ": \"" + value + "\" is not one of off, light, medium, strong";
}

std::string SetEq(CliOptions& o, const std::string& value) {
    for (int id = menu::kEqFirst; id <= menu::kEqLast; ++id) {
        const int level = static_cast<int>(menu::BoostLevelForEqId(id));
        if (value == std::to_string(level)) {
            o.eqId = id;
            return "";
        }
    }
    return "--eq: \"" + value + "\" is not one of 0, 1, 2, 4, 6, 8, 10, 12";
}

/// The whole of `text` as a number: an optional minus sign (no plus), digits, for floating
/// point a fraction and an exponent; no blanks. False otherwise; callers check the range.
template <typename T>
bool ParseNumber(const std::string& text, T& out) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

std::string SetSongs(CliOptions& o, const std::string& value) {
    const std::vector<std::string> parts = SplitCommas(value);
    const std::size_t most = o.command == CliCommand::Analyze ? 1 : 2;
    if (parts.size() > most)
        return o.command == CliCommand::Analyze ? "--songs: analyze takes one side's count"
                                                : "--songs: at most two counts, N1,N2";
    for (std::size_t side = 0; side < parts.size(); ++side) {
        int n = 0;
        if (parts[side].empty() && parts.size() > 1) continue;  // ",8": side 1 not known
        if (!ParseNumber(parts[side], n) || n < 1 || n > static_cast<int>(kMaxMarkers))
            return "--songs: \"" + parts[side] + "\" is not a number of songs (1 to 512)";
        o.songs[side] = n;
    }
    return "";
}

/// A finite number within [low, high]: nan and inf never pass.
bool ParseInRange(const std::string& text, double low, double high, double& out) {
    return ParseNumber(text, out) && std::isfinite(out) && out >= low && out <= high;
}

std::string SetEncoderKind(CliOptions& o, const std::string& value) {
    struct Choice {
        const char* text;
        EncoderKind kind;
    };
    static constexpr Choice kChoices[] = {
        {"l3enc", EncoderKind::L3Enc},   {"blade", EncoderKind::BladeEnc},
        {"ogg", EncoderKind::OggVorbis}, {"fastenc", EncoderKind::FastEnc},
        {"lame", EncoderKind::Lame},     {"mp3", EncoderKind::Lame},  // the MP3 encoder at hand
        {"flac", EncoderKind::Flac}};
    for (const Choice& c : kChoices)
        if (value == c.text) {
            o.encoderKind = static_cast<int>(c.kind);
            return "";
        }
    return "--encode: \"" + value +
           "\" is not one of l3enc, blade, ogg, fastenc, lame (or mp3), flac";
}

std::string SetRate(CliOptions& o, const std::string& value) {
    for (int id = menu::kRateFirst; id <= menu::kRateLast; ++id)
        if (value == std::to_string(menu::BitRateForId(id) / 1000)) {
            o.rateId = id;
            return "";
        }
    return "--rate: \"" + value + "\" is not one of 96, 112, 128, 160, 192, 256, 320";
}

std::string AddCutList(CliOptions& o, const std::string& value, CutListFormat format) {
    if (value.empty())
        return format == CutListFormat::Cue ? "--cue: empty file name"
                                            : "--labels: empty file name";
    o.cutLists.push_back({value, format});
    return "";
}

std::string SetTitles(CliOptions& o, Side side, const std::string& value) {
    std::vector<std::string> titles;
    for (std::size_t at = 0; !value.empty();) {
        const std::size_t bar = value.find('|', at);
        titles.push_back(value.substr(at, bar - at));
        if (bar == std::string::npos) break;
        at = bar + 1;
    }
    o.titles[model::Index(side)] = std::move(titles);
    return "";
}

const Row kOptions[] = {
    {"--settings", "FILE.lpx", kSlice,
     "apply a settings file saved by the window, as File > Open does; its side paths are "
     "used when no side is given; options given here win",
     SetText<&CliOptions::settingsFile>},
    {"--out", "DIR", kSlice,
     "write the slices of both sides into DIR (created if missing) instead of each side's "
     "folder",
     [](CliOptions& o, const std::string& v) {
         if (v.empty()) return std::string("--out: empty folder name");
         o.outDir = v;
         return std::string();
     }},
    {"--typed", nullptr, kSlice, "cut at the typed times (--times1, --times2) instead of sensing",
     SetFlag<&CliOptions::cutsHow, 1>},
    {"--auto", nullptr, kSlice,
     "cut where silence is sensed (the default; overrides a settings file)",
     SetFlag<&CliOptions::cutsHow, 0>},
    {"--smart", nullptr, kBoth,
     "cut with Smart Sense, made for noisy records and tapes: it judges quiet by the side's "
     "own noise floor, ignores clicks, and takes every song it finds (not only ten)",
     SetFlag<&CliOptions::cutsHow, 2>},
    {"--songs", "N1[,N2]", kBoth,
     "with --smart: the number of songs on side 1 (and side 2) when known; Smart Sense then "
     "cuts at that many minus one gaps (\",N2\" gives side 2's alone)",
     [](CliOptions& o, const std::string& v) { return SetSongs(o, v); }},
    {"--min-song", "SECONDS", kBoth, "with --smart: the shortest song (default 20 seconds)",
     [](CliOptions& o, const std::string& v) {
         double s = 0;
         if (!ParseInRange(v, 0, 3600, s) || s <= 0)
             return "--min-song: \"" + v + "\" is not a length in seconds";
         o.minSongSeconds = s;
         return std::string();
     }},
    {"--trim", nullptr, kSlice,
     "with --smart: the first slice begins where the music starts and the last ends where it "
     "ends (half a second out), so the needle drop or the tape's leader and the run-out go into "
     "no file",
     SetFlag<&CliOptions::trim, true>},
    {"--times1", "T,T,...", kSlice,
     "side 1's typed times, up to ten fields, each min.sec.dsec, m:ss, m:ss.d or h:mm:ss "
     "(empty fields allowed)",
     [](CliOptions& o, const std::string& v) { return SetTypedTimes(o, Side::One, v); }},
    {"--times2", "T,T,...", kSlice, "side 2's typed times",
     [](CliOptions& o, const std::string& v) { return SetTypedTimes(o, Side::Two, v); }},
    {"--silence", "S", kBoth,
     "seconds of silence that separate songs when sensing (the leading integer counts; "
     "default 2)",
     SetText<&CliOptions::silenceText>},
    {"--markers1", "C,C,...", kSlice,
     "slice side 1 at these cuts (tenths of a second) like \"Slice using waveform markers\", "
     "every one of them; a side without markers gets no slices",
     [](CliOptions& o, const std::string& v) { return SetMarkers(o, Side::One, v); }},
    {"--markers2", "C,C,...", kSlice, "side 2's markers",
     [](CliOptions& o, const std::string& v) { return SetMarkers(o, Side::Two, v); }},
    {"--fade", "SECONDS", kSlice, "fade each slice in and out: 0, 0.1, 1 or 2 seconds",
     [](CliOptions& o, const std::string& v) { return SetFade(o, v); }},
    {"--normalize", nullptr, kSlice,
     "boost each side to full volume (draws the waveforms of both sides first, as the window "
     "needs)",
     SetFlag<&CliOptions::volumeId, menu::kVolumeNormalize>},
    {"--eq", "LEVEL", kBoth, "treble boost: 0 (off), 1, 2, 4, 6, 8, 10 or 12",
     [](CliOptions& o, const std::string& v) { return SetEq(o, v); }},
    {"--declick", "STRENGTH", kSlice,
     "repair clicks and crackle in every slice before any other treatment: off (the default), "
     "light, medium or strong; the summary line counts the clicks repaired per slice",
     [](CliOptions& o, const std::string& v) { return SetRepairStrength(o, "--declick", v); }},
    {"--strength", "STRENGTH", kDeclick,
     "how hard to repair: off, light (only clicks far above the music), medium (the "
     "default) or strong (fainter clicks and longer pops too)",
     [](CliOptions& o, const std::string& v) { return SetRepairStrength(o, "--strength", v); }},
    {"--report", nullptr, kDeclick,
     "list every repaired click, one line each: its first frame and its length in frames, "
     "and both in seconds",
     SetFlag<&CliOptions::report, true>},
    {"--json", nullptr, kAnalyze,
     "print one JSON object {\"levelCount\", \"peak\", \"cuts\", \"levels\"}",
     SetFlag<&CliOptions::json, true>},
    {"--quiet", nullptr, kBoth | kRecord | kDeclick,
     "no progress bar or level line and no summary lines; errors are still shown",
     SetFlag<&CliOptions::quiet, true>},
    {"--encode", "KIND", kSlice,
     "encode each slice with an external encoder: l3enc, blade, fastenc (MP3 files A1.mp3, "
     "B1.mp3, ...), ogg, flac or lame; oggenc, flac and lame are found on PATH unless "
     "--encoder names one",
     [](CliOptions& o, const std::string& v) { return SetEncoderKind(o, v); }},
    {"--encoder", "PATH", kSlice,
     "the encoder program; turns encoding on, its kind recognised from the path as "
     "\"Locate encoder...\" does unless --encode names it",
     [](CliOptions& o, const std::string& v) {
         if (v.empty()) return std::string("--encoder: empty path");
         o.encoderPath = v;
         return std::string();
     }},
    {"--rate", "KBITS", kSlice, "bit rate: 96, 112, 128 (default), 160, 192, 256 or 320",
     [](CliOptions& o, const std::string& v) { return SetRate(o, v); }},
    {"--cd", nullptr, kSlice,
     "write the slices as CD audio, 44.1 kHz 16-bit stereo, whatever the side's format: "
     "resampled by libsoxr at its very high quality and dithered (for CD or MP3 copies of a "
     "24-bit/96 kHz archive); a 44.1 kHz 16-bit side is sliced as always",
     SetFlag<&CliOptions::cdAudio, true>},
    {"--delete-slices", nullptr, kSlice,
     "delete each WAV slice once it has been encoded (a slice whose encoder run failed is "
     "kept)",
     [](CliOptions& o, const std::string&) {
         o.deleteSlices = true;
         return std::string();
     }},
    {"--replace-earlier", nullptr, kSlice,
     "remove the slices and encoded files an earlier run left in the output folders that this "
     "run did not replace (renamed or surplus tracks); without it they stay and are listed",
     SetFlag<&CliOptions::replaceEarlier, true>},
    {"--voice", nullptr, kSlice,
     "speak the voice messages after slicing and encoding each side, and wait for the last "
     "one before ending",
     [](CliOptions& o, const std::string&) {
         o.voice = true;
         return std::string();
     }},
    {"--cue", "FILE", kBoth,
     "analyze: write the side's cuts as a CUE sheet (at most 99 tracks; never over a side or "
     "another audio file). slice: cut at every track of a CUE sheet like \"Slice using "
     "waveform markers\", with its titles and album fields; a sheet's FILE names its side "
     "(else the sheets take the sides in order); give it twice for two sheets, one per side",
     [](CliOptions& o, const std::string& v) { return AddCutList(o, v, CutListFormat::Cue); }},
    {"--labels", "FILE", kBoth,
     "the same with an Audacity label file (one side per file: side 1, then side 2)",
     [](CliOptions& o, const std::string& v) { return AddCutList(o, v, CutListFormat::Labels); }},
    {"--album", "TEXT", kBoth, "album title, for the tags of the encoded files and cut lists",
     SetText<&CliOptions::album>},
    {"--artist", "TEXT", kBoth, "album artist", SetText<&CliOptions::artist>},
    {"--year", "TEXT", kBoth, "the album's year (DATE tag)", SetText<&CliOptions::year>},
    {"--genre", "TEXT", kBoth, "the album's genre", SetText<&CliOptions::genre>},
    {"--titles1", "\"A|B|...\"", kBoth,
     "side 1's track titles in slice order: files are then named \"01 - A.wav\", "
     "\"02 - B.flac\", ... (numbers continue on side 2) and tagged; wins over a cut list's",
     [](CliOptions& o, const std::string& v) { return SetTitles(o, Side::One, v); }},
    {"--titles2", "\"A|B|...\"", kSlice, "side 2's track titles",
     [](CliOptions& o, const std::string& v) { return SetTitles(o, Side::Two, v); }},
    {"--keep-title-characters", nullptr, kSlice,
     "keep ? : * \" < > | \\ and trailing dots of titles in the file names; by default they "
     "become _ (trailing dots go) so that the files can be copied to FAT and exFAT memory "
     "sticks and phones",
     SetFlag<&CliOptions::keepTitleCharacters, true>},
    {"--jobs", "N", kSlice,
     "run up to N encoders at once, each slice's as soon as it is written (default: one per "
     "processor); 1 encodes a side's slices one after the other once all are written",
     [](CliOptions& o, const std::string& v) {
         int n = 0;
         if (!ParseNumber(v, n) || n < 1 || n > kMaxJobs)
             return "--jobs: \"" + v + "\" is not a number from 1 to " + std::to_string(kMaxJobs);
         o.jobs = n;
         return std::string();
     }},
    {"--list-devices", nullptr, kRecord,
     "print the stereo inputs as the window's Input menu lists them, \"N: NAME (stereo in)\"",
     SetFlag<&CliOptions::listDevices, true>},
    {"--device", "N", kRecord, "record from input N of --list-devices (default 1)",
     [](CliOptions& o, const std::string& v) {
         int n = 0;
         if (!ParseNumber(v, n) || n < 1) return "--device: \"" + v + "\" is not an input number";
         o.device = n;
         return std::string();
     }},
    {"--gain", "G", kRecord,
     "multiply every sample by G, 0 to 51, as the levels dialog's slider does (default 1); "
     "louder samples are held at full scale",
     [](CliOptions& o, const std::string& v) {
         double g = 0;
         if (!ParseInRange(v, 0, 51, g)) return "--gain: \"" + v + "\" is not 0 to 51";
         o.gain = static_cast<float>(g);
         return std::string();
     }},
    {"--rate", "HZ", kRecord,
     "record at HZ frames per second: 44100 (default), 48000, 88200, 96000, 176400 or "
     "192000, where the input takes it",
     [](CliOptions& o, const std::string& v) {
         int hz = 0;
         if (!ParseNumber(v, hz) || hz < static_cast<int>(kLowestSideRate) ||
             hz > static_cast<int>(kHighestSideRate))
             return "--rate: \"" + v + "\" is not a rate from 22050 to 192000 Hz";
         o.recordRate = static_cast<std::uint32_t>(hz);
         return std::string();
     }},
    {"--bits", "16|24", kRecord, "record 16-bit (default) or 24-bit samples",
     [](CliOptions& o, const std::string& v) {
         int bits = 0;
         if (!ParseNumber(v, bits) || (bits != 16 && bits != 24))
             return "--bits: \"" + v + "\" is not 16 or 24";
         o.recordBits = bits;
         return std::string();
     }},
    {"--seconds", "S", kRecord, "stop after exactly round(S x the rate) frames",
     [](CliOptions& o, const std::string& v) {
         double s = 0;
         if (!ParseInRange(v, 0, 24 * 3600.0, s))
             return "--seconds: \"" + v + "\" is not a length in seconds";
         // No limit at all would be the opposite of what was asked.
         if (std::llround(s * kSampleRate) < 1)
             return "--seconds: \"" + v + "\" is shorter than one frame";
         o.seconds = s;
         return std::string();
     }},
    {"--auto-stop", nullptr, kRecord,
     "stop by itself after about 20 s of near-silence, as the window's automatic stop does",
     SetFlag<&CliOptions::autoStop, true>},
    {"--force", nullptr, kRecord | kDeclick,
     "record (or write the repaired side) into OUT.wav even when it exists (it is replaced "
     "once the recording has started, or once the repaired side is complete)",
     SetFlag<&CliOptions::force, true>},
};

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h" || arg == "help";
}

// The command tags of the help text's left column.
std::string CommandTag(unsigned commands) {
    if (commands == kAnalyze) return "  (analyze)";
    if (commands == kRecord) return "  (record)";
    if (commands == kDeclick) return "  (declick)";
    if (commands == (kRecord | kDeclick)) return "  (record, declick)";
    return "";
}

}  // namespace

ParseResult cli::ParseCommandLine(const std::vector<std::string>& args) {
    ParseResult result;
    CliOptions& o = result.options;
    if (args.empty()) {
        result.error = "no command given";
        return result;
    }
    if (IsHelp(args[0])) return result;
    if (args[0] == "analyze") {
        o.command = CliCommand::Analyze;
    } else if (args[0] == "slice") {
        o.command = CliCommand::Slice;
    } else if (args[0] == "record") {
        o.command = CliCommand::Record;
    } else if (args[0] == "declick") {
        o.command = CliCommand::Declick;
    } else {
        result.error =
            "unknown command \"" + args[0] + "\" (expected analyze, slice, record or declick)";
        return result;
    }
    const ParsedArguments parsed =
        settings::ParseOptions<CliOptions>(kOptions, 1u << static_cast<int>(o.command),
                                           {args.begin() + 1, args.end()}, o, " for " + args[0]);
    if (!parsed.error.empty()) {
        result.error = parsed.error;
        return result;
    }
    if (parsed.help) {
        const CliCommand command = o.command;
        o = CliOptions{};
        o.command = command;
        o.help = true;
        return result;
    }
    o.sides = parsed.positional;

    const std::size_t maxSides = o.command == CliCommand::Slice ? 2 : 1;
    if (o.command == CliCommand::Declick) {
        if (o.sides.size() != 2) result.error = "declick needs a side to read and a file to write";
    } else if (o.command == CliCommand::Record) {
        if (o.listDevices && !o.sides.empty())
            result.error = "record --list-devices takes no file";
        else if (!o.listDevices && o.sides.size() != 1)
            result.error = "record needs one file to record into (or --list-devices)";
    } else if (o.sides.size() > maxSides) {
        result.error = "too many files: " + args[0] + " takes at most " + std::to_string(maxSides) +
                       (maxSides == 1 ? " side" : " sides");
    } else if (o.command == CliCommand::Analyze && o.sides.empty()) {
        result.error = "analyze needs a side file";
    } else if (o.command == CliCommand::Analyze && (o.songs[0] || o.minSongSeconds) &&
               o.cutsHow != 2) {
        result.error = "--songs and --min-song go with --smart";
    } else if (o.command == CliCommand::Slice && o.sides.empty() && !o.settingsFile) {
        result.error = "slice needs one or two side files (or --settings naming them)";
    } else if (o.command == CliCommand::Slice && o.cutLists.size() > 2) {
        result.error = "--cue and --labels: at most one cut list per side";
    } else if (o.command == CliCommand::Slice && !o.cutLists.empty() &&
               (o.markers[0] || o.markers[1] || o.cutsHow == 1 || o.cutsHow == 2)) {
        result.error =
            "--cue and --labels give the cuts: not with --markers1, --markers2, "
            "--typed or --smart";
    }
    return result;
}

namespace {

struct CommandUsage {
    CliCommand command;
    const char* call;  ///< the command and its files
    const char* what;  ///< its paragraph of the help text
};

constexpr CommandUsage kCommands[] = {
    {CliCommand::Analyze, "analyze SIDE.wav",
     "analyze  measures the side's level every 0.1 s and finds up to ten cuts in silent\n"
     "         passages (with --smart: every cut Smart Sense finds); prints the level\n"
     "         count, the peak and the cuts (tenths of a second).\n"},
    {CliCommand::Slice, "slice SIDE1.wav [SIDE2.wav]",
     "slice    writes the slices 1.wav, 2.wav, ... into each side's folder (or --out);\n"
     "         side 2's numbers continue side 1's. Cuts are sensed, typed (--typed) or\n"
     "         given as markers (--markers1/--markers2).\n"},
    {CliCommand::Record, "record OUT.wav",
     "record   records a side from a stereo input into OUT.wav (44.1 kHz, 16 bits), as the\n"
     "         window's Rec button does, until --seconds, --auto-stop, Ctrl+C or SIGTERM\n"
     "         ends it; a level line is shown on standard error when it is a terminal.\n"},
    {CliCommand::Declick, "declick IN OUT.wav",
     "declick  repairs the clicks and crackle of a whole side (any format slice reads)\n"
     "         into OUT.wav, in the side's own rate, channels and sample encoding; every\n"
     "         sample it leaves alone is copied as it is. OUT.wav is never IN, and an\n"
     "         existing one is replaced only with --force.\n"},
};

unsigned Bit(CliCommand command) {
    return 1u << static_cast<int>(command);
}

std::string UsageLine(const CommandUsage& c) {
    return settings::WrapUsageLine(
        std::string("  velvane-cli ") + c.call + " " +
            settings::OptionSynopsis(std::span<const Row>(kOptions), Bit(c.command)),
        6);
}

}  // namespace

std::string cli::ShortUsage() {
    std::string text = "Usage:\n";
    for (const CommandUsage& c : kCommands)
        text += std::string("  velvane-cli ") + c.call + " [OPTIONS]\n";
    return text + "Try 'velvane-cli --help', or 'velvane-cli slice --help' for one command.\n";
}

std::string cli::HelpText(CliCommand command) {
    const std::span<const Row> rows = kOptions;
    if (command != CliCommand::Help) {
        for (const CommandUsage& c : kCommands)
            if (c.command == command)
                return "Usage:\n" + UsageLine(c) + "\n" + c.what + "\nOptions:\n" +
                       settings::OptionHelp(rows, Bit(command)) +
                       "  -h, --help            show this text (velvane-cli --help: every "
                       "command)\n";
    }
    std::string text = "Usage:\n";
    for (const CommandUsage& c : kCommands) text += UsageLine(c);
    text += "  velvane-cli --help\n";
    text +=
        "\n"
        "Slices 44.1 kHz 16-bit stereo WAV recordings of record sides into one WAV file per\n"
        "song, as the window's \"Slice using auto sense or typed times\" does.\n"
        "\n";
    for (const CommandUsage& c : kCommands) text += c.what;
    text += "\nOptions:\n";
    text += settings::OptionHelp(rows, 0, CommandTag);
    text +=
        "  -h, --help            show this text\n"
        "\n"
        "Sides are checked like the window's \"Locate...\": mono, 48 kHz or 24-bit files are\n"
        "refused. Relative paths are taken from the current folder. A progress bar is shown\n"
        "on standard error when it is a terminal; one summary line per side is printed.\n"
        "\n"
        "Exit status: 0 success (also when nothing had to be written), 1 a file could not be\n"
        "read or written or was refused, a typed time of a settings file is not a time, a\n"
        "CUE sheet could not hold every track (the first 99 are written, the others named),\n"
        "or an encoder run failed (its command is printed), 2 usage error (also: encoding\n"
        "asked for and no encoder found, two cut lists for one side), 130 interrupted by\n"
        "Ctrl+C (every file written until then is complete and valid). record: 0 when a\n"
        "valid file was written (Ctrl+C and SIGTERM end a recording normally), 1 when there\n"
        "is no stereo input, the input cannot record stereo in the format asked (--rate,\n"
        "--bits), or the file cannot be written.\n"
        "\n"
        "Examples:\n"
        "  velvane-cli slice --fade 1 side1.wav side2.wav\n"
        "  velvane-cli slice --typed --times1 \"3.20.5,,7.02\" --out songs side1.wav\n"
        "  velvane-cli slice --encode ogg --rate 192 --delete-slices side1.wav side2.wav\n"
        "  velvane-cli analyze --json side1.wav\n"
        "  velvane-cli slice --cue side1.cue --encode flac --artist \"The Band\" side1.wav\n"
        "  velvane-cli slice --smart --songs 6,5 side1.wav side2.wav\n"
        "  velvane-cli record --auto-stop side1.wav\n"
        "  velvane-cli slice --declick medium --normalize side1.wav side2.wav\n"
        "  velvane-cli declick --strength light --report side1.flac side1-repaired.wav\n";
    return text;
}
