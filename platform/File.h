#pragma once
// RAII for C stdio streams: the buffered file streams every file of the program goes through.

#include <cstdio>
#include <memory>
#include <string>

namespace platform {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept {
        if (file) std::fclose(file);
    }
};

/// An open stdio stream, closed when the owner goes away.
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

/// fopen with a UTF-8 path; null on failure (errno tells why).
inline FilePtr OpenFile(const std::string& path, const char* mode) {
    return FilePtr(std::fopen(path.c_str(), mode));
}

/// Closes the stream and reports whether everything written reached the file.
inline bool CloseFile(FilePtr& file) {
    if (!file) return false;
    const bool ok = std::fflush(file.get()) == 0 && !std::ferror(file.get());
    return std::fclose(file.release()) == 0 && ok;
}

}  // namespace platform
