#pragma once
// What the user says about the record beyond its sound: the album fields and the title
// (and, optionally, the artist) of each track of each side. A plain value: the window
// keeps one while it runs, velvane-cli builds one from its options, and cut list files
// carry it. Texts are kept as given (UTF-8, but any bytes are kept); never in the settings
// file.

#include <array>
#include <string>
#include <vector>

#include "model/Side.h"

struct TrackInfo {
    std::string title;   ///< "" = no title
    std::string artist;  ///< "" = the album artist

    bool operator==(const TrackInfo&) const = default;
};

struct AlbumInfo {
    std::string artist;  ///< album artist
    std::string title;   ///< album title
    std::string year;    ///< as typed, e.g. "1979"
    std::string genre;
    /// Side 1's and side 2's tracks in slice order: entry k belongs to the side's slice k+1.
    std::array<std::vector<TrackInfo>, 2> sides;
    /// Titled file names keep the characters that FAT and exFAT refuse (? : * " < > | \)
    /// and trailing dots, rather than having them replaced (see SafeFileTitle).
    bool keepTitleCharacters = false;

    bool operator==(const AlbumInfo&) const = default;

    /// The number of titles given for `side`: its tracks up to the last one with a title.
    std::size_t TitleCount(Side side) const {
        const auto& tracks = sides[model::Index(side)];
        std::size_t count = tracks.size();
        while (count > 0 && tracks[count - 1].title.empty()) --count;
        return count;
    }
    /// Some track of either side has a title: the files take titled names.
    bool HasTitles() const {
        for (const auto& side : sides)
            for (const TrackInfo& track : side)
                if (!track.title.empty()) return true;
        return false;
    }
    /// Nothing typed at all: encoded files are left exactly as the encoder wrote them.
    bool Empty() const {
        if (!artist.empty() || !title.empty() || !year.empty() || !genre.empty()) return false;
        for (const auto& side : sides)
            for (const TrackInfo& track : side)
                if (!track.title.empty() || !track.artist.empty()) return false;
        return true;
    }
};
