#include "sidefile/WaveReader.h"

#include <algorithm>
#include <cstring>

WaveReader::WaveReader(std::FILE* in, const WaveFile& header)
    : in_(in), dataOffset_(header.dataOffset), buffer_(new std::uint8_t[kReadBufferBytes]) {}

std::size_t WaveReader::ReadBytes(void* dest, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(dest);
    std::size_t delivered = 0;
    while (delivered < n) {
        if (readPos_ >= fill_) {
            // Large reads bypass the buffer: same bytes, one copy fewer.
            if (n - delivered >= kReadBufferBytes)
                return delivered + std::fread(out + delivered, 1, n - delivered, in_);
            fill_ = std::fread(buffer_.get(), 1, kReadBufferBytes, in_);
            readPos_ = 0;
            if (fill_ == 0) break;
        }
        const std::size_t take = std::min(n - delivered, fill_ - readPos_);
        std::memcpy(out + delivered, buffer_.get() + readPos_, take);
        readPos_ += take;
        delivered += take;
    }
    return delivered;
}

bool WaveReader::SeekData(std::uint64_t offset) {
    readPos_ = fill_ = 0;
    return std::fseek(in_, static_cast<long>(dataOffset_ + offset), SEEK_SET) == 0;
}
