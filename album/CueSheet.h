#pragma once
// CUE sheets: written as plain text, read with libcue. Any thread (reads are serialised:
// libcue is not reentrant).

#include <string>
#include <string_view>

#include "album/CutList.h"

/// Most tracks a CUE sheet holds (TRACK 01 to TRACK 99).
constexpr std::size_t kMaxCueTracks = 99;

namespace album {

/// The CUE sheet of `list`: REM GENRE, REM DATE, PERFORMER and TITLE of the album when
/// given; then per side FILE "name" WAVE and its tracks, numbered from 01 on across the
/// sides, the first kMaxCueTracks of them (the others are left out): TRACK nn AUDIO, TITLE (when
/// the track has one), PERFORMER (when the track has its own artist), INDEX 01 mm:ss:ff at 75
/// frames a second (the nearest frame). In quoted texts '"' and '\' are escaped with a backslash
/// and line breaks become spaces; bytes that are not UTF-8 become U+FFFD, so that the sheet reads
/// back as UTF-8.
std::string FormatCueSheet(const CutListData& list);

/// Reads a CUE sheet: one side per FILE, tracks at their INDEX 01 rounded to the nearest
/// tenth, titles and performers with the escapes above undone, REM DATE and REM GENRE.
/// The text is decoded first (DecodeImportedText: UTF-8, else Windows-1252) and control
/// characters in its texts become spaces (CleanText). Whatever libcue does not understand,
/// a track without INDEX 01 and a track past the 99th give an error naming the line
/// ("line 7: ...", "line 400: TRACK 100: a CUE sheet holds at most 99 tracks").
CutListResult ParseCueSheet(std::string_view text);

}  // namespace album
