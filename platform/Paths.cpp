#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

std::string ExecutablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string InstallFolder() {
    if (const char* home = std::getenv("VELVANE_HOME"); home && *home) {
        std::string folder = home;
        while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
        return folder;
    }
    const std::string exe = ExecutablePath();
    if (exe.empty()) return {};
    const fs::path exeDir = fs::path(exe).parent_path();
    std::error_code ec;
    for (const fs::path& candidate :
         {exeDir / "resources", (exeDir / ".." / VELVANE_DATA_DIR).lexically_normal()}) {
        if (fs::is_directory(candidate, ec)) return candidate.string();
    }
    return {};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == kPathSeparator) return folder + name;
    return folder + kPathSeparator + name;
}

std::string SplitDirectory(const std::string& path) {
    const std::size_t at = path.rfind(kPathSeparator);
    if (at == std::string::npos) return path;
    return path.substr(0, at == 0 ? 1 : at);  // the root keeps its separator
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

std::string MakeAbsolute(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec) return path;
    return absolute.lexically_normal().string();
}

}  // namespace platform
