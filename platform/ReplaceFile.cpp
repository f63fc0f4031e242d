#include "platform/ReplaceFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/File.h"

namespace platform {

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    // mkstemp's 0600 would hide a new file from other users.
    struct stat old {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    fchmod(fd, mode);
    FilePtr out(fdopen(fd, "w"));
    if (!out) {
        close(fd);
        std::remove(temp.c_str());
        return false;
    }
    // Flush before fsync: the bytes must have left the stdio buffer to reach the disk.
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size() &&
                         std::fflush(out.get()) == 0 && fsync(fileno(out.get())) == 0;
    if (!CloseFile(out) || !written || std::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(temp.c_str());
        errno = error;
        return false;
    }
    return true;
}

}  // namespace platform
