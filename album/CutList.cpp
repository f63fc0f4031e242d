#include "album/CutList.h"

#include <algorithm>
#include <cstdio>

#include "model/SideState.h"

namespace {

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Inside(std::int64_t tenths, std::uint64_t frames, std::uint32_t sampleRate) {
    return tenths > 0 && static_cast<std::uint64_t>(tenths) * sampleRate / 10 < frames;
}

std::string JoinTimes(const std::vector<std::int64_t>& times) {
    std::string text;
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (i > 0) text += i + 1 == times.size() ? " and " : ", ";
        text += model::FormatTenths(times[i]);
    }
    return text;
}

}  // namespace

CutListData album::AlbumCutList(const AlbumInfo& album) {
    CutListData list;
    list.artist = album.artist;
    list.title = album.title;
    list.year = album.year;
    list.genre = album.genre;
    return list;
}

void album::TakeAlbumFields(const CutListData& list, AlbumInfo& album) {
    if (!list.artist.empty()) album.artist = list.artist;
    if (!list.title.empty()) album.title = list.title;
    if (!list.year.empty()) album.year = list.year;
    if (!list.genre.empty()) album.genre = list.genre;
}

CutListSide album::MakeCutListSide(std::string file, std::span<const std::int32_t> cuts,
                                   const std::vector<TrackInfo>& tracks, std::uint64_t frames,
                                   std::uint32_t sampleRate) {
    std::vector<std::int32_t> starts;
    for (std::int32_t cut : cuts)
        if (Inside(cut, frames, sampleRate)) starts.push_back(cut);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    starts.insert(starts.begin(), 0);

    CutListSide side;
    side.file = std::move(file);
    side.lengthMicroseconds = sampleRate > 0 ? frames * 1000000 / sampleRate : 0;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        CutListTrack track;
        track.start = starts[k];
        if (k < tracks.size()) track.info = tracks[k];
        side.tracks.push_back(std::move(track));
    }
    return side;
}

PlacedSide album::PlaceCutListSide(const CutListSide& side, std::uint64_t frames,
                                   std::uint32_t sampleRate) {
    std::vector<CutListTrack> tracks = side.tracks;
    std::stable_sort(
        tracks.begin(), tracks.end(),
        [](const CutListTrack& a, const CutListTrack& b) { return a.start < b.start; });
    PlacedSide placed;
    bool started = false;  // a slice begins at 0
    for (const CutListTrack& track : tracks) {
        if (track.start == 0 && !started) {
            started = true;
            placed.tracks.push_back(track.info);
            continue;
        }
        if (!Inside(track.start, frames, sampleRate)) {
            (track.start == 0 ? placed.repeated : placed.outside).push_back(track.start);
            continue;
        }
        if (!placed.cuts.empty() && placed.cuts.back() == track.start) {
            placed.repeated.push_back(track.start);
            continue;
        }
        if (!started) {
            started = true;
            placed.tracks.emplace_back();  // the lead-in before the first track
        }
        placed.cuts.push_back(static_cast<std::int32_t>(track.start));
        placed.tracks.push_back(track.info);
    }
    if (placed.cuts.size() > kMaxCutsInUse) {
        placed.error = "The cut list has " + std::to_string(placed.cuts.size()) +
                       " cuts for one side; a side holds at most " + std::to_string(kMaxCutsInUse) +
                       ".";
        placed.cuts.clear();
        placed.tracks.clear();
    }
    return placed;
}

std::string album::PlacementNotice(Side side, const PlacedSide& placed,
                                   std::size_t markersCounted) {
    std::string text;
    const std::string name = "Side " + model::NumberText(side) + ": ";
    if (!placed.outside.empty())
        text += name + "the " + (placed.outside.size() == 1 ? "cut at " : "cuts at ") +
                JoinTimes(placed.outside) + (placed.outside.size() == 1 ? " lies" : " lie") +
                " outside the side and " + (placed.outside.size() == 1 ? "was" : "were") +
                " left out.\n";
    if (!placed.repeated.empty())
        text += name + "the " + (placed.repeated.size() == 1 ? "cut at " : "cuts at ") +
                JoinTimes(placed.repeated) + " repeat" + (placed.repeated.size() == 1 ? "s" : "") +
                " an earlier track's start and " + (placed.repeated.size() == 1 ? "was" : "were") +
                " left out.\n";
    if (placed.cuts.size() > markersCounted)
        text += name + std::to_string(placed.cuts.size()) +
                " cuts were placed; slicing cuts a side at its first " +
                (markersCounted == kTypedTimesPerSide ? std::string("ten")
                                                      : std::to_string(markersCounted)) +
                " only.\n";
    if (!text.empty()) text.pop_back();
    return text;
}

std::vector<TrackInfo> album::MergeImportedTracks(const std::vector<TrackInfo>& existing,
                                                  const std::vector<TrackInfo>& imported,
                                                  CutListFormat format) {
    std::vector<TrackInfo> tracks = imported;
    if (format == CutListFormat::Labels)
        for (std::size_t k = 0; k < tracks.size(); ++k)
            tracks[k].artist = k < existing.size() ? existing[k].artist : std::string();
    return tracks;
}

std::vector<std::optional<Side>> album::MatchCutListSides(
    const CutListData& list, const std::array<std::string, 2>& sidePaths,
    const std::vector<Side>& order) {
    std::vector<std::optional<Side>> sides(list.sides.size());
    std::array<bool, 2> taken{};
    for (std::size_t b = 0; b < list.sides.size(); ++b) {
        const std::string name = BaseName(list.sides[b].file);
        for (const Side s : kSides) {
            const std::string& path = sidePaths[model::Index(s)];
            if (!taken[model::Index(s)] && !name.empty() && !path.empty() &&
                name == BaseName(path)) {
                sides[b] = s;
                taken[model::Index(s)] = true;
                break;
            }
        }
    }
    std::size_t next = 0;
    for (std::size_t b = 0; b < list.sides.size(); ++b) {
        if (sides[b]) continue;
        while (next < order.size() && taken[model::Index(order[next])]) ++next;
        if (next == order.size()) break;
        sides[b] = order[next];
        taken[model::Index(order[next])] = true;
    }
    return sides;
}
