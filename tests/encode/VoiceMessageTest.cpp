// The voice messages the build makes, and playing them where no sound device exists.

#include <gtest/gtest.h>

#include "TestEnv.h"
#include "audio/WaveFile.h"
#include "platform/Paths.h"
#include "platform/VoiceMessage.h"

namespace {

constexpr const char* kVoiceFiles[] = {"wavside1.wav", "wavside2.wav", "mp3side1.wav",
                                       "mp3side2.wav"};

TEST(VoiceMessageTest, BuildMakesFourStereoMessagesAtCdRate) {
    for (const char* name : kVoiceFiles) {
        const std::string path = platform::JoinPath(VOICE_FOLDER, name);
        EXPECT_TRUE(WaveFile::IsStereoWave(path, 44100)) << WaveFile::Describe(path);
        // At least half a second of speech.
        EXPECT_GT(platform::FileSize(path).value_or(0), 44 + 44100 * 4 / 2) << name;
    }
}

TEST(VoiceMessageTest, ReturnsAndFinishesWhateverTheDeviceOrFile) {
    ScopedEnv home{"VELVANE_HOME", VOICE_FOLDER};
    platform::PlayVoiceMessage("no such message.wav");
    platform::PlayVoiceMessage(kVoiceFiles[0]);
    platform::WaitForVoiceMessages();
    platform::PlayVoiceMessage(kVoiceFiles[3]);
    platform::StopVoiceMessages();
    platform::WaitForVoiceMessages();  // nothing left to wait for
}

}  // namespace
