#include "engine/CutListFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/CueSheet.h"
#include "engine/LabelFile.h"
#include "platform/File.h"
#include "platform/ReplaceFile.h"

namespace {

constexpr std::size_t kMaxCutListBytes = 4 << 20;  // far beyond any real cut list

std::string Reason() {
    return std::strerror(errno ? errno : EIO);
}

}  // namespace

CutListFormat CutListFormatOf(const std::string& path) {
    if (path.size() < 4) return CutListFormat::Cue;
    std::string end = path.substr(path.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".txt" ? CutListFormat::Labels : CutListFormat::Cue;
}

CutListResult ReadCutListFile(const std::string& path) {
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
    result = CutListFormatOf(path) == CutListFormat::Labels ? ParseLabels(text)
                                                            : ParseCueSheet(text);
    if (!result.error.empty()) result.error = path + ", " + result.error;
    return result;
}

std::string WriteCutListFile(const std::string& path, const CutList& list) {
    std::string text;
    if (CutListFormatOf(path) == CutListFormat::Labels)
        text = list.sides.empty() ? std::string() : FormatLabels(list.sides[0]);
    else
        text = FormatCueSheet(list);
    if (!platform::ReplaceFileContents(path, text))
        return "Cannot write the cut list \"" + path + "\" (" + Reason() + ").";
    return {};
}
