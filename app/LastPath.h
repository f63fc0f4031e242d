#pragma once
// The last chosen path: the default folder of the file dialogs, and field 1 of the
// settings file. GUI thread only.

#include <wx/string.h>

#include <cstddef>
#include <string>

class LastPath {
  public:
    /// At most this many bytes (UTF-8, cut at a character's start).
    static constexpr std::size_t kMaxBytes = 1023;

    const std::string& Value() const { return path_; }
    void Set(const std::string& path);
    /// The path as a folder for a dialog: its folder when it names a file; "" when empty.
    wxString Folder() const;

  private:
    std::string path_;
};
