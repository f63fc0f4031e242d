#pragma once
// Paths and files: the small layer that stands in for what the original platform gave.
// No toolkit headers here; safe to call from any thread.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

/// The folder holding the program's resources (pictures, voice messages, manual):
/// $VELVANE_HOME when set and not empty; else "resources" next to the executable
/// (a build tree); else "../share/velvane" beside the executable's folder (an install).
/// Returns the first that exists, or "" when none does. No trailing separator.
std::string InstallFolder();

/// `folder` + separator + `name`; a folder that ends with the separator (the root "/")
/// gets no second one.
std::string JoinPath(const std::string& folder, const std::string& name);

/// The folder part of `path`: the text before its last separator, "/" for a file in the
/// root. A path without a separator stays whole; "" stays "" (no folder at all).
std::string SplitDirectory(const std::string& path);

/// Size of a regular file in bytes; nullopt when it does not exist or cannot be queried.
std::optional<std::uint64_t> FileSize(const std::string& path);

/// `path` made absolute against the current working directory (lexically normalised).
/// An empty path stays empty.
std::string MakeAbsolute(const std::string& path);

/// Full path of the running executable, or "" when it cannot be found.
std::string ExecutablePath();

}  // namespace platform
