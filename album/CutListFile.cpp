#include "album/CutListFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "album/CueSheet.h"
#include "album/LabelFile.h"
#include "album/Utf8Text.h"
#include "platform/File.h"
#include "platform/ReplaceFile.h"
#include "sidefile/SideReader.h"

namespace {

constexpr std::size_t kMaxCutListBytes = 4 << 20;  // far beyond any real cut list

std::string Reason() {
    return std::strerror(errno ? errno : EIO);
}

// The kind of audio a file holds by its first bytes; "" for none (or no file).
std::string AudioKindOf(const std::string& path) {
    platform::FilePtr in = platform::OpenFile(path, "rb");
    unsigned char head[4] = {};
    if (!in || std::fread(head, 1, sizeof head, in.get()) < 3) return "";
    const std::string_view magic(reinterpret_cast<const char*>(head), sizeof head);
    if (magic == "RIFF" || magic == "RF64") return "a WAV file";
    if (magic == "FORM") return "an AIFF file";
    if (magic == "fLaC") return "a FLAC file";
    if (magic == "OggS") return "an Ogg file";
    if (magic.substr(0, 3) == "ID3") return "an MP3 file";
    // An MPEG audio frame header: 11 sync bits, a version and layer that exist, a bit rate
    // and sample rate that exist. FF FE is UTF-16's byte order mark, which text begins with.
    const bool sync = head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
    const bool version = (head[1] & 0x18) != 0x08, layer = (head[1] & 0x06) != 0;
    const bool rates = (head[2] & 0xF0) != 0xF0 && (head[2] & 0x0C) != 0x0C;
    if (sync && version && layer && rates && head[1] != 0xFE) return "an MP3 file";
    return "";
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    const fs::path left = fs::weakly_canonical(a, ec);
    if (ec) return a == b;
    const fs::path right = fs::weakly_canonical(b, ec);
    return ec ? a == b : left == right;
}

}  // namespace

CutListFormat album::CutListFormatOf(const std::string& path) {
    if (path.size() < 4) return CutListFormat::Cue;
    const std::string end = LowerCase(path.substr(path.size() - 4));
    return end == ".txt" ? CutListFormat::Labels : CutListFormat::Cue;
}

std::string album::WithCutListExtension(const std::string& path, CutListFormat format) {
    const std::string wanted = format == CutListFormat::Labels ? ".txt" : ".cue";
    const std::string end = path.size() >= 4 ? LowerCase(path.substr(path.size() - 4)) : "";
    const bool known = end == ".txt" || end == ".cue";
    return (known ? path.substr(0, path.size() - 4) : path) + wanted;
}

CutListResult album::ReadCutListFile(const std::string& path, CutListFormat format) {
    CutListResult result;
    platform::FilePtr in = platform::OpenFile(path, "rb");
    if (!in) {
        result.error = path + ": cannot be opened (" + Reason() + ")";
        return result;
    }
    std::string text;
    char buffer[16384];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
        text.append(buffer, n);
        if (text.size() > kMaxCutListBytes) {
            result.error = path + ": too large to be a cut list";
            return result;
        }
    }
    if (std::ferror(in.get())) {
        result.error = path + ": cannot be read (" + Reason() + ")";
        return result;
    }
    result = format == CutListFormat::Labels ? ParseLabels(text) : ParseCueSheet(text);
    if (!result.error.empty()) result.error = path + ", " + result.error;
    return result;
}

std::string album::WriteCutListFile(const std::string& path, const CutListData& list,
                                    CutListFormat format, std::span<const std::string> sidePaths) {
    for (const std::string& side : sidePaths)
        if (!side.empty() && SameFile(path, side))
            return "The cut list was not written: \"" + path +
                   "\" is a side's recording, which a cut list never replaces.";
    if (const std::string kind = AudioKindOf(path); !kind.empty())
        return "The cut list was not written: \"" + path + "\" is " + kind +
               ", which a cut list never replaces.";
    std::string text;
    if (format == CutListFormat::Labels)
        text = list.sides.empty() ? std::string() : FormatLabels(list.sides[0]);
    else
        text = FormatCueSheet(list);
    if (!platform::ReplaceFileContents(path, text))
        return "Cannot write the cut list \"" + path + "\" (" + Reason() + ").";
    return {};
}

std::string album::TracksLeftOut(const CutListData& list, CutListFormat format) {
    if (format != CutListFormat::Cue) return "";
    std::size_t total = 0;
    std::int64_t firstStart = 0;  // of the first track left out
    for (const CutListSide& side : list.sides)
        for (const CutListTrack& track : side.tracks)
            if (++total == kMaxCueTracks + 1) firstStart = track.start;
    const std::size_t first = kMaxCueTracks + 1;
    if (total < first) return "";
    const std::string which =
        total == first ? "Track " + std::to_string(first)
                       : "Tracks " + std::to_string(first) + " to " + std::to_string(total);
    return which + " (from " + model::FormatTenths(firstStart) + " on) " +
           (total == first ? "was" : "were") + " left out: a CUE sheet holds at most " +
           std::to_string(kMaxCueTracks) + " tracks.";
}

std::string album::RecordingNameFor(const std::string& sidePath, const std::string& cutListPath) {
    namespace fs = std::filesystem;
    const fs::path side(sidePath), list(cutListPath);
    if (!side.is_absolute() || !list.is_absolute()) return sidePath;
    const fs::path relative = side.lexically_relative(list.parent_path());
    return relative.empty() ? sidePath : relative.string();
}

std::optional<SideLength> album::ReadSideLength(const std::string& sidePath) {
    const std::unique_ptr<SideReader> side = SideReader::Open(sidePath);
    if (!side) return std::nullopt;
    return SideLength{side->Frames(), side->Format().sampleRate};
}
