#include "album/LabelFile.h"

#include <cstdio>
#include <optional>

#include "album/Utf8Text.h"

namespace {

constexpr std::uint64_t kMicrosPerTenth = 100000;

std::string Seconds(std::uint64_t micros) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu.%06llu",
                  static_cast<unsigned long long>(micros / 1000000),
                  static_cast<unsigned long long>(micros % 1000000));
    return text;
}

std::uint64_t Micros(std::int64_t tenths) {
    return tenths > 0 ? static_cast<std::uint64_t>(tenths) * kMicrosPerTenth : 0;
}

// Seconds as written ("12.345678", "-1,5", "7") to the nearest tenth, half away from zero.
std::optional<std::int64_t> TenthsOf(std::string_view text) {
    constexpr int kIntegerDigits = 12;
    constexpr int kFractionDigits = 7;  // enough to round any written time to a tenth
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::int64_t whole = 0, fraction = 0;
    int wholeDigits = 0, fractionDigits = 0;
    std::size_t at = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++wholeDigits) {
        if (wholeDigits == kIntegerDigits) return std::nullopt;
        whole = whole * 10 + (text[at] - '0');
    }
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
            if (fractionDigits < kFractionDigits) {
                fraction = fraction * 10 + (text[at] - '0');
                ++fractionDigits;
            }
    }
    if (at != text.size() || wholeDigits + fractionDigits == 0) return std::nullopt;
    for (; fractionDigits < kFractionDigits; ++fractionDigits) fraction *= 10;
    const std::int64_t tenths = whole * 10 + (fraction + 500000) / 1000000;
    return negative ? -tenths : tenths;
}

// The next field of `line` up to a tab (or, in a line without tabs, a space run).
std::string_view NextField(std::string_view& line, bool tabs) {
    if (!tabs) {
        const std::size_t start = line.find_first_not_of(' ');
        line.remove_prefix(start == std::string_view::npos ? line.size() : start);
    }
    const std::size_t end = line.find(tabs ? '\t' : ' ');
    const std::string_view field = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
    return field;
}

}  // namespace

std::string album::FormatLabels(const CutListSide& side) {
    std::string out;
    for (std::size_t k = 0; k < side.tracks.size(); ++k) {
        const std::uint64_t start = Micros(side.tracks[k].start);
        std::uint64_t end =
            k + 1 < side.tracks.size() ? Micros(side.tracks[k + 1].start) : side.lengthMicroseconds;
        if (end < start) end = start;
        std::string title = ValidUtf8(side.tracks[k].info.title);
        for (char& c : title)
            if (c == '\t' || c == '\n' || c == '\r') c = ' ';
        out += Seconds(start) + "\t" + Seconds(end) + "\t" + title + "\n";
    }
    return out;
}

CutListResult album::ParseLabels(std::string_view bytes) {
    CutListResult result;
    const std::string decoded = DecodeImportedText(bytes);
    std::string_view text = decoded;
    CutListSide side;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '\\') continue;
        const bool tabs = line.find('\t') != std::string_view::npos;
        const std::string_view startText = NextField(line, tabs);
        const std::string_view endText = NextField(line, tabs);
        const std::optional<std::int64_t> start = TenthsOf(startText);
        const std::optional<std::int64_t> end = endText.empty() ? start : TenthsOf(endText);
        if (!start || !end) {
            result.error = "line " + std::to_string(lineNumber) + ": \"" +
                           std::string(!start ? startText : endText) +
                           "\" is not a time in seconds";
            return result;
        }
        CutListTrack track;
        track.start = *start;
        track.info.title = CleanText(line);
        side.tracks.push_back(std::move(track));
    }
    if (side.tracks.empty()) {
        result.error =
            "line " + std::to_string(lineNumber > 0 ? lineNumber : 1) + ": the file holds no label";
        return result;
    }
    result.list.sides.push_back(std::move(side));
    return result;
}
