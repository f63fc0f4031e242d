#include "album/CueSheet.h"

#include "album/Utf8Text.h"

#include <libcue.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <mutex>

#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define fileno _fileno
#define close _close
#else
#include <unistd.h>
#endif

namespace {

constexpr int kFramesPerSecond = 75;
// Close a sheet prefix cut at a line end, so that a prefix parses when its lines do: a
// track, after a FILE line when the prefix has none yet.
constexpr std::string_view kClosingTracks[] = {
    "\nTRACK 99 AUDIO\nINDEX 01 00:00:00\n",
    "\nFILE \"x\" WAVE\nTRACK 99 AUDIO\nINDEX 01 00:00:00\n"};

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : album::ValidUtf8(text)) {
        if (c == '"' || c == '\\') out += '\\';
        out += c == '\n' || c == '\r' ? ' ' : c;
    }
    return out + "\"";
}

std::string Unescaped(const char* text) {
    std::string out;
    if (!text) return out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\\' && (p[1] == '"' || p[1] == '\\')) ++p;
        out += *p;
    }
    return out;
}

// A value that may stand unquoted after REM DATE.
bool Plain(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c == ' ' || c == '"' || c == '\t' || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

std::string Index(std::int64_t tenths) {
    // 7.5 frames a tenth: the nearest frame, half up.
    const std::int64_t frames = (tenths * 15 + 1) / 2;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(frames / (60 * kFramesPerSecond)),
                  static_cast<long long>(frames / kFramesPerSecond % 60),
                  static_cast<long long>(frames % kFramesPerSecond));
    return text;
}

struct CdDeleter {
    void operator()(Cd* cd) const { cd_delete(cd); }
};
using CdPtr = std::unique_ptr<Cd, CdDeleter>;

// libcue tells what it cannot read on standard error and then carries on, skipping the
// characters it did not understand; its line numbers run on from one parse to the next.
// So a parse counts only when it returns a sheet and says nothing: standard error is
// caught for the length of a parse. The lock also serialises libcue, which is not
// reentrant. (Another thread's message in that instant would be taken for libcue's.)
std::mutex g_libcue;

struct Parse {
    CdPtr cd;
    std::string said;  ///< what libcue wrote on standard error
    bool Ok() const { return cd && said.empty(); }
};

Parse ParseCaught(const std::string& text) {
    Parse parse;
    std::fflush(stderr);
    std::FILE* caught = std::tmpfile();
    const int saved = caught ? dup(2) : -1;
    if (saved >= 0 && dup2(fileno(caught), 2) < 0) {
        close(saved);
        std::fclose(caught);
        caught = nullptr;
    }
    parse.cd.reset(cue_parse_string(text.c_str()));
    if (caught) {
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        std::rewind(caught);
        char buffer[512];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, caught)) > 0) parse.said.append(buffer, n);
        std::fclose(caught);
    }
    return parse;
}

// The first thing libcue said, without its (meaningless) line number.
std::string FirstComplaint(const std::string& said) {
    std::string line = said.substr(0, said.find('\n'));
    const std::size_t colon = line.find(": ");
    if (colon != std::string::npos && line.find_first_not_of("0123456789") == colon)
        line.erase(0, colon + 2);
    return line.empty() ? "not a CUE sheet line" : "not a CUE sheet line (" + line + ")";
}

std::vector<std::size_t> LineStarts(std::string_view text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && i + 1 < text.size()) starts.push_back(i + 1);
    return starts;
}

// Whether the sheet's first `lines` lines, closed by a track, parse; else what libcue said.
bool PrefixParses(const std::string& text, const std::vector<std::size_t>& starts,
                  std::size_t lines, std::string& said) {
    const std::size_t end = lines < starts.size() ? starts[lines] : text.size();
    said.clear();
    for (std::string_view closing : kClosingTracks) {
        Parse parse = ParseCaught(text.substr(0, end) + std::string(closing));
        if (parse.Ok()) return true;
        if (said.empty()) said = parse.said;
    }
    return false;
}

// The line libcue stumbles on: the line whose sheet prefix, closed by a track, fails where
// the prefix before it parses. The prefix of no line parses; a prefix that holds a line
// libcue does not understand fails, so a halving search finds it in a few parses.
std::string LocateError(const std::string& text) {
    const std::vector<std::size_t> starts = LineStarts(text);
    std::string said;
    if (PrefixParses(text, starts, starts.size(), said))
        return "line " + std::to_string(starts.size()) + ": the sheet holds no complete track";
    std::size_t parses = 0, fails = starts.size();
    while (fails - parses > 1) {
        const std::size_t middle = parses + (fails - parses) / 2;
        (PrefixParses(text, starts, middle, said) ? parses : fails) = middle;
    }
    PrefixParses(text, starts, fails, said);
    return "line " + std::to_string(fails) + ": " + FirstComplaint(said);
}

struct TrackLine {
    int line = 0;           ///< from 1
    std::string_view rest;  ///< what follows the word TRACK on the line
};

// Every line whose first word is TRACK, in order.
std::vector<TrackLine> TrackLines(std::string_view text) {
    std::vector<TrackLine> tracks;
    const std::vector<std::size_t> starts = LineStarts(text);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
        std::string_view line = text.substr(starts[i], end - starts[i]);
        const std::size_t at = line.find_first_not_of(" \t");
        if (at == std::string_view::npos) continue;
        line.remove_prefix(at);
        std::string word(line.substr(0, 6));
        for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (word == "TRACK " || word == "TRACK\t")
            tracks.push_back({static_cast<int>(i + 1), line.substr(6)});
    }
    return tracks;
}

// The first track past what a sheet holds, a number above 99 or a 100th TRACK line, as an
// error naming its line; "" when there is none. (libcue calls either a syntax error.)
std::string TracksPastTheLast(std::string_view text) {
    const std::vector<TrackLine> tracks = TrackLines(text);
    for (std::size_t k = 0; k < tracks.size(); ++k) {
        std::string_view rest = tracks[k].rest;
        rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
        const std::string_view number = rest.substr(0, rest.find_first_not_of("0123456789"));
        const std::size_t digits = number.find_first_not_of('0');
        const bool above = digits != std::string_view::npos &&
                           (number.size() - digits > 2);  // three digits or more, not 0-led
        if (above || k == kMaxCueTracks)
            return "line " + std::to_string(tracks[k].line) + ": " +
                   (above ? "TRACK " + std::string(number) : "a 100th TRACK") +
                   ": a CUE sheet holds at most " + std::to_string(kMaxCueTracks) + " tracks";
    }
    return "";
}

std::string CdText(Cdtext* cdtext, Pti pti) {
    return cdtext ? album::CleanText(Unescaped(cdtext_get(pti, cdtext))) : std::string();
}

}  // namespace

std::string album::FormatCueSheet(const CutListData& list) {
    std::string out;
    if (!list.genre.empty()) out += "REM GENRE " + Quoted(list.genre) + "\n";
    if (!list.year.empty())
        out += "REM DATE " + (Plain(list.year) ? ValidUtf8(list.year) : Quoted(list.year)) + "\n";
    if (!list.artist.empty()) out += "PERFORMER " + Quoted(list.artist) + "\n";
    if (!list.title.empty()) out += "TITLE " + Quoted(list.title) + "\n";
    std::size_t number = 0;
    for (const CutListSide& side : list.sides) {
        if (number == kMaxCueTracks || side.tracks.empty()) continue;
        out += "FILE " + Quoted(side.file) + " WAVE\n";
        for (const CutListTrack& track : side.tracks) {
            if (number == kMaxCueTracks) break;
            char head[32];
            std::snprintf(head, sizeof head, "  TRACK %02zu AUDIO\n", ++number);
            out += head;
            if (!track.info.title.empty()) out += "    TITLE " + Quoted(track.info.title) + "\n";
            if (!track.info.artist.empty())
                out += "    PERFORMER " + Quoted(track.info.artist) + "\n";
            out += "    INDEX 01 " + Index(track.start) + "\n";
        }
    }
    return out;
}

CutListResult album::ParseCueSheet(std::string_view input) {
    CutListResult result;
    const std::string text = DecodeImportedText(input);
    if (const std::size_t zero = text.find('\0'); zero != std::string::npos) {
        result.error = "line " + std::to_string(LineStarts(text.substr(0, zero)).size()) +
                       ": holds a zero byte";
        return result;
    }
    if (std::string tooMany = TracksPastTheLast(text); !tooMany.empty()) {
        result.error = std::move(tooMany);
        return result;
    }
    std::lock_guard<std::mutex> lock(g_libcue);
    Parse parse = ParseCaught(text);
    if (!parse.Ok()) {
        result.error = LocateError(text);
        return result;
    }
    Cd* cd = parse.cd.get();
    CutListData& list = result.list;
    Cdtext* album = cd_get_cdtext(cd);
    list.title = CdText(album, PTI_TITLE);
    list.artist = CdText(album, PTI_PERFORMER);
    list.genre = CdText(album, PTI_GENRE);
    if (Rem* rem = cd_get_rem(cd)) list.year = CleanText(Unescaped(rem_get(REM_DATE, rem)));

    const int count = cd_get_ntrack(cd);
    std::string fileOfSide;  // as libcue gives it, escapes and all
    for (int i = 1; i <= count; ++i) {
        Track* track = cd_get_track(cd, i);
        const long index = track ? track_get_index(track, 1) : -1;
        if (index < 0) {
            const std::vector<TrackLine> lines = TrackLines(text);
            const int line = i <= static_cast<int>(lines.size()) ? lines[i - 1].line : 0;
            result.error = "line " + std::to_string(line) + ": track " + std::to_string(i) +
                           " has no INDEX 01";
            return result;
        }
        const char* file = track_get_filename(track);
        const std::string fileName = file ? file : "";
        if (list.sides.empty() || fileOfSide != fileName) {
            fileOfSide = fileName;
            list.sides.emplace_back();
            list.sides.back().file = Unescaped(fileName.c_str());
        }
        CutListTrack entry;
        // 75 frames a second to tenths: the nearest tenth, half up.
        entry.start = (static_cast<std::int64_t>(index) * 20 + kFramesPerSecond) / 150;
        entry.info.title = CdText(track_get_cdtext(track), PTI_TITLE);
        entry.info.artist = CdText(track_get_cdtext(track), PTI_PERFORMER);
        if (entry.info.artist == list.artist) entry.info.artist.clear();
        list.sides.back().tracks.push_back(std::move(entry));
    }
    if (list.sides.empty()) result.error = "line 1: the sheet holds no track";
    return result;
}
