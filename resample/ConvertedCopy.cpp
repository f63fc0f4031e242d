#include "resample/ConvertedCopy.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/File.h"
#include "resample/Resampler.h"
#include "sidefile/SampleLayout.h"
#include "sidefile/SideReader.h"
#include "sidefile/WaveHeader.h"

namespace {

constexpr std::size_t kStepFrames = 65536;

// Stores stereo doubles in `format`, dithering when it is 16-bit.
class CopyWriter {
  public:
    CopyWriter(std::FILE* out, const SideFormat& format, bool dither)
        : out_(out), format_(format), dither_(dither) {}

    bool Put(const double* s, std::size_t frames) {
        bytes_.resize(frames * format_.BytesPerFrame());
        if (dither_) {
            auto* p = reinterpret_cast<std::int16_t*>(bytes_.data());
            for (std::size_t i = 0; i < frames; ++i) {
                const std::int16_t left = tpdf_.Next(s[2 * i]);
                const std::int16_t right = tpdf_.Next(s[2 * i + 1]);
                *p++ = left;
                if (format_.channels == 2) *p++ = right;
            }
        } else {
            sidefile::FromStereoDouble(s, frames, format_, bytes_.data());
        }
        held_ += bytes_.size();
        return std::fwrite(bytes_.data(), 1, bytes_.size(), out_) == bytes_.size();
    }
    std::uint64_t Held() const { return held_; }

  private:
    std::FILE* out_;
    SideFormat format_;
    bool dither_;
    TpdfDither tpdf_;
    std::vector<std::uint8_t> bytes_;
    std::uint64_t held_ = 0;
};

}  // namespace

std::string resample::WriteConvertedCopy(const std::string& in, const std::string& out,
                                         std::uint32_t sampleRate, SampleEncoding encoding) {
    const std::unique_ptr<SideReader> side = SideReader::Open(in);
    if (!side) return "cannot read " + in;
    const SideFormat from = side->Format();
    const SideFormat to{sampleRate, from.channels, encoding};
    platform::FilePtr file = platform::OpenFile(out, "wb");
    if (!file) return "cannot create " + out;
    // The copy's size is known only at its end: room for RF64's sizes all the same.
    const WaveHeader header{to, true};
    const bool finer = from.BytesPerSample() > 2 || from.IsFloat() || from.sampleRate != sampleRate;
    CopyWriter writer(file.get(), to, encoding == SampleEncoding::Int16 && finer);
    std::unique_ptr<Resampler> resampler;
    if (from.sampleRate != sampleRate)
        resampler = std::make_unique<Resampler>(from.sampleRate, sampleRate);
    std::vector<std::uint8_t> stored(kStepFrames * from.BytesPerFrame());
    std::vector<double> wide(2 * kStepFrames), resampled;
    bool ok = header.Write(file.get(), 0);
    for (std::uint64_t left = side->Frames(); ok && left > 0;) {
        const std::size_t n = side->Read(stored.data(), std::min<std::uint64_t>(left, kStepFrames));
        if (n == 0) break;
        left -= n;
        sidefile::ToStereoDouble(stored.data(), from, n, wide.data());
        if (!resampler) {
            ok = writer.Put(wide.data(), n);
            continue;
        }
        resampled.clear();
        ok = resampler->Process(wide.data(), n, resampled) &&
             writer.Put(resampled.data(), resampled.size() / 2);
    }
    if (ok && resampler) {
        resampled.clear();
        ok = resampler->Flush(resampled) && writer.Put(resampled.data(), resampled.size() / 2);
    }
    ok = ok && header.Patch(file.get(), writer.Held()) && platform::CloseFile(file);
    if (!ok) {
        file.reset();
        std::remove(out.c_str());
        return "cannot write " + out;
    }
    return "";
}
