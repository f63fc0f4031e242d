#pragma once
// The settings file: 34 fields, each closed by "<>", no header and no escaping. The one
// codec for the window's File > Open/Save and for velvane-cli --settings. Choices that came
// later (CD audio, the recording format, the click repair) follow the 34th field, written
// only when one of them differs from its default: a reader of 34 fields stops before them,
// and a file without them reads as the defaults. The repair's field comes last and is
// written only when Repair is on, so a file saved with it off is what it always was.

#include <array>
#include <cstdio>
#include <string>

/// The 34 fields in file order. Numbers hold what was read, unvalidated: -1 and other
/// odd values come from damaged files and are for the caller to apply as the window does.
struct SettingsFields {
    std::string lastPath;                    // 1
    std::string side1Path;                   // 2
    std::string side2Path;                   // 3
    int cutsHow = 0;                         // 4: 0 Auto Sense, 1 Typed Times, 2 Smart Sense
    std::string silenceSeconds = "2";        // 5
    std::array<std::string, 20> typedTimes;  // 6..25: side 1's ten, then side 2's
    int createEncoded = 1;                   // 26
    int encoderKind = 2;                     // 27
    int voiceAfterEncoding = 1;              // 28
    int deleteSlices = 0;                    // 29
    int voiceAfterSlicing = 1;               // 30
    int rateId = 202;                        // 31
    int fadeId = 300;                        // 32
    int volumeId = 500;                      // 33
    int eqId = 708;                          // 34
    // After the 34 fields, in newer files only:
    int cdAudio = 0;         // 35: "Write slices as CD audio" (1 checked)
    int recordRate = 44100;  // 36: the recording format's frames per second
    int recordBits = 16;     // 37: and its bits per sample
    int repairStrength = 0;  // 38: Repair: 0 off, 1 light, 2 medium, 3 strong

    bool operator==(const SettingsFields&) const = default;
};

constexpr int kSettingsFieldCount = 34;
constexpr int kSettingsFieldMaxChars = 1024;  ///< characters read per field at most

namespace settings {

/// The file's bytes for `fields`: text as "%s<>", numbers as "%d<>".
std::string FormatSettings(const SettingsFields& fields);

/// Reads the 34 fields from the stream's position. Never fails: a field without its "<>"
/// within 1024 characters is missing; a missing text field repeats the text field before
/// it (empty for the first), a missing number is the code of the last character read
/// (-1 at the end of the file). A number is the decimal integer at the start of the field
/// (white space skipped, optional sign; no digits gives 0). Fields 35 to 38, when present,
/// are read the same way; missing ones keep their defaults.
SettingsFields ReadSettings(std::FILE* in);

/// Writes the settings to `path` through a temporary file beside it, renamed over the
/// target, so a failed save leaves the previous file as it was. An existing file that
/// cannot be opened for writing is refused; in a folder that takes no new file, an
/// existing writable file is written in place. False on any failure.
bool SaveSettingsFile(const std::string& path, const SettingsFields& fields);

}  // namespace settings
