// The voice messages the build makes, played through real PortAudio into the virtual
// sound card's default output.

#include "audio/VoiceMessage.h"

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "sidefile/WaveFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"
#include "tests/support/VirtualAudio.h"

namespace {

constexpr const char* kVoiceFiles[] = {"wavside1.wav", "wavside2.wav", "mp3side1.wav",
                                       "mp3side2.wav"};

TEST(VoiceMessage, BuildMakesFourStereoMessagesAtCdRate) {
    for (const char* name : kVoiceFiles) {
        const std::string path = platform::JoinPath(VOICE_FOLDER, name);
        EXPECT_TRUE(WaveFile::IsStereoWave(path, 44100)) << WaveFile::Describe(path);
        // At least half a second of speech.
        EXPECT_GT(platform::FileSize(path).value_or(0), 44 + 44100 * 4 / 2) << name;
    }
}

bool OnlySilence(const std::string& bytes) {
    return bytes.find_first_not_of('\0') == std::string::npos;
}

TEST(VoiceMessage, EveryFrameOfTheMessageReachesTheDefaultOutput) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    TempDir dir;
    const std::string played = dir / "played.raw";
    ScopedEnv output{"VELVANE_VA_PLAYBACK", played};
    ScopedEnv fast{"VELVANE_VA_REALTIME", "0"};
    ScopedEnv home{"VELVANE_HOME", VOICE_FOLDER};

    audio::PlayVoiceMessage("no such message.wav");  // skipped without a word
    audio::PlayVoiceMessage(kVoiceFiles[1]);
    audio::WaitForVoiceMessages();
    audio::StopVoiceMessages();

    const auto frames = ReadWavFrames(platform::JoinPath(VOICE_FOLDER, kVoiceFiles[1]));
    ASSERT_TRUE(frames);
    const std::string voice = FramesToBytes(*frames);
    const std::string out = ReadFileBytes(played);
    // Whatever silence PortAudio sends first, then the whole message, then only silence.
    const std::size_t at = out.find(voice);
    ASSERT_NE(at, std::string::npos) << out.size() << " bytes played";
    EXPECT_TRUE(OnlySilence(out.substr(0, at)));
    EXPECT_TRUE(OnlySilence(out.substr(at + voice.size())));
}

TEST(VoiceMessage, StopEndsTheMessageThatPlays) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    TempDir dir;
    ScopedEnv output{"VELVANE_VA_PLAYBACK", dir / "played.raw"};
    ScopedEnv home{"VELVANE_HOME", VOICE_FOLDER};
    audio::PlayVoiceMessage(kVoiceFiles[0]);
    audio::PlayVoiceMessage(kVoiceFiles[3]);
    audio::StopVoiceMessages();
    audio::WaitForVoiceMessages();  // nothing left to wait for
}

}  // namespace
