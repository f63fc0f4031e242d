#pragma once
// Files an earlier slicing run left in a folder: the slices and encoded files of the names
// this program gives them ("7.wav", "A1.mp3", "7.ogg", "07 - Title.flac", "07.wav"), with
// the contents those names promise. A run that renames its tracks or makes fewer slices
// leaves such files beside its own; the user is asked before they go. Any thread.

#include <string>
#include <vector>

namespace album {

/// The file names (not paths) in `folder` that this program's slicing runs make, whose
/// first bytes are those of their kind (WAV, MP3, Ogg, FLAC), in name order; the files named
/// in `exclude` (full paths: the side recordings) are never among them.
std::vector<std::string> FindRunFiles(const std::string& folder,
                                      const std::vector<std::string>& exclude);

/// The names of `before` (as FindRunFiles found them before a run) that are not in
/// `written` (the names the run wrote): what an earlier run left.
std::vector<std::string> EarlierFilesLeft(const std::vector<std::string>& before,
                                          const std::vector<std::string>& written);

}  // namespace album
