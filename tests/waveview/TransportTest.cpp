// Playback from any point, through the window as a user does it: a click in side 1's ruler
// puts the playhead there, the treble boost is chosen in the EQ menu, "Play" plays, and the
// virtual sound card's output holds the side's samples from the playhead on, boosted as a
// slice would be (checked against the plain reference filter).

#include <wx/app.h>
#include <wx/button.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/FrameTransport.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/support/Reference.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"
#include "tests/support/VirtualAudio.h"
#include "waveview/RulerWindow.h"

namespace {

constexpr std::size_t kPlayedSideFrames = 20 * 44100;
constexpr int kEqSubtle = 711;  // "Boost Treble - Subtle": level 4
constexpr float kSubtleLevel = 4;

// What playback makes of a frame the filter gave: the slice writer's conversion, gain 1.
std::int16_t Played(std::int16_t sample) {
    return static_cast<std::int16_t>(
        std::trunc(32767.0f * (static_cast<float>(sample) * (1.0f / 32768.0f))));
}

std::vector<std::int16_t> Samples(const std::string& bytes) {
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

using TransportTest = FrameTest;

TEST_F(TransportTest, PlaysTheSideFromTheRulersPlayheadWithTheTrebleChosen) {
    REQUIRE_VIRTUAL_AUDIO("basic");
    TempDir dir;
    const std::string played = dir / "played.raw";
    setenv("VELVANE_VA_PLAYBACK", played.c_str(), 1);
    setenv("VELVANE_VA_REALTIME", "1", 1);
    const std::vector<Frame> side = NoiseFrames(kPlayedSideFrames, 0.6, 7);
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    frame->Controls().i_textCtrl1->ChangeValue(wxString::FromUTF8(dir / "side.wav"));
    SideState& state = frame->SideAt(Side::One);
    state.levelCount = 200;
    state.levels.assign(200, 0.5f);
    Menu(kEqSubtle);
    ASSERT_TRUE(RunUntil([this] { return frame->IsShownOnScreen(); }));
    for (int i = 0; i < 10; ++i) wxTheApp->Yield(true);

    // A real click 40 % along side 1's ruler.
    RulerWindow* ruler = frame->Controls().m_rulers[0];
    const wxSize size = ruler->GetClientSize();
    wxUIActionSimulator pointer;
    pointer.MouseMove(ruler->ClientToScreen(wxPoint(size.x * 2 / 5, size.y / 2)));
    pointer.MouseClick();
    ASSERT_TRUE(RunUntil([this] { return frame->Playhead().Place().has_value(); }));
    const PlayheadPlace place = *frame->Playhead().Place();
    EXPECT_EQ(place.side, Side::One);
    EXPECT_NEAR(place.seconds, 8.0, 20.0 / size.x) << "40 % of 20 s, to a pixel";

    Click(frame->Controls().m_play);
    ASSERT_TRUE(frame->Transport().IsPlaying());
    constexpr std::size_t kCompared = 44100;  // one second of it
    const std::size_t enough = (4096 + kCompared) * 4;
    RunUntil([&] { return ReadFileBytes(played).size() >= enough; }, std::chrono::seconds(20));
    Click(frame->Controls().m_stop);
    EXPECT_FALSE(frame->Transport().IsPlaying());
    EXPECT_EQ(frame->Playhead().Place()->seconds, place.seconds) << "Stop goes back";

    // The reference: the side from the playhead's frame on, through a fresh filter.
    const auto start = static_cast<std::size_t>(std::llround(place.seconds * 44100));
    ref::Filter filter;
    ref::Tune(filter, kSubtleLevel);
    std::vector<std::int16_t> expected;
    for (std::size_t i = start; i < start + kCompared; ++i) {
        const Frame boosted = ref::Process(filter, side[i], kSubtleLevel);
        expected.push_back(Played(boosted.left));
        expected.push_back(Played(boosted.right));
    }
    // The device's output: PortAudio's silence before the first callback, then playback.
    const std::vector<std::int16_t> out = Samples(ReadFileBytes(played));
    ASSERT_GE(out.size(), 2 * (4096 + kCompared));
    std::size_t first = 0;
    while (first < out.size() && out[first] == 0) ++first;
    ASSERT_EQ(first % 2, 0u);
    ASSERT_NE(expected[0], 0) << "the noise starts with sound";
    ASSERT_LE(first + expected.size(), out.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(out[first + i], expected[i]) << "sample " << i;
}

}  // namespace
