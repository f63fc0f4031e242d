#pragma once
// A file written beside the one it is to replace, so that the replaced file stays whole
// until the new one is complete (a settings file) or until it is certain the new one will
// be made at all (a recording whose stream could not start).

#include <optional>
#include <string>

#include "platform/File.h"

namespace platform {

struct TempFile {
    FilePtr file;      ///< open for writing ("wb"), empty
    std::string path;  ///< in the target's folder
};

/// Creates an empty temporary file in `target`'s folder, with `target`'s permission bits
/// when it exists (else rw-r--r--). nullopt when the folder allows no new file.
std::optional<TempFile> CreateTempBeside(const std::string& target);

/// True when `path` names an existing file that this process may open for writing (the
/// file is neither created nor truncated).
bool CanWriteExisting(const std::string& path);

}  // namespace platform
