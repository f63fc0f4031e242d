#pragma once
// Audacity label files: one line per label, "start<TAB>end<TAB>text", times in seconds.
// Pure functions; any thread.

#include <string>
#include <string_view>

#include "album/CutList.h"

namespace album {

/// The label file of one side: a line per track, its start and end (the next track's
/// start, the side's end for the last) in seconds with six decimals, then its title (tabs
/// and line breaks in it become spaces, bytes that are not UTF-8 U+FFFD).
std::string FormatLabels(const CutListSide& side);

/// Reads a label file into one side (no file name, no album fields): each label's start,
/// rounded to the nearest tenth, begins a track titled with the label's text. The text is
/// decoded first (DecodeImportedText: UTF-8 with or without a byte order mark, else
/// Windows-1252) and control characters in titles become spaces (CleanText). Empty lines
/// and Audacity's frequency lines ("\t...") are skipped; fields may also be separated by
/// spaces. A start or end that is not a number gives an error naming the line.
CutListResult ParseLabels(std::string_view text);

}  // namespace album
