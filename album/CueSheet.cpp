#include "album/CueSheet.h"

#include <libcue.h>

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
    for (char c : text) {
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

// The line libcue stumbles on: the first whose sheet prefix, closed by a track, fails.
std::string LocateError(const std::string& text) {
    const std::vector<std::size_t> starts = LineStarts(text);
    for (std::size_t line = 1; line <= starts.size(); ++line) {
        const std::size_t end = line < starts.size() ? starts[line] : text.size();
        std::string said;
        bool ok = false;
        for (std::string_view closing : kClosingTracks) {
            Parse parse = ParseCaught(text.substr(0, end) + std::string(closing));
            ok = ok || parse.Ok();
            if (said.empty()) said = parse.said;
        }
        if (!ok) return "line " + std::to_string(line) + ": " + FirstComplaint(said);
    }
    return "line " + std::to_string(starts.size()) + ": the sheet holds no complete track";
}

// Line of the n-th (from 1) line whose first word is TRACK; 0 when there is none.
int TrackLine(std::string_view text, int n) {
    const std::vector<std::size_t> starts = LineStarts(text);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        std::size_t at = text.find_first_not_of(" \t", starts[i]);
        if (at == std::string_view::npos) break;
        std::string word(text.substr(at, 6));
        for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if ((word == "TRACK " || word == "TRACK\t") && --n == 0) return static_cast<int>(i + 1);
    }
    return 0;
}

std::string CdText(Cdtext* cdtext, Pti pti) {
    return cdtext ? Unescaped(cdtext_get(pti, cdtext)) : std::string();
}

}  // namespace

std::string FormatCueSheet(const CutListData& list) {
    std::string out;
    if (!list.genre.empty()) out += "REM GENRE " + Quoted(list.genre) + "\n";
    if (!list.year.empty())
        out += "REM DATE " + (Plain(list.year) ? list.year : Quoted(list.year)) + "\n";
    if (!list.artist.empty()) out += "PERFORMER " + Quoted(list.artist) + "\n";
    if (!list.title.empty()) out += "TITLE " + Quoted(list.title) + "\n";
    int number = 0;
    for (const CutListSide& side : list.sides) {
        out += "FILE " + Quoted(side.file) + " WAVE\n";
        for (const CutListTrack& track : side.tracks) {
            char head[32];
            std::snprintf(head, sizeof head, "  TRACK %02d AUDIO\n", ++number);
            out += head;
            if (!track.info.title.empty()) out += "    TITLE " + Quoted(track.info.title) + "\n";
            if (!track.info.artist.empty())
                out += "    PERFORMER " + Quoted(track.info.artist) + "\n";
            out += "    INDEX 01 " + Index(track.start) + "\n";
        }
    }
    return out;
}

CutListResult ParseCueSheet(std::string_view input) {
    CutListResult result;
    if (input.substr(0, 3) == "\xEF\xBB\xBF") input.remove_prefix(3);
    if (const std::size_t zero = input.find('\0'); zero != std::string_view::npos) {
        result.error = "line " + std::to_string(LineStarts(input.substr(0, zero)).size()) +
                       ": holds a zero byte";
        return result;
    }
    const std::string text(input);
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
    if (Rem* rem = cd_get_rem(cd)) list.year = Unescaped(rem_get(REM_DATE, rem));

    const int count = cd_get_ntrack(cd);
    std::string fileOfSide;  // as libcue gives it, escapes and all
    for (int i = 1; i <= count; ++i) {
        Track* track = cd_get_track(cd, i);
        const long index = track ? track_get_index(track, 1) : -1;
        if (index < 0) {
            result.error = "line " + std::to_string(TrackLine(text, i)) + ": track " +
                           std::to_string(i) + " has no INDEX 01";
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
