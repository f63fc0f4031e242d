#include "app/LastPath.h"

#include <filesystem>
#include <system_error>

#include "album/Utf8Text.h"
#include "app/WxText.h"
#include "platform/Paths.h"

void LastPath::Set(const std::string& path) {
    path_ = path;
    album::CutUtf8(path_, kMaxBytes);
}

wxString LastPath::Folder() const {
    // The last path usually names the file chosen last; the dialogs want its folder.
    std::error_code ec;
    if (path_.empty() || std::filesystem::is_directory(path_, ec)) return app::FromUtf8(path_);
    return app::FromUtf8(platform::SplitDirectory(path_));
}
