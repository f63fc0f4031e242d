#pragma once
// Cut lists in the forms other tools keep them (CUE sheets, Audacity label files): the
// tracks of each side with their start times and titles, and the album fields. This file
// holds the value both formats read and write, how a side's cuts become one, and how one
// becomes a side's markers again. Pure functions; any thread.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "album/Album.h"
#include "model/Side.h"
#include "model/SideState.h"
#include "model/TypedTimes.h"  // FormatTenths

/// The two forms a cut list takes on disk.
enum class CutListFormat { Cue, Labels };

struct CutListTrack {
    std::int64_t start = 0;  ///< tenths of a second from the side's start, nearest tenth
    TrackInfo info;
};

/// One side: the tracks of one recording.
struct CutListSide {
    std::string file;                      ///< the recording as a CUE sheet names it; "" in labels
    std::vector<CutListTrack> tracks;      ///< in file order
    std::uint64_t lengthMicroseconds = 0;  ///< the side's length (end of its last track)
};

struct CutListData {
    // Album fields; "" = not given.
    std::string artist;
    std::string title;
    std::string year;
    std::string genre;
    std::vector<CutListSide> sides;
};

/// A file read: the list, or an error naming the line ("line 7: ...").
struct CutListResult {
    CutListData list;
    std::string error;
};

/// A side's cut list turned into the side's markers and slice titles, as if each track
/// start after 0 had been placed in the waveform view: ascending, without repeats, each
/// inside the side (at a frame before its end).
struct PlacedSide {
    std::vector<std::int32_t> cuts;      ///< tenths of a second, ascending, distinct
    std::vector<TrackInfo> tracks;       ///< one per slice in slice order (untitled lead-in first
                                         ///< when the first track does not start at 0)
    std::vector<std::int64_t> outside;   ///< track starts outside the side, left out
    std::vector<std::int64_t> repeated;  ///< track starts at the time of an earlier one
    std::string error;                   ///< more cuts than a side holds: nothing is to be placed
};

namespace album {

/// A list with the album's fields and no side yet.
CutListData AlbumCutList(const AlbumInfo& album);

/// The album fields a list gives ("" = not given) replace the album's.
void TakeAlbumFields(const CutListData& list, AlbumInfo& album);

/// The cut list of one side for export: its cuts (tenths of a second; zeros, negative
/// values and cuts at or past the end left out, the rest sorted and without repeats) as
/// track starts after a first track at 0, each track with the title of its slice from
/// `tracks`. `frames` and `sampleRate` give the side's length.
CutListSide MakeCutListSide(std::string file, std::span<const std::int32_t> cuts,
                            const std::vector<TrackInfo>& tracks, std::uint64_t frames,
                            std::uint32_t sampleRate);

/// Places the tracks of `side` on a side of `frames` frames at `sampleRate`.
PlacedSide PlaceCutListSide(const CutListSide& side, std::uint64_t frames,
                            std::uint32_t sampleRate);

/// What the user is told about a placement on side 1 or 2: the left-out times by name, and
/// that slicing uses only a side's first ten cuts when it has more than `markersCounted`
/// (JobContext::MarkersCounted: ten in the window unless Smart Sense is chosen). "" when
/// all is well.
std::string PlacementNotice(Side side, const PlacedSide& placed,
                            std::size_t markersCounted = kTypedTimesPerSide);

/// A side's tracks once a cut list is imported: one per slice of the imported side
/// (`imported`, as PlaceCutListSide gives them), each with the fields `format` carries
/// taken from the import (a label file: the title; a CUE sheet: title and performer) and
/// every other field from the track of the same slice in `existing`, so that importing
/// labels keeps the artists typed for the side. (The album fields: TakeAlbumFields.)
std::vector<TrackInfo> MergeImportedTracks(const std::vector<TrackInfo>& existing,
                                           const std::vector<TrackInfo>& imported,
                                           CutListFormat format);

/// Which side each block of `list` belongs to, nullopt for none: a block whose file name
/// (folders aside) is the name of a side's recording in `sidePaths` goes to that side; the
/// other blocks take the sides of `order` not yet taken, in turn.
std::vector<std::optional<Side>> MatchCutListSides(const CutListData& list,
                                                   const std::array<std::string, 2>& sidePaths,
                                                   const std::vector<Side>& order);

}  // namespace album
