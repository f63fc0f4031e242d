// The encoder kind named by a path.

#include <gtest/gtest.h>

#include <optional>

#include "encode/Encoder.h"
#include "model/EncoderKind.h"

namespace {

TEST(EncoderKindTest, RecognisesTheFirstWordFoundInThePath) {
    const struct {
        const char* path;
        std::optional<EncoderKind> kind;
    } cases[] = {
        {"D:\\Tools\\OggEnc2.exe", EncoderKind::OggVorbis},
        {"/blade/l3enc.exe", EncoderKind::L3Enc},  // l3enc is tested before blade
        {"/opt/BladeEnc/bladeenc", EncoderKind::BladeEnc},
        {"/usr/local/bin/FASTENC", EncoderKind::FastEnc},
        {"/usr/bin/lame", EncoderKind::Lame},
        {"/usr/bin/flac", EncoderKind::Flac},
        {"/flac/lame", EncoderKind::Lame},  // lame before flac
        {"/lame/oggenc", EncoderKind::OggVorbis},
        {"/usr/bin/ffmpeg", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(encode::RecognizeEncoderKind(c.path), c.kind) << c.path;
}

}  // namespace
