#include "sidefile/WaveFile.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/File.h"
#include "platform/Paths.h"

namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
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
std::uint64_t Le64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(Le32(p)) | static_cast<std::uint64_t>(Le32(p + 4)) << 32;
}
void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool IsTag(const std::uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

// Reads exactly n bytes; false at the end of the file or on an error.
bool ReadExactly(std::FILE* in, void* dest, std::size_t n) {
    return std::fread(dest, 1, n, in) == n;
}

std::optional<std::uint64_t> StreamSize(std::FILE* in) {
    if (std::fseek(in, 0, SEEK_END) != 0) return std::nullopt;
    const long size = std::ftell(in);
    if (size < 0) return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

// True when the bytes from `at` to the end of the file are whole chunks (each a four-
// character tag of printable ASCII and a size that fits), that is when nothing there can
// be sample data. Leaves the stream position anywhere.
bool OnlyChunksFollow(std::FILE* in, std::uint64_t at, std::uint64_t fileSize) {
    if (at >= fileSize) return false;
    while (at + 8 <= fileSize) {
        std::uint8_t chunk[8];
        if (std::fseek(in, static_cast<long>(at), SEEK_SET) != 0 || !ReadExactly(in, chunk, 8))
            return false;
        for (int i = 0; i < 4; ++i)
            if (chunk[i] < 0x20 || chunk[i] > 0x7E) return false;
        const std::uint32_t size = Le32(chunk + 4);
        at += 8 + static_cast<std::uint64_t>(size) + (size & 1u);
    }
    // A last chunk may lack its pad byte.
    return at == fileSize || at == fileSize + 1;
}

bool WriteLe32At(std::FILE* out, long offset, std::uint32_t value) {
    std::uint8_t bytes[4];
    PutLe32(bytes, value);
    return std::fseek(out, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, out) == 4;
}

}  // namespace

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

bool sidefile::PatchSizes(std::FILE* out, std::uint32_t totalBytes) {
    const bool ok = WriteLe32At(out, 4, totalBytes + 36) && WriteLe32At(out, 40, totalBytes);
    return std::fseek(out, 0, SEEK_END) == 0 && ok;
}

WaveFile::Walk WaveFile::WalkChunks(std::FILE* in, bool rf64) {
    std::uint8_t riff[12];
    if (!ReadExactly(in, riff, 12) || !(IsTag(riff, "RIFF") || (rf64 && IsTag(riff, "RF64"))) ||
        !IsTag(riff + 8, "WAVE"))
        return Walk::NotRiff;
    const bool isRf64 = IsTag(riff, "RF64");
    std::optional<std::uint64_t> ds64DataBytes;  // an RF64 file's real data size

    // The file's real size bounds every chunk: a header never makes us read past it.
    const std::optional<std::uint64_t> fileSize = StreamSize(in);
    if (!fileSize || std::fseek(in, 12, SEEK_SET) != 0) return Walk::NotRiff;

    std::uint64_t at = 12;  // file offset of the next chunk header
    bool haveFormat = false;
    for (;;) {
        std::uint8_t chunk[8];
        if (!ReadExactly(in, chunk, 8)) return haveFormat ? Walk::NoData : Walk::NoFormat;
        at += 8;
        const std::uint32_t size = Le32(chunk + 4);
        const std::uint64_t padded = static_cast<std::uint64_t>(size) + (size & 1u);
        if (IsTag(chunk, "fmt ")) {
            if (size < kFormatChunkBytes) return Walk::NoFormat;
            std::uint8_t f[kExtensibleFormatBytes] = {};
            if (!ReadExactly(in, f, std::min(size, kExtensibleFormatBytes))) return Walk::NoFormat;
            format.formatTag = Le16(f + 0);
            format.channels = Le16(f + 2);
            format.sampleRate = Le32(f + 4);
            format.bitsPerSample = Le16(f + 14);
            format.isPcm = format.formatTag == kTagPcm;
            format.isFloat = format.formatTag == kTagFloat;
            if (format.formatTag == kTagExtensible && size >= kExtensibleFormatBytes) {
                const bool guid = std::memcmp(f + 26, kPcmGuidTail, sizeof kPcmGuidTail) == 0;
                format.isPcm = Le16(f + 24) == kTagPcm && guid;
                format.isFloat = Le16(f + 24) == kTagFloat && guid;
            }
            haveFormat = true;
        } else if (isRf64 && IsTag(chunk, "ds64") && size >= 16) {
            std::uint8_t d[16];
            if (!ReadExactly(in, d, 16)) return Walk::NoFormat;
            ds64DataBytes = Le64(d + 8);
        } else if (IsTag(chunk, "data")) {
            if (!haveFormat) return Walk::NoFormat;
            dataOffset = at;
            const std::uint64_t available = *fileSize > at ? *fileSize - at : 0;
            // A recording whose header was never patched declares 0 and runs to the end;
            // a declared 0 followed by more chunks is an empty data chunk.
            if (isRf64 && size == 0xFFFFFFFFu && ds64DataBytes) {
                declaredBytes = *ds64DataBytes;
                heldBytes_ = std::min(*ds64DataBytes, available);
                dataBytes = 0;  // beyond what ReadHeader takes
                return std::fseek(in, static_cast<long>(at), SEEK_SET) == 0 ? Walk::Ok
                                                                            : Walk::NoData;
            }
            const bool toTheEnd =
                size == 0xFFFFFFFFu || (size == 0 && !OnlyChunksFollow(in, at, *fileSize));
            declaredBytes = toTheEnd ? available : size;
            std::uint64_t bytes = toTheEnd ? available : std::min<std::uint64_t>(size, available);
            heldBytes_ = bytes;
            bytes = std::min<std::uint64_t>(bytes, 0xFFFFFFFFu);
            dataBytes = static_cast<std::uint32_t>(bytes - bytes % kBytesPerFrame);
            return std::fseek(in, static_cast<long>(at), SEEK_SET) == 0 ? Walk::Ok : Walk::NoData;
        }
        at += padded;
        if (at > *fileSize || std::fseek(in, static_cast<long>(at), SEEK_SET) != 0)
            return haveFormat ? Walk::NoData : Walk::NoFormat;
    }
}

bool WaveFile::ReadHeader(std::FILE* in) {
    if (WalkChunks(in) != Walk::Ok) return false;
    if (!format.isPcm || format.bitsPerSample != 16 || format.channels != 2) return false;
    sampleRate = format.sampleRate;
    sampleCount = static_cast<std::int32_t>(dataBytes / 2);
    return true;
}

bool WaveFile::ReadSideHeader(std::FILE* in) {
    if (WalkChunks(in, true) != Walk::Ok) return false;
    const std::uint16_t bits = format.bitsPerSample;
    SampleEncoding encoding;
    if (format.isPcm && bits == 16)
        encoding = SampleEncoding::Int16;
    else if (format.isPcm && bits == 24)
        encoding = SampleEncoding::Int24;
    else if (format.isPcm && bits == 32)
        encoding = SampleEncoding::Int32;
    else if (format.isFloat && bits == 32)
        encoding = SampleEncoding::Float32;
    else if (format.isFloat && bits == 64)
        encoding = SampleEncoding::Float64;
    else
        return false;
    if (format.channels < 1 || format.channels > 2 || format.sampleRate < kLowestSideRate ||
        format.sampleRate > kHighestSideRate)
        return false;
    side = SideFormat{format.sampleRate, format.channels, encoding};
    sampleRate = format.sampleRate;
    frames = heldBytes_ / side.BytesPerFrame();
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
    const Walk walk = wave.WalkChunks(file.get(), true);
    if (walk == Walk::NotRiff || walk == Walk::NoFormat) return std::nullopt;
    return wave.format;
}

std::string WaveFile::Shortfall(const std::string& path) {
    platform::FilePtr file = platform::OpenFile(path, "rb");
    WaveFile wave;
    if (!file || !wave.ReadSideHeader(file.get()) || wave.sampleRate == 0) return "";
    const std::uint64_t declaredFrames = wave.declaredBytes / wave.side.BytesPerFrame();
    const std::uint64_t heldFrames = wave.frames;
    if (declaredFrames <= heldFrames) return "";
    // m:ss.d
    const auto time = [&wave](std::uint64_t frames) {
        const std::uint64_t tenths = frames * 10 / wave.sampleRate;
        char text[32];
        std::snprintf(text, sizeof text, "%llu:%02llu.%llu",
                      static_cast<unsigned long long>(tenths / 600),
                      static_cast<unsigned long long>(tenths / 10 % 60),
                      static_cast<unsigned long long>(tenths % 10));
        return std::string(text);
    };
    return "the file is shorter than its header says: it holds " + time(heldFrames) + " of the " +
           time(declaredFrames) + " its header gives";
}

std::string WaveFile::Describe(const std::string& path) {
    if (!platform::FileSize(path)) return "the file cannot be opened";
    const std::optional<WaveFormat> format = Probe(path);
    if (!format) return "not a WAV file";
    if (!format->isPcm && !format->isFloat)
        return "compressed audio (format " + std::to_string(format->formatTag) + ")";
    std::string text = std::to_string(format->sampleRate) + " Hz, " +
                       std::to_string(format->channels) +
                       (format->channels == 1 ? " channel, " : " channels, ") +
                       std::to_string(format->bitsPerSample) + " bits";
    if (format->isFloat) text += " float";
    platform::FilePtr file = platform::OpenFile(path, "rb");
    WaveFile wave;
    if (file && wave.WalkChunks(file.get(), true) != Walk::Ok) text += ", no audio data";
    return text;
}
