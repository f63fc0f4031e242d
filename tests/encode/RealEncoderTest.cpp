// The real encoders of the platform (oggenc, lame, flac) found on PATH with an empty
// encoder path: each slice becomes a file that decodes to the slice's length.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "encode/Encoder.h"
#include "encode/EncodingQueue.h"
#include "jobs/FinishSide.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "tests/encode/EncodeJobContext.h"
#include "tests/encode/TestEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

// Lossy decoders may pad or trim up to about one MP3 frame (1152 frames) at each end.
constexpr long kLossyToleranceFrames = 2 * 1152;

TEST(RealEncoderTest, EachSliceDecodesToItsOwnLength) {
    const struct {
        EncoderKind kind;
        EncodeNaming naming;
        const char* outputs[2];
        std::vector<std::string> decoder;  // + input + output appended
        bool lossless;
    } cases[] = {
        {EncoderKind::OggVorbis,
         EncodeNaming::AutoOrTyped,
         {"4.ogg", "5.ogg"},
         {"oggdec", "--quiet", "-o"},
         false},
        {EncoderKind::Lame,
         EncodeNaming::AutoOrTyped,
         {"B1.mp3", "B2.mp3"},
         {"lame", "--quiet", "--decode"},
         false},
        {EncoderKind::Flac,
         EncodeNaming::Markers,
         {"B1.flac", "B2.flac"},
         {"flac", "--silent", "-d", "-f", "-o"},
         true},
    };
    TempDir dir;
    fs::create_directory(dir / "home");
    ScopedEnv home{"VELVANE_HOME", dir / "home"};  // no encoder there: found on PATH
    const std::string folder = dir / "side two";
    fs::create_directory(folder);
    const std::vector<Frame> slices[2] = {NoiseFrames(66150, 0.3, 4), NoiseFrames(101430, 0.3, 5)};
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(
            WriteWav(platform::JoinPath(folder, std::to_string(4 + i) + ".wav"), slices[i]));

    // The second pass meets the first one's files (flac gives them the input's time).
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& c : cases) {
            EncodeJobContext ctx;
            ctx.encoderKind = static_cast<int>(c.kind);
            EncodeTally tally;
            const SideEncodeResult result =
                jobs::EncodeSlices(ctx, {Side::Two, folder, 4, 2, true}, c.naming, tally);
            EXPECT_EQ(tally.failedSlices, 0) << tally.failedCommand << "\n" << tally.failureOutput;
            EXPECT_EQ(result.encoded, (std::vector<int>{4, 5}));

            for (int i = 0; i < 2; ++i) {
                const std::string encoded = platform::JoinPath(folder, c.outputs[i]);
                const std::string decoded = dir / "decoded.wav";
                ASSERT_TRUE(fs::exists(encoded)) << encoded;
                std::vector<std::string> argv = c.decoder;
                argv[0] = platform::FindOnPath(argv[0]);
                if (c.kind == EncoderKind::Lame)
                    argv.insert(argv.end(), {encoded, decoded});
                else
                    argv.insert(argv.end(), {decoded, encoded});
                const platform::ProcessResult run = platform::RunProcess(argv, "");
                ASSERT_TRUE(run.Succeeded()) << platform::DescribeCommand(argv) << run.output;
                const auto frames = ReadWavFrames(decoded);
                ASSERT_TRUE(frames) << c.outputs[i];
                if (c.lossless) {
                    EXPECT_EQ(*frames, slices[i]);
                } else {
                    const long difference =
                        static_cast<long>(frames->size()) - static_cast<long>(slices[i].size());
                    EXPECT_LE(std::labs(difference), kLossyToleranceFrames) << c.outputs[i];
                }
            }
        }
}

}  // namespace
