#pragma once
// Pictures read by path as bytes, so a UTF-8 path works whatever the C locale is (wx's own
// file functions convert names through the locale). GUI thread only.

#include <wx/image.h>

#include <string>

namespace app {

/// The picture at `path` in the given format; an invalid image when the file is missing
/// or cannot be decoded. Nothing is reported.
wxImage LoadImageFile(const std::string& path, wxBitmapType type);

}  // namespace app
