#include "platform/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "platform/Paths.h"
#include "platform/TempFile.h"

namespace platform {

namespace {

bool WriteAll(std::FILE* out, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const bool exists = FileSize(path).has_value();
    if (exists && !CanWriteExisting(path)) return false;
    if (std::optional<TempFile> temp = CreateTempBeside(path)) {
        const bool written =
            WriteAll(temp->file.get(), bytes) && fsync(fileno(temp->file.get())) == 0;
        if (!CloseFile(temp->file) || !written ||
            std::rename(temp->path.c_str(), path.c_str()) != 0) {
            const int error = errno;
            std::remove(temp->path.c_str());
            errno = error;
            return false;
        }
        return true;
    }
    if (!exists) return false;
    FilePtr out = OpenFile(path, "w");
    return out && WriteAll(out.get(), bytes) && CloseFile(out);
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the atomic form: look first (a race here only ever loses the
    // rename, never the other file, on the file systems that lack it: FAT and the like).
    struct stat info;
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace platform
