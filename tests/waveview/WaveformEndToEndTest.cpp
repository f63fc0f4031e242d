// The waveform display in use: "Draw waveforms" on a generated two-sided record, markers
// added and removed with the pointer, then "Slice using waveform markers" cuts the sides
// exactly at the markers. Also leaves a screenshot of the drawn record for the eye
// (build tree: screenshots/waveforms-two-sides.png and waveform-canvas-two-sides.png).

#include <wx/app.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <vector>

#include "app/ImgPanel.h"
#include "tests/app/JobTestSupport.h"
#include "tests/support/TestWav.h"
#include "tests/waveview/CanvasTestSupport.h"
#include "waveview/Envelopes.h"

namespace {

using Cuts = std::vector<std::int32_t>;

class WaveformEndToEnd : public JobWindowTest {
  protected:
    void SetUp() override {
        JobWindowTest::SetUp();
        g = waveview::MeasureCanvas(*frame);
        ASSERT_TRUE(RunUntil([this] { return frame->IsShownOnScreen(); }));
        CountCanvasPaints(*frame, canvasPaints);
    }

    void PointerClick(wxPoint at, wxMouseButton button) {
        wxUIActionSimulator pointer;
        pointer.MouseMove(frame->GetScreenPosition() - wxPoint(10, 10));
        pointer.MouseMove(frame->ClientToScreen(at));
        pointer.MouseClick(button);
        for (int i = 0; i < 5; ++i) wxTheApp->Yield(true);
    }

    // The column of the canvas where the marker of `cut` is drawn, in frame pixels.
    int MarkerX(Side side, std::int32_t cut) const {
        return g.cx + static_cast<int>(g.width *
                                       (static_cast<float>(cut) / frame->SideAt(side).levelCount));
    }
    int WaveY(Side side) const {
        return g.cy + static_cast<int>(model::Index(side)) * g.half + g.band + 30;
    }

    Cuts CutsOf(Side side) const {
        const SideState& s = frame->SideAt(side);
        return {s.cuts.begin(), s.cuts.begin() + s.cutCount};
    }

    // After a click at frame column x that adds a cut: where it lands.
    std::int32_t AddedAt(Side side, int x) const {
        return static_cast<std::int32_t>(frame->SideAt(side).levelCount *
                                         (static_cast<double>(x - g.cx + 4) / g.width));
    }

    wxImage CaptureAfterRepaint() {
        const int before = canvasPaints;
        frame->Controls().m_canvas->Refresh(true);
        frame->Controls().m_panel->Refresh(true);
        EXPECT_TRUE(RunUntil([&] { return canvasPaints > before; }));
        // GTK fades a button that was just enabled back in: let it settle for the picture.
        RunUntil([] { return false; }, std::chrono::milliseconds(600));
        return CaptureClientArea(frame);
    }

    CanvasGeometry g;
    int canvasPaints = 0;
};

int CountColour(const wxImage& image, const wxRect& area, const wxColour& colour) {
    int count = 0;
    for (int y = area.GetTop(); y <= area.GetBottom(); ++y)
        for (int x = area.GetLeft(); x <= area.GetRight(); ++x)
            count +=
                wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)) == colour;
    return count;
}

TEST_F(WaveformEndToEnd, MarkersPlacedWithThePointerAreWhereTheSidesAreSliced) {
    Locate(Side::One, PlaceSide("one/side.wav", SmallSide(1)));
    Locate(Side::Two, PlaceSide("two/side.wav", SmallSide(2)));
    Press(frame->Controls().e_button2);
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_EQ(frame->SideAt(Side::One).cutCount, 4u);
    ASSERT_EQ(frame->SideAt(Side::Two).cutCount, 4u);

    // What the user sees: both envelopes in their halves, four markers each.
    const wxImage window = CaptureAfterRepaint();
    SaveScreenshot(window, "waveforms-two-sides.png");
    const wxRect canvas(g.cx, g.cy, g.width, g.height);
    SaveScreenshot(window.GetSubImage(canvas), "waveform-canvas-two-sides.png");
    const wxRect upper(g.cx + 1, g.cy + 17, g.width - 2, g.half - 17);
    const wxRect lower(g.cx + 1, g.cy + g.half + 17, g.width - 2, g.half - 18);
    EXPECT_GT(CountColour(window, upper, kSide1Envelope), g.width * 5);
    EXPECT_EQ(CountColour(window, lower, kSide1Envelope), 0);
    EXPECT_GT(CountColour(window, lower, kSide2Envelope), g.width * 5);
    EXPECT_EQ(CountColour(window, upper, kSide2Envelope), 0);
    for (const Side side : kSides) {
        for (std::uint32_t i = 0; i < 4; ++i) {
            const int x = MarkerX(side, frame->SideAt(side).cuts[i]);
            const wxRect column(x, WaveY(side) - 10, 1, 20);
            EXPECT_EQ(CountColour(window, column, *wxBLACK), 20) << model::Number(side) << " " << i;
        }
    }

    // Side 1: the second marker goes (right click on it), a new one comes in the middle of
    // the first song (left click).
    Cuts expected1 = CutsOf(Side::One);
    PointerClick({MarkerX(Side::One, expected1[1]), WaveY(Side::One)}, wxMOUSE_BTN_RIGHT);
    expected1.erase(expected1.begin() + 1);
    EXPECT_EQ(CutsOf(Side::One), expected1);
    const int songMiddle = (g.cx + MarkerX(Side::One, expected1[0])) / 2;
    const std::int32_t added = AddedAt(Side::One, songMiddle);
    PointerClick({songMiddle, WaveY(Side::One)}, wxMOUSE_BTN_LEFT);
    expected1.insert(expected1.begin(), added);
    EXPECT_EQ(CutsOf(Side::One), expected1);
    // Side 2: every marker removed by clicks far to the right of all of them, then one
    // marker added near the end.
    // (Apart, so that the toolkit sees no double click, which does not count as a press.)
    for (int i = 0; i < 4; ++i)
        PointerClick({g.cx + g.width - 10 * i, WaveY(Side::Two)}, wxMOUSE_BTN_RIGHT);
    EXPECT_EQ(CutsOf(Side::Two), Cuts{});
    const int nearEnd = g.cx + g.width - 100;
    const Cuts expected2 = {AddedAt(Side::Two, nearEnd)};
    PointerClick({nearEnd, WaveY(Side::Two)}, wxMOUSE_BTN_LEFT);
    EXPECT_EQ(CutsOf(Side::Two), expected2);

    Press(frame->Controls().e_button3);
    ASSERT_TRUE(WaitForJobEnd());
    ExpectWindowRestored();
    EXPECT_EQ(Status(), "Finished.");

    // Each side's slices run from marker to marker, sample for sample as in its file.
    const std::string folders[2] = {dir / "one", dir / "two"};
    const Cuts expected[2] = {expected1, expected2};
    int number = 1;
    for (int side = 0; side < 2; ++side) {
        SCOPED_TRACE(side + 1);
        const auto source = ReadWavFrames(folders[side] + "/side.wav");
        ASSERT_TRUE(source);
        Cuts bounds = {0};
        bounds.insert(bounds.end(), expected[side].begin(), expected[side].end());
        ASSERT_EQ(CountSlices(folders[side], number), static_cast<int>(bounds.size()));
        for (std::size_t i = 0; i < bounds.size(); ++i, ++number) {
            const std::size_t from = static_cast<std::size_t>(bounds[i]) * kBlockFrames;
            const std::size_t to = i + 1 < bounds.size()
                                       ? static_cast<std::size_t>(bounds[i + 1]) * kBlockFrames
                                       : source->size();
            const std::string path = folders[side] + "/" + std::to_string(number) + ".wav";
            EXPECT_TRUE(IsCompleteWave(path));
            const auto slice = ReadWavFrames(path);
            ASSERT_TRUE(slice) << path;
            ASSERT_EQ(slice->size(), to - from) << path;
            EXPECT_TRUE(std::equal(slice->begin(), slice->end(), source->begin() + from))
                << path << " differs from its stretch of the side";
        }
    }
}

// While "Draw waveforms" runs, the lists belong to the job: clicks on the side's earlier
// waveform change nothing, its listen band opens no dialog (the modal hook would fail the
// test), and the job's result replaces it.
TEST_F(WaveformEndToEnd, ClicksDuringDrawWaveformsAreIgnored) {
    Locate(Side::One, PlaceSide("one/long.wav", LongSide()));
    SideState& side = frame->SideAt(Side::One);
    side.levelCount = 1000;  // as left by an earlier drawing
    side.levels.assign(1000, 0.5f);
    side.cuts[0] = 100;
    side.cutCount = 1;
    Press(frame->Controls().e_button2);
    ASSERT_TRUE(frame->Jobs().Worker());
    // Delivered at once, as the toolkit hands clicks to the canvas, before any update of
    // the job reaches the window.
    for (const auto& [type, y] : {std::pair{wxEVT_LEFT_DOWN, WaveY(Side::One)},
                                  std::pair{wxEVT_RIGHT_DOWN, WaveY(Side::One)},
                                  std::pair{wxEVT_LEFT_DOWN, g.cy + g.band / 2}}) {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(500, y) + wxPoint(g.cx, 0) -
                          frame->Controls().m_canvas->GetPosition());
        event.SetEventObject(frame->Controls().m_canvas);
        frame->Controls().m_canvas->GetEventHandler()->ProcessEvent(event);
    }
    EXPECT_EQ(CutsOf(Side::One), Cuts{100});
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(side.levelCount, 6000u);
}

}  // namespace
