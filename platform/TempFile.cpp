#include "platform/TempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

std::optional<TempFile> CreateTempBeside(const std::string& target) {
    // mkstemp's 0600 would hide a settings file or a recording from other users.
    struct stat old {};
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    std::string path = target + ".XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) return std::nullopt;
    fchmod(fd, mode);
    FilePtr file(fdopen(fd, "wb"));
    if (!file) {
        close(fd);
        std::remove(path.c_str());
        return std::nullopt;
    }
    return TempFile{std::move(file), std::move(path)};
}

bool CanWriteExisting(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0) return false;
    close(fd);
    return true;
}

}  // namespace platform
