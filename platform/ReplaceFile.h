#pragma once
// Saving a whole small file so that a failure never leaves it half written. No toolkit
// headers; any thread.

#include <string>
#include <string_view>

namespace platform {

/// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so a
/// failed save leaves the previous file as it was. Keeps the permissions of the file being
/// replaced (a new file gets rw-r--r--). False on any failure (errno tells why).
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace platform
