#pragma once
// Tags of the encoded files, written after the encoder has finished so that every encoder
// kind gets the same tags and no encoder's arguments change: Vorbis comments in Ogg Vorbis
// and FLAC files, an ID3v2.4 tag in MP3 files (TagLib). No toolkit headers; any thread, one
// file per call.

#include <string>

#include "album/TrackNames.h"

namespace album {

/// Writes `tags` into the file at `path`, whose kind is told by its extension (".flac",
/// ".ogg", ".mp3"): ARTIST, ALBUMARTIST, ALBUM, TITLE, TRACKNUMBER (and TRACKTOTAL; in
/// MP3 "6/10"), DATE, GENRE, each only when not empty; other tags the file has are kept.
/// Texts that are not UTF-8 have the bad bytes replaced by U+FFFD. Returns "" on success,
/// else why it failed ("tags not written: ...").
std::string WriteTrackTags(const std::string& path, const TrackTags& tags);

/// The tagging step of one encoder run that made `path` from the slice numbered `number`,
/// the `index`-th of its side: nothing when the album is empty. "" or why it failed.
std::string TagEncodedFile(const SideTracks& tracks, int number, int index,
                           const std::string& path);

}  // namespace album
