#include "audio/RecordingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "platform/Paths.h"
#include "platform/TempFile.h"

bool RecordingFile::Create(const std::string& path, const WaveHeader& header) {
    path_ = path;
    header_ = header;
    tempPath_.clear();
    if (platform::FileSize(path) && platform::CanWriteExisting(path)) {
        if (std::optional<platform::TempFile> temp = platform::CreateTempBeside(path)) {
            file_ = std::move(temp->file);
            tempPath_ = temp->path;
        }
    }
    if (!file_) file_ = platform::OpenFile(path, "wb");
    if (!file_) return false;
    // Unbuffered: what fwrite reports written is on disk, also when the disk fills up.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    if (!header_.Write(file_.get(), 0)) {
        file_.reset();
        if (!tempPath_.empty()) std::remove(tempPath_.c_str());
        return false;
    }
    return true;
}

bool RecordingFile::TakeName() {
    if (tempPath_.empty()) return true;
    if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) return false;
    tempPath_.clear();
    return true;
}

std::size_t RecordingFile::Write(const std::uint8_t* bytes, std::size_t n) {
    return file_ ? std::fwrite(bytes, 1, n, file_.get()) : 0;
}

bool RecordingFile::Close(std::uint64_t dataBytes) {
    if (!file_) return false;
    if (!tempPath_.empty()) {
        file_.reset();
        std::remove(tempPath_.c_str());
        return false;
    }
    // Bytes past the samples counted (a write cut short by a full disk) go; cut through the
    // open file, as some file systems (FUSE mounts) refuse to truncate by path. A file of
    // the right length needs no cut at all.
    const std::uint64_t size = header_.Size() + dataBytes;
    std::fflush(file_.get());
    struct stat info {};
    const int fd = ::fileno(file_.get());
    const bool cut =
        (::fstat(fd, &info) == 0 && static_cast<std::uint64_t>(info.st_size) == size) ||
        ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    const bool patched = header_.Patch(file_.get(), dataBytes);
    return platform::CloseFile(file_) && patched && cut;
}
