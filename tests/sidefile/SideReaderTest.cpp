// Every side format through the one side reader, checked against sox (an independent
// reader); the files it refuses, named; RF64 past a lowered size limit.

#include "sidefile/SideReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "sidefile/SampleLayout.h"

#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

// Everything the reader delivers, in the side's own encoding.
std::string ReadAll(SideReader& side) {
    std::string bytes(side.Frames() * side.Format().BytesPerFrame(), '\0');
    const std::size_t got = side.Read(reinterpret_cast<std::uint8_t*>(bytes.data()), side.Frames());
    bytes.resize(got * side.Format().BytesPerFrame());
    return bytes;
}

struct FormatCase {
    const char* name;
    SideFormat format;
    const char* container;  ///< "" the program's own WAV; else sox makes this file type
    std::uint64_t riffLimit = kRiffSizeLimit;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class SideReaderReads : public testing::TestWithParam<FormatCase> {};

TEST_P(SideReaderReads, EverySampleAsSoxReadsIt) {
    const FormatCase& c = GetParam();
    TempDir dir;
    const std::string bytes = NoiseBytes(c.format, 30011, 0.9, 5);
    std::string path = dir / "side.wav";
    ASSERT_TRUE(WriteSideWav(path, c.format, bytes, c.riffLimit));
    if (*c.container) {
        path = dir / (std::string("side.") + c.container);
        ASSERT_TRUE(RunSox({dir / "side.wav", path}));
    }
    const std::unique_ptr<SideReader> side = SideReader::Open(path);
    ASSERT_TRUE(side);
    EXPECT_EQ(side->Format(), c.format);
    EXPECT_EQ(side->Frames(), 30011u);
    const std::string read = ReadAll(*side);
    EXPECT_TRUE(read == bytes);
    EXPECT_TRUE(SameSamples(read, SoxSamples(path), c.format));
    // Reading on from any frame.
    ASSERT_TRUE(side->Seek(29000));
    EXPECT_TRUE(ReadAll(*side).substr(0, 1011 * c.format.BytesPerFrame()) ==
                bytes.substr(29000 * c.format.BytesPerFrame()));
    EXPECT_EQ(sidefile::SideProblem(path), "");
}

constexpr SideFormat k96k24{96000, 2, SampleEncoding::Int24};

INSTANTIATE_TEST_SUITE_P(
    Formats, SideReaderReads,
    testing::Values(FormatCase{"wav_96k_24", k96k24, ""},
                    FormatCase{"wav_48k_16_mono", {48000, 1, SampleEncoding::Int16}, ""},
                    FormatCase{"wav_192k_32", {192000, 2, SampleEncoding::Int32}, ""},
                    FormatCase{"wav_44k_float", {44100, 2, SampleEncoding::Float32}, ""},
                    FormatCase{"wav_22k_double_mono", {22050, 1, SampleEncoding::Float64}, ""},
                    FormatCase{"rf64_96k_24", k96k24, "", 1000},
                    FormatCase{"flac_96k_24", k96k24, "flac"},
                    FormatCase{"flac_44k_16_mono", {44100, 1, SampleEncoding::Int16}, "flac"},
                    FormatCase{"aiff_88k_24", {88200, 2, SampleEncoding::Int24}, "aiff"},
                    FormatCase{"wave64_176k_24", {176400, 2, SampleEncoding::Int24}, "w64"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return info.param.name; });

TEST(SideReaderRf64, WrittenPastTheLimitOnly) {
    TempDir dir;
    const std::string bytes = NoiseBytes(k96k24, 1000, 0.5);
    // A RIFF size of 36 + 6000 bytes: within a limit of 6036, past one of 6035.
    ASSERT_TRUE(WriteSideWav(dir / "small.wav", k96k24, bytes, 6036));
    ASSERT_TRUE(WriteSideWav(dir / "big.wav", k96k24, bytes, 6035));
    EXPECT_EQ(ReadFileBytes(dir / "small.wav").substr(0, 4), "RIFF");
    EXPECT_EQ(ReadFileBytes(dir / "big.wav").substr(0, 4), "RF64");
    EXPECT_EQ(ReadFileBytes(dir / "big.wav").substr(12, 4), "ds64");
}

TEST(SideProblem, NamesWhatAFileIs) {
    TempDir dir;
    WavLayout eightBit, fourChannels, slow;
    eightBit.bitsPerSample = 8;
    fourChannels.channels = 4;
    slow.sampleRate = 8000;
    ASSERT_TRUE(WriteWav(dir / "eight.wav", NoiseFrames(100, 0.1), eightBit));
    ASSERT_TRUE(WriteWav(dir / "four.wav", NoiseFrames(100, 0.1), fourChannels));
    ASSERT_TRUE(WriteWav(dir / "slow.wav", NoiseFrames(100, 0.1), slow));
    ASSERT_TRUE(WriteFileBytes(dir / "text.flac", "not audio at all"));
    ASSERT_TRUE(RunSox({"-n", "-r", "44100", "-c", "6", dir / "six.flac", "trim", "0", "0.1"}));
    const std::pair<const char*, const char*> cases[] = {
        {"eight.wav", "44100 Hz, 2 channels, 8 bits"},
        {"four.wav", "44100 Hz, 4 channels, 16 bits"},
        {"slow.wav", "8000 Hz, 2 channels, 16 bits"},
        {"text.flac", "not an audio file"},
        {"six.flac", "FLAC, 44100 Hz, 6 channels"},
        {"none.wav", "the file cannot be opened"}};
    for (const auto& [name, what] : cases) {
        EXPECT_NE(sidefile::SideProblem(dir / name).find(what), std::string::npos)
            << name << ": " << sidefile::SideProblem(dir / name);
        EXPECT_FALSE(SideReader::Open(dir / name)) << name;
    }
}

}  // namespace

namespace {

// The 16-bit view of every encoding (the analysis and the waveform read sides through it):
// the sample's value times 32768, rounded down, held to 16 bits; a mono channel in both.
TEST(SampleLayout, SixteenBitStereoOfEveryEncoding) {
    for (const SampleEncoding encoding :
         {SampleEncoding::Int16, SampleEncoding::Int24, SampleEncoding::Int32,
          SampleEncoding::Float32, SampleEncoding::Float64}) {
        for (const std::uint16_t channels : {1, 2}) {
            const SideFormat format{48000, channels, encoding};
            const std::size_t frames = 1001;  // odd: the last samples outside any group
            const std::string bytes = NoiseBytes(format, frames, 1.0, 17);
            const auto* stored = reinterpret_cast<const std::uint8_t*>(bytes.data());
            std::vector<double> exact(2 * frames);
            std::vector<std::int16_t> view(2 * frames);
            sidefile::ToStereoDouble(stored, format, frames, exact.data());
            sidefile::ToStereo16(stored, format, frames, view.data());
            for (std::size_t i = 0; i < 2 * frames; ++i)
                ASSERT_EQ(view[i], std::clamp(std::floor(exact[i] * 32768), -32768.0, 32767.0))
                    << format.Text() << ", sample " << i;
        }
    }
}

}  // namespace
