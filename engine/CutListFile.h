#pragma once
// Cut list files on disk: the format told by the name, read whole, written through a
// temporary file so that a failed export leaves nothing half written. Any thread.

#include <string>

#include "engine/CutList.h"

enum class CutListFormat { Cue, Labels };

/// Label files end in ".txt" (any case); every other name is a CUE sheet.
CutListFormat CutListFormatOf(const std::string& path);

/// Reads and parses the file. The error names the file and, for what cannot be parsed,
/// the line ("/x/a.cue, line 7: ...").
CutListResult ReadCutListFile(const std::string& path);

/// Writes `list` to `path` in its format (a label file holds the list's first side only).
/// "" on success, else a sentence naming the file.
std::string WriteCutListFile(const std::string& path, const CutList& list);
