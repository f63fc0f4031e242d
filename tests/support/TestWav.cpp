#include "tests/support/TestWav.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "platform/File.h"
#include "sidefile/SampleLayout.h"
#include "sidefile/WaveReader.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {
void Le16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void Le32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
}  // namespace

std::string FramesToBytes(const std::vector<Frame>& frames) {
    std::string bytes;
    bytes.reserve(frames.size() * 4);
    for (const Frame& f : frames) {
        Le16(bytes, static_cast<std::uint16_t>(f.left));
        Le16(bytes, static_cast<std::uint16_t>(f.right));
    }
    return bytes;
}

std::string MakeWavBytes(const WavLayout& layout, const std::string& sampleBytes) {
    std::string fmt;
    Le16(fmt, layout.formatTag);
    Le16(fmt, layout.channels);
    Le32(fmt, layout.sampleRate);
    const std::uint16_t blockAlign =
        static_cast<std::uint16_t>(layout.channels * layout.bitsPerSample / 8);
    Le32(fmt, layout.sampleRate * blockAlign);
    Le16(fmt, blockAlign);
    Le16(fmt, layout.bitsPerSample);
    if (layout.formatChunkBytes >= 18)
        Le16(fmt, static_cast<std::uint16_t>(layout.formatChunkBytes - 18));
    if (layout.formatChunkBytes >= 40) {
        Le16(fmt, layout.bitsPerSample);
        Le32(fmt, 3);  // front left + right
        Le16(fmt, layout.extensibleSubFormat);
        fmt.append("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    fmt.resize(layout.formatChunkBytes, '\0');

    std::string body = "WAVEfmt ";
    Le32(body, static_cast<std::uint32_t>(fmt.size()));
    body += fmt;
    if (fmt.size() & 1) body += '\0';
    for (const auto& [id, chunk] : layout.chunksBeforeData) {
        body += id.substr(0, 4);
        Le32(body, static_cast<std::uint32_t>(chunk.size()));
        body += chunk;
        if (chunk.size() & 1) body += '\0';
    }
    body += "data";
    Le32(body, layout.declaredDataBytes.value_or(static_cast<std::uint32_t>(sampleBytes.size())));
    body += sampleBytes;

    std::string file = "RIFF";
    Le32(file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

bool WriteWav(const std::string& path, const std::vector<Frame>& frames, const WavLayout& layout) {
    return WriteFileBytes(path, MakeWavBytes(layout, FramesToBytes(frames)));
}

std::optional<std::vector<Frame>> ReadWavFrames(const std::string& path) {
    platform::FilePtr file = platform::OpenFile(path, "rb");
    WaveFile wave;
    if (!file || !wave.ReadHeader(file.get())) return std::nullopt;
    std::vector<Frame> frames(wave.dataBytes / 4);
    std::vector<std::uint8_t> bytes(wave.dataBytes);
    bytes.resize(WaveReader(file.get(), wave).ReadBytes(bytes.data(), bytes.size()));
    frames.resize(bytes.size() / 4);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::uint8_t* p = &bytes[4 * i];
        frames[i].left = static_cast<std::int16_t>(p[0] | (p[1] << 8));
        frames[i].right = static_cast<std::int16_t>(p[2] | (p[3] << 8));
    }
    return frames;
}

std::vector<Frame> NoiseFrames(std::size_t count, double amplitude, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> dist(-32768, 32767);
    std::vector<Frame> frames(count);
    for (Frame& f : frames) {
        f.left = static_cast<std::int16_t>(dist(rng) * amplitude);
        f.right = static_cast<std::int16_t>(dist(rng) * amplitude);
    }
    return frames;
}

std::vector<Frame> ClickedSineFrames(std::size_t count, std::size_t clickFrame) {
    std::vector<Frame> frames(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::int16_t>(
            std::lround(kClickedSineAmplitude * std::sin(2 * M_PI * 1000.0 * i / 44100.0)));
        frames[i] = {v, v};
    }
    for (std::size_t i = clickFrame; i < std::min(count, clickFrame + kClickFrames); ++i)
        frames[i] = {32767, 32767};
    return frames;
}

std::string NoiseBytes(const SideFormat& format, std::size_t frames, double amplitude,
                       std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-amplitude, amplitude);
    std::vector<double> stereo(2 * frames);
    for (double& v : stereo) v = dist(rng);
    if (format.channels == 1)
        for (std::size_t i = 0; i < frames; ++i) stereo[2 * i + 1] = stereo[2 * i];
    std::string bytes(frames * format.BytesPerFrame(), '\0');
    sidefile::FromStereoDouble(stereo.data(), frames, format,
                               reinterpret_cast<std::uint8_t*>(bytes.data()));
    return bytes;
}

bool WriteSideWav(const std::string& path, const SideFormat& format, const std::string& sampleBytes,
                  std::uint64_t riffLimit) {
    platform::FilePtr out = platform::OpenFile(path, "wb");
    if (!out) return false;
    const WaveHeader header = WaveHeader::For(format, sampleBytes.size(), riffLimit);
    return header.Write(out.get(), sampleBytes.size()) &&
           std::fwrite(sampleBytes.data(), 1, sampleBytes.size(), out.get()) ==
               sampleBytes.size() &&
           platform::CloseFile(out);
}

bool RunSox(const std::vector<std::string>& args) {
    TempDir dir;
    std::vector<std::string> argv = {"/usr/bin/sox"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramRun run = RunProgram(argv, dir.path());
    if (run.status != 0) ADD_FAILURE() << "sox failed: " << run.err;
    return run.status == 0;
}

std::string SoxInfo(const std::string& path, const std::string& option) {
    TempDir dir;
    std::string out = RunProgram({"/usr/bin/soxi", option, path}, dir.path()).out;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string SoxSamples(const std::string& path, const std::vector<std::string>& effects) {
    TempDir dir;
    std::vector<std::string> args = {path, "-t", "raw", dir / "samples.raw"};
    args.insert(args.end(), effects.begin(), effects.end());
    if (!RunSox(args)) return "";
    return ReadFileBytes(dir / "samples.raw");
}

bool SameSamples(const std::string& a, const std::string& b, const SideFormat& format) {
    if (!format.IsFloat() || a.size() != b.size()) return a == b;
    std::vector<double> x(a.size() / format.BytesPerFrame() * 2), y(x.size());
    const std::size_t frames = x.size() / 2;
    sidefile::ToStereoDouble(reinterpret_cast<const std::uint8_t*>(a.data()), format, frames,
                             x.data());
    sidefile::ToStereoDouble(reinterpret_cast<const std::uint8_t*>(b.data()), format, frames,
                             y.data());
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::abs(x[i] - y[i]) > 1e-6) return false;
    return true;
}
