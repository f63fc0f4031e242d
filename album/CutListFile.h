#pragma once
// Cut list files on disk: the format told by the name, read whole, written through a
// temporary file so that a failed export leaves nothing half written. Any thread.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "album/CutList.h"

/// A side recording's length: its frames and its sample rate.
struct SideLength {
    std::uint64_t frames = 0;
    std::uint32_t sampleRate = 0;
};

namespace album {

/// Label files end in ".txt" (any case); every other name is a CUE sheet.
CutListFormat CutListFormatOf(const std::string& path);

/// `path` with the extension of `format` (".cue" or ".txt"): one of the two in its place,
/// else added ("side.cue" as labels: "side.txt"; "side" as a CUE sheet: "side.cue").
std::string WithCutListExtension(const std::string& path, CutListFormat format);

/// Reads and parses the file in `format`. The error names the file and, for what cannot
/// be parsed, the line ("/x/a.cue, line 7: ...").
CutListResult ReadCutListFile(const std::string& path, CutListFormat format);

/// Writes `list` to `path` in `format` (a label file holds the list's first side only; a
/// CUE sheet at most kMaxCueTracks tracks: TracksLeftOut tells of the others). Never over
/// a recording: `path` may be none of `sidePaths` (the job's side recordings, however the
/// path names them) nor an existing file that holds audio by its first bytes (WAV, RF64,
/// AIFF, FLAC, Ogg, MP3); such a file is left as it is. "" on success, else a sentence
/// naming the file.
std::string WriteCutListFile(const std::string& path, const CutListData& list, CutListFormat format,
                             std::span<const std::string> sidePaths = {});

/// The tracks of `list` that `format` cannot hold, as one sentence ("Tracks 100 to 120 (from
/// 16:40.0 on) were left out: a CUE sheet holds at most 99 tracks."); "" when it holds them
/// all.
std::string TracksLeftOut(const CutListData& list, CutListFormat format);

/// How a cut list at `cutListPath` names the recording at `sidePath`: relative to the cut
/// list's folder when both paths are absolute, else the path as it is.
std::string RecordingNameFor(const std::string& sidePath, const std::string& cutListPath);

/// The length stated by the side's WAV header; nullopt when it cannot be read.
std::optional<SideLength> ReadSideLength(const std::string& sidePath);

}  // namespace album
