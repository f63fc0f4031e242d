#include "audio/WaveFile.h"

#include <algorithm>
#include <cstring>

#include "platform/File.h"
#include "platform/Paths.h"

namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr std::uint32_t kFormatChunkBytes = 16;
constexpr std::uint32_t kExtensibleFormatBytes = 40;
// KSDATAFORMAT_SUBTYPE_PCM after its leading 16-bit format code.
constexpr std::uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void PutLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool IsTag(const std::uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

bool WriteLe32At(std::FILE* out, long offset, std::uint32_t value) {
    std::uint8_t bytes[4];
    PutLe32(bytes, value);
    return std::fseek(out, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, out) == 4;
}

}  // namespace

WaveFile::WaveFile() : buffer_(new std::uint8_t[kReadBufferBytes]) {}

bool WaveFile::WriteHeader(std::FILE* out, std::uint32_t dataBytes) const {
    std::uint8_t h[kCanonicalHeaderBytes];
    std::memcpy(h + 0, "RIFF", 4);
    PutLe32(h + 4, dataBytes + 36);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    PutLe32(h + 16, kFormatChunkBytes);
    PutLe16(h + 20, kTagPcm);
    PutLe16(h + 22, 2);
    PutLe32(h + 24, sampleRate);
    PutLe32(h + 28, kCanonicalByteRate);
    PutLe16(h + 32, kBytesPerFrame);
    PutLe16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    PutLe32(h + 40, dataBytes);
    return std::fwrite(h, 1, sizeof h, out) == sizeof h;
}

bool PatchSizes(std::FILE* out, std::uint32_t totalBytes) {
    const bool ok = WriteLe32At(out, 4, totalBytes + 36) && WriteLe32At(out, 40, totalBytes);
    return std::fseek(out, 0, SEEK_END) == 0 && ok;
}

std::size_t WaveFile::ReadBytes(std::FILE* in, void* dest, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(dest);
    std::size_t delivered = 0;
    while (delivered < n) {
        if (readPos_ >= fill_) {
            // Large reads bypass the buffer: same bytes, one copy fewer.
            if (n - delivered >= kReadBufferBytes) {
                const std::size_t got = std::fread(out + delivered, 1, n - delivered, in);
                delivered += got;
                consumed_ += got;
                break;
            }
            fill_ = static_cast<std::int32_t>(std::fread(buffer_.get(), 1, kReadBufferBytes, in));
            readPos_ = 0;
            if (fill_ <= 0) {
                fill_ = 0;
                break;
            }
        }
        const std::size_t take =
            std::min<std::size_t>(n - delivered, static_cast<std::size_t>(fill_ - readPos_));
        std::memcpy(out + delivered, buffer_.get() + readPos_, take);
        readPos_ += static_cast<std::int32_t>(take);
        delivered += take;
        consumed_ += take;
    }
    return delivered;
}

bool WaveFile::Skip(std::FILE* in, std::uint64_t n) {
    const std::uint64_t buffered = static_cast<std::uint64_t>(fill_ - readPos_);
    if (n <= buffered) {
        readPos_ += static_cast<std::int32_t>(n);
        consumed_ += n;
        return true;
    }
    const std::uint64_t target = consumed_ + n;
    readPos_ = fill_ = 0;
    if (std::fseek(in, static_cast<long>(target), SEEK_SET) != 0) return false;
    consumed_ = target;
    return true;
}

bool WaveFile::SeekData(std::FILE* in, std::uint64_t offset) {
    readPos_ = fill_ = 0;
    const std::uint64_t target = dataOffset + offset;
    if (std::fseek(in, static_cast<long>(target), SEEK_SET) != 0) return false;
    consumed_ = target;
    return true;
}

WaveFile::Walk WaveFile::WalkChunks(std::FILE* in) {
    std::uint8_t riff[12];
    if (ReadBytes(in, riff, 12) != 12 || !IsTag(riff, "RIFF") || !IsTag(riff + 8, "WAVE"))
        return Walk::NotRiff;

    // The file's real size bounds every chunk: a header never makes us read past it.
    std::uint64_t fileSize = 0;
    {
        const long here = std::ftell(in);
        if (here < 0 || std::fseek(in, 0, SEEK_END) != 0) return Walk::NotRiff;
        fileSize = static_cast<std::uint64_t>(std::ftell(in));
        if (std::fseek(in, here, SEEK_SET) != 0) return Walk::NotRiff;
    }

    bool haveFormat = false;
    for (;;) {
        std::uint8_t chunk[8];
        if (ReadBytes(in, chunk, 8) != 8) return haveFormat ? Walk::NoData : Walk::NoFormat;
        const std::uint32_t size = Le32(chunk + 4);
        if (IsTag(chunk, "fmt ")) {
            if (size < kFormatChunkBytes) return Walk::NoFormat;
            std::uint8_t f[kExtensibleFormatBytes] = {};
            const std::uint32_t want = std::min(size, kExtensibleFormatBytes);
            if (ReadBytes(in, f, want) != want) return Walk::NoFormat;
            format.formatTag = Le16(f + 0);
            format.channels = Le16(f + 2);
            format.sampleRate = Le32(f + 4);
            format.bitsPerSample = Le16(f + 14);
            format.isPcm = format.formatTag == kTagPcm;
            if (format.formatTag == kTagExtensible && want >= kExtensibleFormatBytes)
                format.isPcm = Le16(f + 24) == kTagPcm &&
                               std::memcmp(f + 26, kPcmGuidTail, sizeof kPcmGuidTail) == 0;
            haveFormat = true;
            if (!Skip(in, size - want + (size & 1u))) return Walk::NoFormat;
        } else if (IsTag(chunk, "data")) {
            if (!haveFormat) return Walk::NoFormat;
            dataOffset = consumed_;
            const std::uint64_t available = fileSize > dataOffset ? fileSize - dataOffset : 0;
            std::uint64_t bytes = (size == 0 || size == 0xFFFFFFFFu)
                                      ? available
                                      : std::min<std::uint64_t>(size, available);
            bytes = std::min<std::uint64_t>(bytes, 0xFFFFFFFFu);
            dataBytes = static_cast<std::uint32_t>(bytes - bytes % kBytesPerFrame);
            return Walk::Ok;
        } else if (!Skip(in, static_cast<std::uint64_t>(size) + (size & 1u)) ||
                   consumed_ > fileSize) {
            return haveFormat ? Walk::NoData : Walk::NoFormat;
        }
    }
}

bool WaveFile::ReadHeader(std::FILE* in) {
    if (WalkChunks(in) != Walk::Ok) return false;
    if (!format.isPcm || format.bitsPerSample != 16 || format.channels != 2) return false;
    sampleRate = format.sampleRate;
    sampleCount = static_cast<std::int32_t>(dataBytes / 2);
    return true;
}

bool WaveFile::IsStereoWave(const std::string& path, std::uint32_t rate) {
    platform::FilePtr file = platform::OpenFile(path, "rb");
    if (!file) return false;
    WaveFile wave;
    return wave.ReadHeader(file.get()) && wave.sampleRate == rate;
}

std::optional<WaveFormat> WaveFile::Probe(const std::string& path) {
    platform::FilePtr file = platform::OpenFile(path, "rb");
    if (!file) return std::nullopt;
    WaveFile wave;
    const Walk walk = wave.WalkChunks(file.get());
    if (walk == Walk::NotRiff || walk == Walk::NoFormat) return std::nullopt;
    return wave.format;
}

std::string WaveFile::Describe(const std::string& path) {
    if (!platform::FileSize(path)) return "the file cannot be opened";
    const std::optional<WaveFormat> format = Probe(path);
    if (!format) return "not a WAV file";
    if (!format->isPcm)
        return "compressed audio (format " + std::to_string(format->formatTag) + ")";
    std::string text = std::to_string(format->sampleRate) + " Hz, " +
                       std::to_string(format->channels) +
                       (format->channels == 1 ? " channel, " : " channels, ") +
                       std::to_string(format->bitsPerSample) + " bits";
    platform::FilePtr file = platform::OpenFile(path, "rb");
    WaveFile wave;
    if (file && wave.WalkChunks(file.get()) != Walk::Ok) text += ", no audio data";
    return text;
}
