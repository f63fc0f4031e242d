#pragma once
// CUE sheets: written as plain text, read with libcue. Any thread (reads are serialised:
// libcue is not reentrant).

#include <string>
#include <string_view>

#include "album/CutList.h"

/// The CUE sheet of `list`: REM GENRE, REM DATE, PERFORMER and TITLE of the album when
/// given; then per side FILE "name" WAVE and its tracks, numbered from 01 on across the
/// sides: TRACK nn AUDIO, TITLE (when the track has one), PERFORMER (when the track has its
/// own artist), INDEX 01 mm:ss:ff at 75 frames a second (the nearest frame). In quoted
/// texts '"' and '\' are escaped with a backslash and line breaks become spaces; other
/// bytes are written as they are.
std::string FormatCueSheet(const CutListData& list);

/// Reads a CUE sheet: one side per FILE, tracks at their INDEX 01 rounded to the nearest
/// tenth, titles and performers with the escapes above undone, REM DATE and REM GENRE.
/// A UTF-8 byte order mark is skipped. Whatever libcue does not understand, and a track
/// without INDEX 01, gives an error naming the line ("line 7: ...").
CutListResult ParseCueSheet(std::string_view text);
