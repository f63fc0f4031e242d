#include "sidefile/WaveFile.h"
#include "sidefile/WaveReader.h"

#include <gtest/gtest.h>

#include "platform/File.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

std::uint32_t Le32At(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
}

std::string WrittenHeader(std::uint32_t dataBytes, std::uint32_t rate = 44100) {
    TempDir dir;
    platform::FilePtr out = platform::OpenFile(dir / "h.wav", "wb");
    WaveFile wave;
    wave.sampleRate = rate;
    EXPECT_TRUE(wave.WriteHeader(out.get(), dataBytes));
    out.reset();
    return ReadFileBytes(dir / "h.wav");
}

TEST(WaveFileWrite, HeaderBytesAreCanonical) {
    // A 10 s slice: 441000 frames.
    const std::string h = WrittenHeader(1764000);
    ASSERT_EQ(h.size(), 44u);
    const unsigned char expected[44] = {
        'R', 'I', 'F', 'F', 0xC4, 0xEA, 0x1A, 0x00, 'W', 'A',  'V',  'E',  'f',  'm',  't',
        ' ', 16,  0,   0,   0,    1,    0,    2,    0,   0x44, 0xAC, 0,    0,    0x10, 0xB1,
        2,   0,   4,   0,   16,   0,    'd',  'a',  't', 'a',  0xA0, 0xEA, 0x1A, 0x00};
    EXPECT_EQ(h, std::string(reinterpret_cast<const char*>(expected), 44));
    EXPECT_EQ(Le32At(h, 40), 1764000u);
    EXPECT_EQ(Le32At(h, 4), 1764036u);
}

TEST(WaveFileWrite, SampleRateComesFromTheObjectByteRateStaysConstant) {
    const std::string h = WrittenHeader(0, 48000);
    EXPECT_EQ(Le32At(h, 24), 48000u);
    EXPECT_EQ(Le32At(h, 28), 176400u);
    EXPECT_EQ(Le32At(h, 4), 36u);
    EXPECT_EQ(Le32At(h, 40), 0u);
}

TEST(WaveFileWrite, PatchSizesRewritesOnlyTheTwoSizes) {
    TempDir dir;
    const std::string path = dir / "rec.wav";
    platform::FilePtr out = platform::OpenFile(path, "wb");
    WaveFile wave;
    ASSERT_TRUE(wave.WriteHeader(out.get(), 0));
    const std::string samples = FramesToBytes(NoiseFrames(1000, 0.5));
    std::fwrite(samples.data(), 1, samples.size(), out.get());
    ASSERT_TRUE(sidefile::PatchSizes(out.get(), 4000));
    // The stream is left at its end: more samples append, they do not overwrite.
    std::fputc('x', out.get());
    out.reset();
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 44u + 4000u + 1u);
    EXPECT_EQ(Le32At(bytes, 4), 4036u);
    EXPECT_EQ(Le32At(bytes, 40), 4000u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 32), WrittenHeader(0).substr(8, 32));
    EXPECT_EQ(bytes.substr(44, 4000), samples);
}

struct ParseCase {
    const char* name;
    WavLayout layout;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class WaveFileReadsLayout : public testing::TestWithParam<ParseCase> {};

TEST_P(WaveFileReadsLayout, FindsTheSamples) {
    TempDir dir;
    const std::string path = dir / "side.wav";
    const std::vector<Frame> frames = NoiseFrames(5001, 0.9);
    ASSERT_TRUE(WriteWav(path, frames, GetParam().layout));

    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile wave;
    ASSERT_TRUE(wave.ReadHeader(in.get()));
    EXPECT_EQ(wave.sampleRate, GetParam().layout.sampleRate);
    EXPECT_EQ(wave.sampleCount, 10002);
    EXPECT_EQ(wave.dataBytes, 20004u);
    EXPECT_EQ(ReadWavFrames(path), frames);
    EXPECT_TRUE(WaveFile::IsStereoWave(path, GetParam().layout.sampleRate));
}

WavLayout WithChunks(std::vector<std::pair<std::string, std::string>> chunks) {
    WavLayout l;
    l.chunksBeforeData = std::move(chunks);
    return l;
}
WavLayout WithFormatBytes(std::uint32_t n) {
    WavLayout l;
    l.formatChunkBytes = n;
    if (n >= 40) l.formatTag = 0xFFFE;
    return l;
}
WavLayout WithDeclared(std::uint32_t n) {
    WavLayout l;
    l.declaredDataBytes = n;
    return l;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WaveFileReadsLayout,
    testing::Values(ParseCase{"canonical", {}},
                    ParseCase{"list_chunk", WithChunks({{"LIST", "INFOISFT\x06\0\0\0Tests\0"}})},
                    ParseCase{"odd_sized_chunks", WithChunks({{"junk", "abc"}, {"LIST", "x"}})},
                    ParseCase{"format_18_bytes", WithFormatBytes(18)},
                    ParseCase{"extensible_pcm", WithFormatBytes(40)},
                    ParseCase{"streaming_size_0", WithDeclared(0)},
                    ParseCase{"streaming_size_ffffffff", WithDeclared(0xFFFFFFFFu)},
                    ParseCase{"size_beyond_file", WithDeclared(999999)},
                    ParseCase{"rate_48000",
                              [] {
                                  WavLayout l;
                                  l.sampleRate = 48000;
                                  return l;
                              }()}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(WaveFileRead, CanonicalDataStartsAtByte44) {
    TempDir dir;
    ASSERT_TRUE(WriteWav(dir / "a.wav", NoiseFrames(10, 0.1)));
    platform::FilePtr in = platform::OpenFile(dir / "a.wav", "rb");
    WaveFile wave;
    ASSERT_TRUE(wave.ReadHeader(in.get()));
    EXPECT_EQ(wave.dataOffset, 44u);
}

TEST(WaveFileRead, DeclaredSizeLargerThanFileIsBoundedByTheFile) {
    TempDir dir;
    const std::string path = dir / "short.wav";
    // The header claims far more data than the file holds, and the last frame is cut.
    std::string bytes = MakeWavBytes(WithDeclared(4000000), FramesToBytes(NoiseFrames(100, 0.5)));
    bytes.resize(bytes.size() - 2);
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile wave;
    ASSERT_TRUE(wave.ReadHeader(in.get()));
    EXPECT_EQ(wave.dataBytes, 99u * 4u);
    std::vector<char> buf(4000);
    WaveReader reader(in.get(), wave);
    EXPECT_EQ(reader.ReadBytes(buf.data(), buf.size()), 398u);  // all the file holds
    EXPECT_EQ(reader.ReadBytes(buf.data(), 4), 0u);
}

TEST(WaveFileRead, EmptyDataChunkFollowedByChunksHoldsNoSamples) {
    TempDir dir;
    const std::string path = dir / "empty.wav";
    // Declared 0 with a LIST chunk after it: not an unpatched recording's samples.
    const std::string list("LIST\x04\0\0\0INFO", 12);
    ASSERT_TRUE(WriteFileBytes(path, MakeWavBytes(WithDeclared(0), "") + list));
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile wave;
    ASSERT_TRUE(wave.ReadHeader(in.get()));
    EXPECT_EQ(wave.dataBytes, 0u);
}

TEST(WaveFileRead, ReadBytesCrossesBufferBoundaries) {
    TempDir dir;
    const std::vector<Frame> frames = NoiseFrames(40000, 1.0, 7);
    ASSERT_TRUE(WriteWav(dir / "big.wav", frames));
    platform::FilePtr in = platform::OpenFile(dir / "big.wav", "rb");
    WaveFile wave;
    ASSERT_TRUE(wave.ReadHeader(in.get()));
    WaveReader reader(in.get(), wave);
    // Mixed small and large reads must deliver the same bytes in order.
    const std::string expected = FramesToBytes(frames);
    std::string got;
    const std::size_t sizes[] = {1, 3, 4, 32767, 32768, 70000, 5};
    for (std::size_t i = 0; got.size() < expected.size(); ++i) {
        std::string chunk(sizes[i % 7], '\0');
        chunk.resize(reader.ReadBytes(chunk.data(), chunk.size()));
        if (chunk.empty()) break;
        got += chunk;
    }
    EXPECT_EQ(got, expected);
}

TEST(WaveFileRead, SeekDataPositionsInsideTheSamples) {
    TempDir dir;
    const std::vector<Frame> frames = NoiseFrames(3000, 1.0, 3);
    ASSERT_TRUE(WriteWav(dir / "l.wav", frames, WithChunks({{"LIST", "hello"}})));
    platform::FilePtr in = platform::OpenFile(dir / "l.wav", "rb");
    WaveFile wave;
    ASSERT_TRUE(wave.ReadHeader(in.get()));
    WaveReader reader(in.get(), wave);
    ASSERT_TRUE(reader.SeekData(4 * 2500));
    std::string bytes(8, '\0');
    ASSERT_EQ(reader.ReadBytes(bytes.data(), 8), 8u);
    EXPECT_EQ(bytes, FramesToBytes({frames[2500], frames[2501]}));
}

struct RefusedCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class WaveFileRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(WaveFileRefuses, ParseFailsAndFormatCheckSaysNo) {
    TempDir dir;
    const std::string path = dir / "bad.wav";
    ASSERT_TRUE(WriteFileBytes(path, GetParam().bytes));
    platform::FilePtr in = platform::OpenFile(path, "rb");
    WaveFile wave;
    EXPECT_FALSE(wave.ReadHeader(in.get()));
    EXPECT_FALSE(WaveFile::IsStereoWave(path, 44100));
}

WavLayout Layout(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                 std::uint16_t tag = 1) {
    WavLayout l;
    l.channels = channels;
    l.sampleRate = rate;
    l.bitsPerSample = bits;
    l.formatTag = tag;
    return l;
}

const std::string kSomeSamples(4000, '\x11');

INSTANTIATE_TEST_SUITE_P(
    BadInput, WaveFileRefuses,
    testing::Values(
        RefusedCase{"mono", MakeWavBytes(Layout(1, 44100, 16), kSomeSamples)},
        RefusedCase{"eight_bit", MakeWavBytes(Layout(2, 44100, 8), kSomeSamples)},
        RefusedCase{"twenty_four_bit", MakeWavBytes(Layout(2, 44100, 24), kSomeSamples)},
        RefusedCase{"float", MakeWavBytes(Layout(2, 44100, 32, 3), kSomeSamples)},
        RefusedCase{
            "extensible_float",
            [] {
                WavLayout l = WithFormatBytes(40);
                l.extensibleSubFormat = 3;
                return MakeWavBytes(l, kSomeSamples);
            }(),
        },
        RefusedCase{"not_riff", "RIFX" + MakeWavBytes({}, kSomeSamples).substr(4)},
        RefusedCase{"lower_case_tag", "riff" + MakeWavBytes({}, kSomeSamples).substr(4)},
        RefusedCase{"text_file", std::string("hello, this is not audio at all\n")},
        RefusedCase{"empty", std::string()},
        RefusedCase{"shorter_than_28_bytes", MakeWavBytes({}, "").substr(0, 27)},
        RefusedCase{"header_cut_in_format", MakeWavBytes({}, "").substr(0, 30)},
        RefusedCase{"no_data_chunk", MakeWavBytes({}, "").substr(0, 36)},
        RefusedCase{"chunk_size_past_end",
                    MakeWavBytes({}, "").substr(0, 36) + "LIST\xff\xff\xff\x7f" + "abc"},
        RefusedCase{"format_chunk_too_small",
                    [] {
                        std::string b = MakeWavBytes({}, kSomeSamples);
                        b[16] = 12;
                        return b;
                    }()}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST(WaveFileFormatCheck, AnswersForTheGivenRateOnly) {
    TempDir dir;
    ASSERT_TRUE(WriteWav(dir / "a.wav", NoiseFrames(10, 0.1), Layout(2, 48000, 16)));
    EXPECT_FALSE(WaveFile::IsStereoWave(dir / "a.wav", 44100));
    EXPECT_TRUE(WaveFile::IsStereoWave(dir / "a.wav", 48000));
    EXPECT_FALSE(WaveFile::IsStereoWave(dir / "missing.wav", 44100));
}

TEST(WaveFileFormatCheck, NamesWithSpacesAndNonAsciiCharacters) {
    TempDir dir;
    const std::string path = dir / "Café – side 1 «live».wav";
    ASSERT_TRUE(WriteWav(path, NoiseFrames(100, 0.3)));
    EXPECT_TRUE(WaveFile::IsStereoWave(path, 44100));
    EXPECT_EQ(ReadWavFrames(path)->size(), 100u);
}

TEST(WaveFileFormatCheck, DescribeNamesWhatTheFileIs) {
    TempDir dir;
    ASSERT_TRUE(WriteWav(dir / "a.wav", {}, Layout(2, 48000, 16)));
    ASSERT_TRUE(WriteWav(dir / "m.wav", {}, Layout(1, 44100, 24)));
    ASSERT_TRUE(WriteFileBytes(dir / "t.txt", "hello"));
    EXPECT_EQ(WaveFile::Describe(dir / "a.wav"), "48000 Hz, 2 channels, 16 bits");
    EXPECT_EQ(WaveFile::Describe(dir / "m.wav"), "44100 Hz, 1 channel, 24 bits");
    EXPECT_EQ(WaveFile::Describe(dir / "t.txt"), "not a WAV file");
    EXPECT_EQ(WaveFile::Describe(dir / "none.wav"), "the file cannot be opened");
}

}  // namespace
