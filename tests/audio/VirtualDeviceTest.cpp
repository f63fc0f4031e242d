// The device layer and the recorder on real PortAudio, over the virtual sound card: which
// inputs are listed, and recordings compared sample for sample with what the card played.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/AudioStream.h"
#include "audio/InputDevices.h"
#include "audio/PortAudioSession.h"
#include "tests/audio/RecordingHarness.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualAudio.h"

namespace {

std::vector<std::string> Names(const std::vector<StereoInput>& inputs) {
    std::vector<std::string> names;
    for (const StereoInput& input : inputs) names.push_back(input.name);
    return names;
}

TEST(VirtualDevices, MixedProfileListsDevicesOneAndThree) {
    REQUIRE_VIRTUAL_AUDIO("mixed");
    PortAudioSession session;
    ASSERT_TRUE(session.Ok());
    const auto inputs = audio::ListStereoInputs();
    EXPECT_EQ(inputs, (std::vector<StereoInput>{{1, "Virtual Line In"}, {3, "Virtual Line In 2"}}));
}

TEST(VirtualDevices, TenStereoInputsThenTheSoundServerDevice) {
    REQUIRE_VIRTUAL_AUDIO("many");
    PortAudioSession session;
    ASSERT_TRUE(session.Ok());
    const auto names = Names(audio::ListStereoInputs());
    ASSERT_EQ(names.size(), 11u);  // the menu shows the first eight
    EXPECT_EQ(names.front(), "Virtual Line 1");
    EXPECT_EQ(names[9], "Virtual Line 10");
    EXPECT_EQ(names.back(), "default");  // 4 channels, but a sound server's device
    EXPECT_EQ(std::count(names.begin(), names.end(), "Virtual Quad In"), 0);
}

TEST(VirtualDevices, NoInputGivesAnEmptyList) {
    REQUIRE_VIRTUAL_AUDIO("none");
    PortAudioSession session;
    ASSERT_TRUE(session.Ok());
    EXPECT_TRUE(audio::ListStereoInputs().empty());
}

struct DeviceRecording : ::testing::Test {
    TempDir dir;
    Recorder recorder{std::make_unique<AudioStream>()};
    std::vector<Frame> signal = NoiseFrames(5 * 44100, 0.9, 11);
    std::vector<Frame> other = NoiseFrames(5 * 44100, 0.9, 12);

    void SetUp() override {
        ASSERT_TRUE(WriteWav(dir / "signal.wav", signal));
        ASSERT_TRUE(WriteWav(dir / "other.wav", other));
    }
};

TEST_F(DeviceRecording, SecondMenuEntryRecordsDeviceThreeExactly) {
    REQUIRE_VIRTUAL_AUDIO("mixed");
    SetVirtualCapture(dir / "signal.wav", true, dir / "other.wav");
    PortAudioSession session;
    const auto inputs = audio::ListStereoInputs();
    ASSERT_EQ(inputs.size(), 2u);
    const std::uint64_t frames = 3 * 44100 + 17;
    ASSERT_EQ(recorder.OpenRecording(dir / "side.wav", inputs[1].device, {1.0f, false, frames}),
              OpenResult::Ok);
    while (recorder.Active()) {  // the device's fast mode: a stop after a frame count
        recorder.Poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(recorder.Summary().cause, StopCause::Length);
    const RecordedFile file = ReadRecordedFile(dir / "side.wav");
    EXPECT_EQ(file.dataSize, frames * 4);
    EXPECT_EQ(file.riffSize, frames * 4 + 36);
    ASSERT_EQ(file.frames.size(), frames);
    EXPECT_TRUE(std::equal(file.frames.begin(), file.frames.end(), other.begin()));
}

TEST_F(DeviceRecording, MonitoredThenRecordedInRealTime) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    SetVirtualCapture(dir / "signal.wav", false);
    PortAudioSession session;
    const auto inputs = audio::ListStereoInputs();
    ASSERT_EQ(inputs.size(), 1u);
    ASSERT_EQ(recorder.Open(dir / "side 2.wav", inputs[0].device), OpenResult::Ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the levels dialog is up
    recorder.Record({});
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_FALSE(recorder.Poll());
    recorder.Stop();
    EXPECT_EQ(recorder.Summary().cause, StopCause::Button);
    EXPECT_TRUE(recorder.Summary().fileOk);

    // The recording starts wherever monitoring had got to: find it, then all must follow.
    const RecordedFile file = ReadRecordedFile(dir / "side 2.wav");
    ASSERT_GT(file.frames.size(), 44100u / 2);
    EXPECT_EQ(file.dataSize, file.frames.size() * 4);
    const auto start =
        std::search(signal.begin(), signal.end(), file.frames.begin(), file.frames.begin() + 64);
    ASSERT_NE(start, signal.end());
    ASSERT_LE(static_cast<std::size_t>(signal.end() - start), signal.size());
    ASSERT_GE(static_cast<std::size_t>(signal.end() - start), file.frames.size());
    EXPECT_TRUE(std::equal(file.frames.begin(), file.frames.end(), start));
}

TEST_F(DeviceRecording, MonoInputIsInvalid) {
    REQUIRE_VIRTUAL_AUDIO("mixed");
    SetVirtualCapture("", true);
    PortAudioSession session;
    EXPECT_EQ(recorder.Open(dir / "mono.wav", 0), OpenResult::InvalidInput);
    EXPECT_FALSE(recorder.Active());
    const RecordedFile file = ReadRecordedFile(dir / "mono.wav");
    EXPECT_EQ(file.dataSize, 0u);
    EXPECT_EQ(file.riffSize, 36u);
}

}  // namespace
