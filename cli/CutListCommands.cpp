// --cue and --labels: cut lists read into the slice job's markers and titles, or written
// from the analysis.

#include <cstdio>
#include <vector>

#include "album/CutListFile.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/WindowState.h"
#include "platform/Paths.h"

namespace {

void Say(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        std::fprintf(stderr, "velvane-cli: %s\n", text.substr(at, end - at).c_str());
        if (end == std::string::npos) break;
        at = end + 1;
    }
}

}  // namespace

int cli::LoadCutLists(const CliOptions& options, WindowState& state) {
    const std::array<std::string, 2> sides = {state.fields.side1Path, state.fields.side2Path};
    std::array<std::string, 2> takenFrom;  // the cut list each side has its tracks from
    for (const CliOptions::CutListFileOption& option : options.cutLists) {
        const std::string path = platform::MakeAbsolute(option.path);
        const CutListResult read = album::ReadCutListFile(path, option.format);
        if (!read.error.empty()) {
            Say(read.error);
            return kExitFileError;
        }
        // A side that an earlier list gave its tracks takes none of this one's.
        const std::array<std::string, 2> earlier = takenFrom;
        std::array<std::string, 2> open = sides;
        std::vector<Side> order;
        for (const Side side : kSides) {
            if (!earlier[model::Index(side)].empty()) open[model::Index(side)].clear();
            if (!open[model::Index(side)].empty()) order.push_back(side);
        }
        const std::vector<std::optional<Side>> match =
            album::MatchCutListSides(read.list, open, order);
        for (std::size_t b = 0; b < match.size(); ++b) {
            const CutListSide& block = read.list.sides[b];
            if (!match[b]) {
                for (const Side side : kSides)
                    if (!earlier[model::Index(side)].empty()) {
                        Say(path + ": side " + model::NumberText(side) +
                            " already has its tracks from " + earlier[model::Index(side)] +
                            "; give one cut list per side");
                        return kExitUsage;
                    }
                Say(path + ": the tracks of " +
                    (block.file.empty() ? "block " + std::to_string(b + 1)
                                        : "\"" + block.file + "\"") +
                    " belong to no side given, and were left out");
                continue;
            }
            const std::size_t s = model::Index(*match[b]);
            const std::optional<SideLength> length = album::ReadSideLength(sides[s]);
            if (!length) {
                Say(sides[s] + ": cannot be read");
                return kExitFileError;
            }
            const PlacedSide placed =
                album::PlaceCutListSide(block, length->frames, length->sampleRate);
            if (!placed.error.empty()) {
                Say(path + ": " + placed.error);
                return kExitFileError;
            }
            if (const std::string notice =
                    album::PlacementNotice(*match[b], placed, kCliMarkersCounted);
                !notice.empty())
                Say(path + ": " + notice);
            state.markers[s] = placed.cuts;
            state.album.sides[s] =
                album::MergeImportedTracks(state.album.sides[s], placed.tracks, option.format);
            takenFrom[s] = path;
        }
        album::TakeAlbumFields(read.list, state.album);
    }
    ApplyAlbumOptions(options, state.album);
    return kExitOk;
}

int cli::WriteCutLists(const CliOptions& options, const WindowState& state,
                       std::span<const std::int32_t> cuts) {
    if (options.cutLists.empty()) return kExitOk;
    const std::string& side = state.fields.side1Path;
    const std::optional<SideLength> length = album::ReadSideLength(side);
    if (!length) {
        Say(side + ": cannot be read");
        return kExitFileError;
    }
    const std::string sides[] = {state.fields.side1Path, state.fields.side2Path};
    int status = kExitOk;
    for (const CliOptions::CutListFileOption& option : options.cutLists) {
        const std::string path = platform::MakeAbsolute(option.path);
        CutListData list = album::AlbumCutList(state.album);
        list.sides.push_back(album::MakeCutListSide(album::RecordingNameFor(side, path), cuts,
                                                    state.album.sides[0], length->frames,
                                                    length->sampleRate));
        if (const std::string error = album::WriteCutListFile(path, list, option.format, sides);
            !error.empty()) {
            Say(error);
            return kExitFileError;
        }
        // The sheet is written; what it could not hold makes the run's status 1.
        if (const std::string leftOut = album::TracksLeftOut(list, option.format);
            !leftOut.empty()) {
            Say(path + ": " + leftOut);
            status = kExitFileError;
        }
    }
    return status;
}
