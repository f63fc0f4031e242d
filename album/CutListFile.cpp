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
#include "sidefile/WaveFile.h"

namespace {

constexpr std::size_t kMaxCutListBytes = 4 << 20;  // far beyond any real cut list

std::string Reason() {
    return std::strerror(errno ? errno : EIO);
}

}  // namespace

CutListFormat CutListFormatOf(const std::string& path) {
    if (path.size() < 4) return CutListFormat::Cue;
    const std::string end = LowerCase(path.substr(path.size() - 4));
    return end == ".txt" ? CutListFormat::Labels : CutListFormat::Cue;
}

CutListResult ReadCutListFile(const std::string& path, CutListFormat format) {
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

std::string WriteCutListFile(const std::string& path, const CutListData& list,
                             CutListFormat format) {
    std::string text;
    if (format == CutListFormat::Labels)
        text = list.sides.empty() ? std::string() : FormatLabels(list.sides[0]);
    else
        text = FormatCueSheet(list);
    if (!platform::ReplaceFileContents(path, text))
        return "Cannot write the cut list \"" + path + "\" (" + Reason() + ").";
    return {};
}

std::string RecordingNameFor(const std::string& sidePath, const std::string& cutListPath) {
    namespace fs = std::filesystem;
    const fs::path side(sidePath), list(cutListPath);
    if (!side.is_absolute() || !list.is_absolute()) return sidePath;
    const fs::path relative = side.lexically_relative(list.parent_path());
    return relative.empty() ? sidePath : relative.string();
}

std::optional<SideLength> ReadSideLength(const std::string& sidePath) {
    platform::FilePtr in = platform::OpenFile(sidePath, "rb");
    WaveFile wave;
    if (!in || !wave.ReadHeader(in.get())) return std::nullopt;
    return SideLength{wave.dataBytes / kBytesPerFrame, wave.sampleRate};
}
