#pragma once
// Names of the files the window reads from the install folder (platform::InstallFolder()).

#include <string>

#include "platform/Paths.h"

namespace resource {

constexpr const char* kBackground = "mainback.jpg";  ///< the panel's picture (JPEG)
constexpr const char* kSplash = "splash.bmp";        ///< shown at start (BMP)
constexpr const char* kManual = "manual.html";       ///< Help > Read Manual...
constexpr const char* kHomePage = "index.html";      ///< Help > Velvane on the web...

/// Full path of a file of the install folder; "/name" when no install folder is found,
/// which then fails to load like any missing file.
inline std::string Path(const char* name) {
    return platform::JoinPath(platform::InstallFolder(), name);
}

}  // namespace resource
