#include "sidefile/WaveHeader.h"

#include <cstring>
#include <string>

namespace {

constexpr std::uint16_t kPcmFormatTag = 1;
constexpr std::uint16_t kFloatFormatTag = 3;
constexpr std::uint32_t kDs64Bytes = 28;  // riff size, data size, sample count, table length

void Put(std::string& s, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
}

void Chunk(std::string& s, const char* tag, std::uint32_t size) {
    s.append(tag, 4);
    Put(s, size, 4);
}

std::uint32_t Held32(std::uint64_t v) {
    return v > kRiffSizeLimit ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v);
}

// The header's bytes: `rf64` with a ds64 chunk, else RIFF (with JUNK where ds64 may go).
std::string Bytes(const WaveHeader& h, std::uint64_t dataBytes, bool rf64) {
    const SideFormat& f = h.format;
    const bool slot = rf64 || h.roomForDs64;
    const std::uint64_t riffSize = h.Size() - 8 + dataBytes;
    const std::uint64_t frames = dataBytes / f.BytesPerFrame();
    std::string s;
    s.append(rf64 ? "RF64" : "RIFF", 4);
    Put(s, rf64 ? 0xFFFFFFFFu : Held32(riffSize), 4);
    s.append("WAVE", 4);
    if (slot) {
        Chunk(s, rf64 ? "ds64" : "JUNK", kDs64Bytes);
        Put(s, rf64 ? riffSize : 0, 8);
        Put(s, rf64 ? dataBytes : 0, 8);
        Put(s, rf64 ? frames : 0, 8);
        Put(s, 0, 4);
    }
    Chunk(s, "fmt ", f.IsFloat() ? 18 : 16);
    Put(s, f.IsFloat() ? kFloatFormatTag : kPcmFormatTag, 2);
    Put(s, f.channels, 2);
    Put(s, f.sampleRate, 4);
    Put(s, std::uint64_t{f.sampleRate} * f.BytesPerFrame(), 4);
    Put(s, f.BytesPerFrame(), 2);
    Put(s, f.BitsPerSample(), 2);
    if (f.IsFloat()) {
        Put(s, 0, 2);  // no extension
        Chunk(s, "fact", 4);
        Put(s, rf64 ? 0xFFFFFFFFu : Held32(frames), 4);
    }
    Chunk(s, "data", rf64 ? 0xFFFFFFFFu : Held32(dataBytes));
    return s;
}

}  // namespace

std::uint32_t WaveHeader::Size() const {
    std::uint32_t size = 12 + 8 + 16 + 8;
    if (format.IsFloat()) size += 2 + 12;
    if (roomForDs64) size += 8 + kDs64Bytes;
    return size;
}

bool WaveHeader::IsRf64(std::uint64_t dataBytes) const {
    const std::uint64_t plain = Size() - 8 + dataBytes;
    // A header without ds64 room grows by it when it turns RF64.
    return plain > riffLimit;
}

WaveHeader WaveHeader::For(const SideFormat& format, std::uint64_t dataBytes,
                           std::uint64_t riffLimit) {
    WaveHeader header{format, false, riffLimit};
    header.roomForDs64 = header.IsRf64(dataBytes);
    return header;
}

bool WaveHeader::Write(std::FILE* out, std::uint64_t dataBytes) const {
    const std::string bytes = Bytes(*this, dataBytes, roomForDs64 && IsRf64(dataBytes));
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

bool WaveHeader::Patch(std::FILE* out, std::uint64_t dataBytes) const {
    // Only a header with ds64 room can turn into RF64; one without states what fits.
    const bool rf64 = roomForDs64 && IsRf64(dataBytes);
    const std::string bytes = Bytes(*this, dataBytes, rf64);
    const bool ok = std::fseek(out, 0, SEEK_SET) == 0 &&
                    std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fseek(out, 0, SEEK_END) == 0 && ok;
}
