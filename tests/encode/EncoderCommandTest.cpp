// The encoder kind named by a path, the bit rate of the Rate menu and the argument vector
// of every encoder kind, job naming and side.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "EncodeJobContext.h"
#include "engine/Encoder.h"
#include "engine/EncoderKind.h"

namespace {

using Args = std::vector<std::string>;

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
    for (const auto& c : cases) EXPECT_EQ(RecognizeEncoderKind(c.path), c.kind) << c.path;
}

TEST(EncoderCommandTest, SelectedBitRateFollowsTheRateMenu) {
    const std::pair<int, int> cases[] = {{200, 96000},  {201, 112000}, {202, 128000},
                                         {203, 160000}, {204, 192000}, {205, 256000},
                                         {206, 320000}, {199, 128000}, {207, 128000}};
    EncodeJobContext ctx;
    for (const auto& [id, rate] : cases) {
        ctx.rateId = id;
        EXPECT_EQ(SelectedBitRate(ctx), rate) << id;
    }
}

TEST(EncoderCommandTest, BuildsTheArgumentsOfEachKindJobAndSide) {
    constexpr auto kAuto = EncodeNaming::AutoOrTyped;
    constexpr auto kMarkers = EncodeNaming::Markers;
    const struct {
        EncoderKind kind;
        EncodeNaming naming;
        int side, number, index, bitRate;
        Args argv;
    } cases[] = {
        {EncoderKind::L3Enc,
         kAuto,
         1,
         1,
         1,
         128000,
         {"/e", "/r/1.wav", "/r/A1.mp3", "-br", "128000", "-hq", "-sr", "44100"}},
        {EncoderKind::FastEnc,
         kAuto,
         2,
         7,
         2,
         96000,
         {"/e", "/r/7.wav", "/r/B2.mp3", "-br", "96000", "-hq", "-sr", "44100"}},
        {EncoderKind::L3Enc,
         kMarkers,
         2,
         6,
         1,
         320000,
         {"/e", "/r/6.wav", "/r/B1.mp3", "-br", "320000", "-hq", "-sr", "44100"}},
        {EncoderKind::BladeEnc,
         kAuto,
         2,
         6,
         1,
         192000,
         {"/e", "/r/6.wav", "/r/B1.mp3", "-br", "192000"}},
        {EncoderKind::BladeEnc,
         kMarkers,
         1,
         3,
         3,
         112000,
         {"/e", "/r/3.wav", "/r/A3.mp3", "-br", "112000"}},
        {EncoderKind::OggVorbis,
         kAuto,
         2,
         6,
         1,
         128000,
         {"/e", "-b", "128", "-o", "/r/6.ogg", "/r/6.wav"}},
        {EncoderKind::OggVorbis,
         kMarkers,
         1,
         2,
         2,
         256000,
         {"/e", "-b", "256", "-o", "/r/A2.ogg", "/r/2.wav"}},
        {EncoderKind::OggVorbis,
         kMarkers,
         2,
         6,
         1,
         160000,
         {"/e", "-b", "160", "-o", "/r/B1.ogg", "/r/6.wav"}},
        {EncoderKind::Lame, kAuto, 2, 9, 4, 192000, {"/e", "-b", "192", "/r/9.wav", "/r/B4.mp3"}},
        {EncoderKind::Lame, kMarkers, 1, 1, 1, 96000, {"/e", "-b", "96", "/r/1.wav", "/r/A1.mp3"}},
        {EncoderKind::Flac,
         kAuto,
         2,
         7,
         2,
         128000,
         {"/e", "--silent", "-f", "-o", "/r/7.flac", "/r/7.wav"}},
        {EncoderKind::Flac,
         kMarkers,
         2,
         7,
         2,
         128000,
         {"/e", "--silent", "-f", "-o", "/r/B2.flac", "/r/7.wav"}},
    };
    for (const auto& c : cases) {
        const EncoderCommand command = BuildEncoderCommand(
            static_cast<int>(c.kind), c.naming, c.side, "/e", "/r", c.number, c.index, c.bitRate);
        EXPECT_EQ(command.argv, c.argv) << kEncoderKindLabels[static_cast<int>(c.kind)];
        EXPECT_EQ(command.input, "/r/" + std::to_string(c.number) + ".wav");
        EXPECT_NE(std::find(c.argv.begin(), c.argv.end(), command.output), c.argv.end());
    }
}

TEST(EncoderCommandTest, NoSelectionGivesNoCommand) {
    for (int selection : {-1, kEncoderKindCount})
        EXPECT_TRUE(
            BuildEncoderCommand(selection, EncodeNaming::AutoOrTyped, 1, "/e", "/r", 1, 1, 128000)
                .argv.empty());
}

}  // namespace
