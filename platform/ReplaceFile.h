#pragma once
// Saving a whole small file (a settings file, a cut list) so that a failure never leaves
// it half written, and renaming a file without replacing another. No toolkit headers; any thread.

#include <string>
#include <string_view>

namespace platform {

/// Writes `bytes` to a temporary file beside `path` (with the permissions of the file it
/// replaces), synced and renamed over `path`, so a crash leaves the old file or the new
/// one, whole. An existing file the user protected against writing stays as it is (false);
/// in a folder that takes no new file an existing writable file is written in place.
/// False on any failure (errno tells why when the system said).
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

/// Renames `from` to `to` only when nothing is at `to` (atomically where the file system
/// allows). False when something is there (errno EEXIST) or the rename fails.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace platform
