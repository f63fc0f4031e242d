#include "audio/RecordingFile.h"

#include "wav/WaveFile.h"

bool RecordingFile::Create(const std::string& path) {
    path_ = path;
    file_ = platform::OpenFile(path, "wb");
    if (!file_) return false;
    if (!WaveFile().WriteHeader(file_.get(), 0)) {
        file_.reset();
        return false;
    }
    return std::fflush(file_.get()) == 0;
}

std::size_t RecordingFile::Write(const std::uint8_t* bytes, std::size_t n) {
    if (!file_) return 0;
    const std::size_t done = std::fwrite(bytes, 1, n, file_.get());
    return std::fflush(file_.get()) == 0 ? done : 0;
}

bool RecordingFile::Close(std::uint64_t dataBytes) {
    if (!file_) return false;
    const bool patched = PatchSizes(file_.get(), static_cast<std::uint32_t>(dataBytes));
    return platform::CloseFile(file_) && patched;
}
