// The waveform view as an editor on drawn sides: the + key zooms around the pointer and the
// canvas then draws half the time, the markers where the view puts them; and a window made
// larger gives the waveform view all it grew. Leaves screenshots for the eye (build tree:
// screenshots/main-window-drawn.png, zoomed-on-a-cut.png, main-window-maximised.png).

#include <wx/app.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/uiaction.h>

#include "app/FrameWaveforms.h"
#include "app/ImgPanel.h"
#include "tests/app/JobTestSupport.h"
#include "tests/waveview/CanvasTestSupport.h"
#include "waveview/RulerWindow.h"

namespace {

class EditorEndToEnd : public JobWindowTest {
  protected:
    void SetUp() override {
        JobWindowTest::SetUp();
        ASSERT_TRUE(RunUntil([this] { return frame->IsShownOnScreen(); }));
        CountCanvasPaints(*frame, canvasPaints);
        Locate(Side::One, PlaceSide("one/side.wav", SmallSide(1)));
        Locate(Side::Two, PlaceSide("two/side.wav", SmallSide(2)));
        Press(frame->Controls().e_button2);
        ASSERT_TRUE(WaitForJobEnd());
        ASSERT_EQ(frame->SideAt(Side::One).cutCount, 4u);
    }

    wxImage Settled(wxWindow* window) {
        const int before = canvasPaints;
        frame->Controls().m_canvas->Refresh(true);
        EXPECT_TRUE(RunUntil([&] { return canvasPaints > before; }));
        RunUntil([] { return false; }, std::chrono::milliseconds(300));
        return window == frame ? CaptureClientArea(frame) : CaptureClientArea(window);
    }

    int canvasPaints = 0;
};

TEST_F(EditorEndToEnd, ThePlusKeyZoomsAroundThePointerAndTheCanvasDrawsHalfTheTime) {
    SaveScreenshot(Settled(frame), "main-window-drawn.png");
    const SideState& side = frame->SideAt(Side::One);
    // Measured in the same pass: ten peaks per level.
    EXPECT_NEAR(static_cast<double>(side.finePeaks.size()), side.levelCount * 10.0, 10);

    const CanvasGeometry g = waveview::MeasureCanvas(*frame);
    wxUIActionSimulator user;
    user.MouseMove(frame->ClientToScreen(wxPoint(g.cx + g.width / 4, g.cy + g.band + 30)));
    user.Char('+');
    ASSERT_TRUE(RunUntil([&] { return !frame->Waveforms().View().Fitted(); }));
    const TimeView view = frame->Waveforms().View();
    EXPECT_DOUBLE_EQ(view.span, 0.5);
    EXPECT_DOUBLE_EQ(view.start, 0.125) << "the place under the pointer stays";

    // The first cut, a fifth of the side in, is now drawn at (0.2 - 0.125) / 0.5 of the width.
    const wxImage canvas = Settled(frame->Controls().m_canvas);
    const double f = static_cast<double>(side.cuts[0]) / side.levelCount;
    const int x = static_cast<int>(std::floor((f - view.start) / view.span * g.width));
    const int fitted = static_cast<int>(g.width * static_cast<float>(f));
    for (int y = g.band + 20; y < g.band + 40; ++y) {
        EXPECT_EQ(PixelAt(canvas, x, y), *wxBLACK) << y;
        EXPECT_NE(PixelAt(canvas, fitted, y), *wxBLACK) << "no marker where it stood fitted";
    }

    // For the eye: as deep as it goes (10 ms a pixel) around the first cut.
    for (int i = 0; i < 10; ++i) frame->Waveforms().ZoomAround(2, x);
    SaveScreenshot(Settled(frame), "zoomed-on-a-cut.png");
}

TEST_F(EditorEndToEnd, ALargerWindowGivesTheWaveformViewAllItGrew) {
    const wxSize before = frame->GetClientSize();
    const wxRect button = frame->Controls().e_button1->GetRect();
    const CanvasGeometry small = waveview::MeasureCanvas(*frame);
    frame->SetSize(wxDisplay(frame).GetClientArea());
    ASSERT_TRUE(RunUntil([&] { return frame->GetClientSize().y > before.y + 100; }));
    for (int i = 0; i < 10; ++i) wxTheApp->Yield(true);
    const wxSize grown = frame->GetClientSize() - before;

    EXPECT_EQ(frame->Controls().e_button1->GetRect(), button) << "the controls keep their places";
    EXPECT_EQ(frame->Controls().m_panel->GetSize(), frame->GetClientSize());
    const wxRect canvas = frame->Controls().m_canvas->GetRect();
    EXPECT_EQ(canvas, wxRect(small.cx, small.cy, small.width + grown.x, small.height + grown.y));
    for (wxWindow* strip : {static_cast<wxWindow*>(frame->Controls().m_scrollStrip),
                            static_cast<wxWindow*>(frame->Controls().m_rulers[0]),
                            static_cast<wxWindow*>(frame->Controls().m_rulers[1])}) {
        EXPECT_EQ(strip->GetRect().x, canvas.x) << strip->GetName();
        EXPECT_EQ(strip->GetRect().width, canvas.width) << strip->GetName();
    }
    EXPECT_EQ(frame->Controls().m_rulers[0]->GetRect().GetBottom() + 1, canvas.y);
    EXPECT_EQ(frame->Controls().m_rulers[1]->GetRect().y, canvas.GetBottom() + 1);
    Settled(frame);
    SaveScreenshot(CaptureScreenRect(frame), "main-window-maximised.png");
}

}  // namespace
