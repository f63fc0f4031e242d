#include "album/TrackNames.h"

#include <cstdio>

#include "album/Utf8Text.h"

namespace {

// Characters FAT and exFAT (memory sticks, phones) refuse in a name, as Windows does.
constexpr std::string_view kRefusedOnSticks = "\\:*?\"<>|";

bool ForbiddenInName(char c, bool keepTitleCharacters) {
#ifdef _WIN32
    keepTitleCharacters = false;
#endif
    return c == '/' || (!keepTitleCharacters && kRefusedOnSticks.find(c) != std::string_view::npos);
}

void TrimSpaces(std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(0, first);
    text.erase(text.find_last_not_of(' ') + 1);
}

std::string SideLetterName(Side side, int index, const char* extension) {
    return (side == Side::Two ? "B" : "A") + std::to_string(index) + extension;
}

}  // namespace

std::string album::SafeFileTitle(std::string_view title, bool keepTitleCharacters) {
    std::string out = CleanText(title);
    for (char& c : out)
        if (ForbiddenInName(c, keepTitleCharacters)) c = '_';
    TrimSpaces(out);
    // A leading dot would hide the file (or name a folder: ".", "..").
    while (!out.empty() && out[0] == '.') {
        out.erase(0, 1);
        TrimSpaces(out);
    }
    if (out.size() > kMaxTitleBytes) {
        CutUtf8(out, kMaxTitleBytes);
        TrimSpaces(out);
    }
    // FAT and exFAT drop a name's trailing dots and spaces, so the name asked for would not
    // be the name made.
    if (!keepTitleCharacters)
        while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
    return out;
}

SideTracks::SideTracks(Side side, const AlbumInfo& album, int trackTotal)
    : side_(side), album_(album), total_(trackTotal) {}

const TrackInfo* SideTracks::Track(int index) const {
    const auto& tracks = album_.sides[model::Index(side_)];
    if (index < 1 || static_cast<std::size_t>(index) > tracks.size()) return nullptr;
    return &tracks[static_cast<std::size_t>(index - 1)];
}

std::string SideTracks::TitledStem(int number, int index) const {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    const TrackInfo* track = Track(index);
    const std::string title =
        track ? album::SafeFileTitle(track->title, album_.keepTitleCharacters) : std::string();
    return title.empty() ? std::string(digits) : std::string(digits) + " - " + title;
}

std::string SideTracks::SliceName(int number, int index) const {
    if (!album_.HasTitles()) return std::to_string(number) + ".wav";
    return TitledStem(number, index) + ".wav";
}

std::string SideTracks::EncodedName(int number, int index, EncoderKind kind,
                                    EncodeNaming naming) const {
    const char* extension = model::EncodedExtension(kind);
    if (album_.HasTitles()) return TitledStem(number, index) + extension;
    if (model::MakesMp3(kind) || naming == EncodeNaming::Markers)
        return SideLetterName(side_, index, extension);
    return std::to_string(number) + extension;
}

std::optional<TrackTags> SideTracks::Tags(int number, int index) const {
    if (album_.Empty()) return std::nullopt;
    TrackTags tags;
    const TrackInfo* track = Track(index);
    tags.albumArtist = album_.artist;
    tags.artist = track && !track->artist.empty() ? track->artist : album_.artist;
    tags.album = album_.title;
    // The title the file's name was made of, so that name and tag agree.
    tags.title = track ? album::CleanText(track->title) : std::string();
    tags.date = album_.year;
    tags.genre = album_.genre;
    tags.number = number;
    tags.total = total_;
    return tags;
}
