#include "sidefile/SideReader.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/File.h"
#include "platform/Paths.h"
#include "sidefile/WaveFile.h"
#include "sidefile/WaveReader.h"

namespace {

// A WAV or RF64 file, through the program's own chunk walk and buffered reader.
class WaveSideReader : public SideReader {
  public:
    static std::unique_ptr<WaveSideReader> Open(platform::FilePtr file) {
        WaveFile header;
        if (!header.ReadSideHeader(file.get())) return nullptr;
        return std::unique_ptr<WaveSideReader>(new WaveSideReader(std::move(file), header));
    }

    std::size_t Read(std::uint8_t* dest, std::size_t frames) override {
        const std::size_t bytes = format_.BytesPerFrame();
        const std::uint64_t left = frames_ - std::min(position_, frames_);
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(frames, left));
        const std::size_t got = reader_.ReadBytes(dest, want * bytes) / bytes;
        position_ += got;
        return got;
    }

    bool Seek(std::uint64_t frame) override {
        position_ = frame;
        return reader_.SeekData(frame * format_.BytesPerFrame());
    }

  private:
    WaveSideReader(platform::FilePtr file, const WaveFile& header)
        : file_(std::move(file)), reader_(file_.get(), header) {
        format_ = header.side;
        frames_ = header.frames;
        declaredFrames_ = std::max(frames_, header.declaredBytes / format_.BytesPerFrame());
    }

    platform::FilePtr file_;
    WaveReader reader_;
    std::uint64_t position_ = 0;
};

struct SndfileCloser {
    void operator()(SNDFILE* file) const noexcept { sf_close(file); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

std::optional<SampleEncoding> EncodingOf(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_16:
            return SampleEncoding::Int16;
        case SF_FORMAT_PCM_24:
            return SampleEncoding::Int24;
        case SF_FORMAT_PCM_32:
            return SampleEncoding::Int32;
        case SF_FORMAT_FLOAT:
            return SampleEncoding::Float32;
        case SF_FORMAT_DOUBLE:
            return SampleEncoding::Float64;
        default:
            return std::nullopt;
    }
}

bool Takes(const SF_INFO& info) {
    return EncodingOf(info.format) && info.channels >= 1 && info.channels <= 2 &&
           info.samplerate >= static_cast<int>(kLowestSideRate) &&
           info.samplerate <= static_cast<int>(kHighestSideRate) && info.frames >= 0;
}

// Any other format libsndfile reads (FLAC, AIFF, Wave64, ...), decoded into the stored
// layout of its sample encoding.
class SndfileSideReader : public SideReader {
  public:
    static std::unique_ptr<SndfileSideReader> Open(const std::string& path) {
        SF_INFO info{};
        SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
        if (!file || !Takes(info)) return nullptr;
        return std::unique_ptr<SndfileSideReader>(new SndfileSideReader(std::move(file), info));
    }

    std::size_t Read(std::uint8_t* dest, std::size_t frames) override {
        const auto n = static_cast<sf_count_t>(frames);
        switch (format_.encoding) {
            case SampleEncoding::Int16:
                return Got(sf_readf_short(file_.get(), reinterpret_cast<short*>(dest), n));
            case SampleEncoding::Int32:
                return Got(sf_readf_int(file_.get(), reinterpret_cast<int*>(dest), n));
            case SampleEncoding::Float32:
                return Got(sf_readf_float(file_.get(), reinterpret_cast<float*>(dest), n));
            case SampleEncoding::Float64:
                return Got(sf_readf_double(file_.get(), reinterpret_cast<double*>(dest), n));
            case SampleEncoding::Int24:
                return Read24(dest, frames);
        }
        return 0;
    }

    bool Seek(std::uint64_t frame) override {
        return sf_seek(file_.get(), static_cast<sf_count_t>(frame), SEEK_SET) >= 0;
    }

  private:
    SndfileSideReader(SndfilePtr file, const SF_INFO& info) : file_(std::move(file)) {
        format_ = SideFormat{static_cast<std::uint32_t>(info.samplerate),
                             static_cast<std::uint16_t>(info.channels), *EncodingOf(info.format)};
        frames_ = declaredFrames_ = static_cast<std::uint64_t>(info.frames);
    }

    static std::size_t Got(sf_count_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

    // 24-bit samples arrive in the top of 32 bits; their three bytes are kept.
    std::size_t Read24(std::uint8_t* dest, std::size_t frames) {
        constexpr std::size_t kStep = 4096;
        std::size_t done = 0;
        wide_.resize(kStep * format_.channels);
        while (done < frames) {
            const std::size_t n = std::min(kStep, frames - done);
            const std::size_t got =
                Got(sf_readf_int(file_.get(), wide_.data(), static_cast<sf_count_t>(n)));
            std::uint8_t* out = dest + done * format_.BytesPerFrame();
            for (std::size_t i = 0; i < got * format_.channels; ++i, out += 3) {
                const auto v = static_cast<std::uint32_t>(wide_[i]);
                out[0] = static_cast<std::uint8_t>(v >> 8);
                out[1] = static_cast<std::uint8_t>(v >> 16);
                out[2] = static_cast<std::uint8_t>(v >> 24);
            }
            done += got;
            if (got < n) break;
        }
        return done;
    }

    SndfilePtr file_;
    std::vector<int> wide_;
};

bool StartsAsWave(std::FILE* file) {
    char magic[12] = {};
    const bool wave = std::fread(magic, 1, 12, file) == 12 &&
                      (std::memcmp(magic, "RIFF", 4) == 0 || std::memcmp(magic, "RF64", 4) == 0) &&
                      std::memcmp(magic + 8, "WAVE", 4) == 0;
    std::rewind(file);
    return wave;
}

const char* MajorFormatName(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
        case SF_FORMAT_FLAC:
            return "FLAC";
        case SF_FORMAT_AIFF:
            return "AIFF";
        case SF_FORMAT_W64:
            return "Wave64";
        case SF_FORMAT_OGG:
            return "Ogg";
        case SF_FORMAT_CAF:
            return "CAF";
        default:
            return "audio";
    }
}

}  // namespace

std::unique_ptr<SideReader> SideReader::Open(const std::string& path) {
    platform::FilePtr file = platform::OpenFile(path, "rb");
    if (!file) return nullptr;
    if (StartsAsWave(file.get())) return WaveSideReader::Open(std::move(file));
    file.reset();
    return SndfileSideReader::Open(path);
}

std::string sidefile::SideProblem(const std::string& path) {
    if (!platform::FileSize(path)) return "the file cannot be opened";
    {
        platform::FilePtr file = platform::OpenFile(path, "rb");
        if (!file) return "the file cannot be opened";
        if (StartsAsWave(file.get()))
            return WaveSideReader::Open(std::move(file)) ? "" : WaveFile::Describe(path);
    }
    SF_INFO info{};
    SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) return std::string("not an audio file (") + sf_strerror(nullptr) + ")";
    if (Takes(info)) return "";
    SF_FORMAT_INFO sub{};
    sub.format = info.format & SF_FORMAT_SUBMASK;
    sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof sub);
    return std::string(MajorFormatName(info.format)) + ", " + std::to_string(info.samplerate) +
           " Hz, " + std::to_string(info.channels) +
           (info.channels == 1 ? " channel, " : " channels, ") + (sub.name ? sub.name : "?");
}

std::string sidefile::SideShortfall(const std::string& path) {
    return WaveFile::Shortfall(path);
}
