// Preview playback through real PortAudio into the virtual sound card's default output,
// which writes what it is given into a file: the file must hold exactly the processed
// frames the callback makes, after the silence PortAudio sends before the first callback.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"
#include "tests/support/VirtualAudio.h"
#include "waveview/PreviewPlayer.h"

namespace {

struct Settings : PlaybackSettings {
    ProcessingSettings Processing() const override {
        ProcessingSettings settings;
        settings.fadeSeconds = 0.1;
        settings.normalize = true;
        settings.trebleBoost = 4;
        return settings;
    }
    float PeakLevel(Side side) const override { return side == Side::One ? 0.6f : 1.0f; }
};

// Everything the callback makes for the stretch until it turns silent, 64 frames a call.
std::vector<std::int16_t> Expected(const std::vector<std::int16_t>& left,
                                   const std::vector<std::int16_t>& right,
                                   const PlaybackSettings& settings) {
    PlaybackState state;
    state.left = left.data();
    state.right = right.data();
    state.size = static_cast<std::uint32_t>(left.size());
    state.playSide = Side::One;
    state.peakLevel = settings.PeakLevel(Side::One);
    state.settings = &settings;
    std::vector<std::int16_t> out;
    std::int16_t call[128];
    while (state.position + 64 < state.size) {
        waveview::PlaybackCallback(call, &state);
        out.insert(out.end(), call, call + 128);
    }
    return out;
}

TEST(PreviewDevice, PlaysTheProcessedStretchIntoTheDefaultOutput) {
    if (!UseVirtualAudio("basic"))
        GTEST_SKIP() << "no virtual sound card: source tests/support/virtual-audio/setup.sh";
    TempDir dir;
    const std::string played = dir / "played.raw";
    setenv("VELVANE_VA_PLAYBACK", played.c_str(), 1);
    setenv("VELVANE_VA_REALTIME", "1", 1);

    const auto frames = NoiseFrames(22050, 0.7, 5);  // 0.5 s
    std::vector<std::int16_t> left, right;
    for (const Frame& f : frames) {
        left.push_back(f.left);
        right.push_back(f.right);
    }
    const Settings settings;
    const std::vector<std::int16_t> expected = Expected(left, right, settings);

    PreviewPlayer player(settings);
    ASSERT_TRUE(player.Play(left.data(), right.data(), 22050, false, Side::One));
    // Wait for the stretch and some of the silent tail to reach the file.
    const std::size_t enough = (expected.size() + 2 * 4096) * sizeof(std::int16_t);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ReadFileBytes(played).size() < enough && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());

    const std::string bytes = ReadFileBytes(played);
    ASSERT_GE(bytes.size(), enough);
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);

    // The fade-in's first call is silent; align the first sound of both.
    auto firstSound = [](const std::vector<std::int16_t>& v) {
        std::size_t i = 0;
        while (i < v.size() && v[i] == 0) ++i;
        return i;
    };
    const std::size_t expectedStart = firstSound(expected);
    const std::size_t outStart = firstSound(out);
    ASSERT_EQ(expectedStart, 128u);  // one call of fade factor 0
    ASSERT_GE(outStart, expectedStart);
    const std::size_t offset = outStart - expectedStart;
    EXPECT_EQ(offset % 2, 0u);  // whole frames
    ASSERT_LE(offset + expected.size(), out.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(out[offset + i], expected[i]) << "sample " << i;
    for (std::size_t i = offset + expected.size(); i < out.size(); ++i)
        ASSERT_EQ(out[i], 0) << "after the stretch, sample " << i;
}

}  // namespace
