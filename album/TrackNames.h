#pragma once
// The names of the files a slicing job makes, and what their tags say: the one place that
// decides between "7.wav", "A1.mp3", "7.ogg" and "07 - Title.wav". The slice writer, its
// overwrite guard, the encoder runs and the deletion of slices all ask it. Pure; any thread.

#include <optional>
#include <string>
#include <string_view>

#include "album/Album.h"
#include "model/EncoderKind.h"
#include "model/Side.h"

/// Which job's file naming an encoder run follows when there are no titles: the
/// auto-sense/typed-times job names Ogg and FLAC files by slice number (7.ogg from 7.wav),
/// the marker job by side and per-side index (A1.ogg, B1.ogg). MP3 files are A1.mp3,
/// B1.mp3, ... in both.
enum class EncodeNaming { AutoOrTyped, Markers };

/// Most bytes of a title in a file name.
constexpr std::size_t kMaxTitleBytes = 200;

namespace album {

/// `title` made fit to stand in a file name: CleanText (bytes that are not UTF-8 become
/// U+FFFD, control characters a space), then '/' and the characters that FAT and exFAT
/// refuse (\ : * ? " < > |) become an underscore; leading dots go, spaces are trimmed at
/// both ends, the text is cut to kMaxTitleBytes on a character boundary, and trailing dots
/// and spaces go, so that the files can be copied to a memory stick or a phone.
/// `keepTitleCharacters` keeps those characters and trailing dots (not on Windows), and
/// replaces only '/'. "" when nothing is left.
std::string SafeFileTitle(std::string_view title, bool keepTitleCharacters = false);

}  // namespace album

/// What one encoded file is tagged with. Empty texts are not written; the title is the
/// track's title after CleanText, as its file name has it.
struct TrackTags {
    std::string artist;  ///< the track's artist, else the album artist
    std::string albumArtist;
    std::string album;
    std::string title;
    std::string date;
    std::string genre;
    int number = 0;  ///< TRACKNUMBER: the slice number, continuing across sides
    int total = 0;   ///< TRACKTOTAL; 0 = not known, not written
};

/// One side's tracks in a job: the names of its slices and encoded files, and their tags.
/// Made without an album, or from an album without titles, it names every file exactly as
/// the program always has.
class SideTracks {
  public:
    explicit SideTracks(Side side = Side::One) : side_(side) {}
    /// `trackTotal` is the number of tracks the whole job makes, 0 when it is not known
    /// before this side's files are tagged.
    SideTracks(Side side, const AlbumInfo& album, int trackTotal);

    /// The slice numbered `number`, the `index`-th (from 1) of its side: "7.wav"; with
    /// titles "07 - Title.wav", or "07.wav" for a track without a title (numbers below 10
    /// get a leading zero, numbers past 99 keep all their digits).
    std::string SliceName(int number, int index) const;
    /// The file an encoder makes of that slice. Without titles: "A1.mp3"/"B1.mp3" for MP3
    /// and in the marker job, else "7.ogg"/"7.flac". With titles: the slice's name with
    /// the kind's extension ("07 - Title.flac").
    std::string EncodedName(int number, int index, EncoderKind kind, EncodeNaming naming) const;
    /// The tags of that track's encoded file; nullopt when the album is empty, so the file
    /// stays exactly as the encoder wrote it.
    std::optional<TrackTags> Tags(int number, int index) const;

  private:
    /// "07 - Title", or "07" for a track without a title.
    std::string TitledStem(int number, int index) const;
    const TrackInfo* Track(int index) const;

    ::Side side_ = ::Side::One;
    AlbumInfo album_;
    int total_ = 0;
};
