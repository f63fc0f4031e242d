// Clicks over the waveform canvas at computed places, as real pointer clicks (XTest) and as
// events the toolkit delivers to the canvas window, and what they do to the cut lists.

#include <wx/app.h>
#include <wx/uiaction.h>

#include <vector>

#include "app/ImgPanel.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/waveview/CanvasTestSupport.h"

namespace {

using Cuts = std::vector<std::int32_t>;

struct SideSetup {
    std::uint32_t levelCount = 0;
    Cuts cuts;
};

void Apply(SideState& side, const SideSetup& setup) {
    side = SideState();
    side.levelCount = setup.levelCount;
    side.levels.assign(setup.levelCount, 0.5f);
    for (std::size_t i = 0; i < setup.cuts.size(); ++i) side.cuts[i] = setup.cuts[i];
    side.cutCount = static_cast<std::uint32_t>(setup.cuts.size());
}

Cuts CutsOf(const SideState& side) {
    return {side.cuts.begin(), side.cuts.begin() + side.cutCount};
}

// trunc(N x (pixels / W)), for the expected positions.
std::int32_t At(std::uint32_t levelCount, int pixels, int width) {
    return static_cast<std::int32_t>(levelCount * (static_cast<double>(pixels) / width));
}

enum class Via { Pointer, CanvasEvent };

class CanvasMouseTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        g = waveview::MeasureCanvas(*frame);
        ASSERT_TRUE(RunUntil([this] { return frame->IsShownOnScreen(); }));
        for (int i = 0; i < 10; ++i) wxTheApp->Yield(true);
        // The toolkit reports a click at the place of the one before (even in a window of
        // the test before) as a double click.
        for (const wxEventTypeTag<wxMouseEvent>& type :
             {wxEVT_LEFT_DOWN, wxEVT_RIGHT_DOWN, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DCLICK})
            frame->Controls().m_panel->Bind(type, &CanvasMouseTest::Count, this);
        CountCanvasPaints(*frame, canvasPaints);
    }

    void Count(wxMouseEvent& event) {
        ++panelDowns;
        lastPanelPoint = event.GetPosition();
        event.Skip();
    }

    /// Presses and releases `button` at `at` (frame client pixels); returns once the panel
    /// has handled the press.
    void Click(wxPoint at, wxMouseButton button, Via via) {
        const int before = panelDowns;
        if (via == Via::Pointer) {
            wxUIActionSimulator pointer;
            // Enter the window afresh: a new frame under a pointer that has not moved since
            // the last test may not take its press.
            pointer.MouseMove(frame->GetScreenPosition() - wxPoint(10, 10));
            pointer.MouseMove(frame->ClientToScreen(at));
            pointer.MouseClick(button);
        } else {
            // As the toolkit delivers a click over the canvas: to the canvas, in its pixels.
            const wxPoint inCanvas = at - frame->Controls().m_canvas->GetPosition();
            for (const wxEventType type : button == wxMOUSE_BTN_LEFT
                                              ? std::vector{wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}
                                              : std::vector{wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP}) {
                wxMouseEvent event(type);
                event.SetPosition(inCanvas);
                event.SetEventObject(frame->Controls().m_canvas);
                frame->Controls().m_canvas->GetEventHandler()->ProcessEvent(event);
            }
        }
        ASSERT_TRUE(RunUntil([&] { return panelDowns > before; })) << "click not delivered";
        EXPECT_EQ(lastPanelPoint,
                  frame->Controls().m_panel->ScreenToClient(frame->ClientToScreen(at)))
            << "the panel sees the click where it happened";
    }

    CanvasGeometry g;
    int panelDowns = 0;
    int canvasPaints = 0;
    wxPoint lastPanelPoint;
};

// A point inside side 1's waveform band, `dx` across the canvas.
wxPoint Wave1(const CanvasGeometry& g, int dx) {
    return {g.cx + dx, g.cy + g.band + 20};
}

// The rules of the edits and of the click geometry are tested on their functions
// (CutEditingTest); these cases prove the wiring: a real click reaches the panel where it
// happened, through the canvas too, measured with the frame's geometry.

// Under Xvfb W = 1080; a new cut lands 4 pixels right of the pointer: trunc(N x 104 / W).
TEST_F(CanvasMouseTest, ALeftClickAddsACutWhereThePointerIs) {
    Apply(frame->SideAt(Side::One), {1000, {}});
    Click(Wave1(g, 100), wxMOUSE_BTN_LEFT, Via::Pointer);
    EXPECT_EQ(CutsOf(frame->SideAt(Side::One)), (Cuts{At(1000, 104, 1080)}));
}

// Delivered to the canvas, in its own pixels, at side 2's bottom row: the panel takes it.
TEST_F(CanvasMouseTest, ARightClickOnTheCanvasRemovesTheNearestCutOfItsSide) {
    Apply(frame->SideAt(Side::One), {1000, {300}});
    Apply(frame->SideAt(Side::Two), {1000, {300, 700}});
    Click(wxPoint(g.cx + 800, g.cy + g.height - 1), wxMOUSE_BTN_RIGHT, Via::CanvasEvent);
    EXPECT_EQ(CutsOf(frame->SideAt(Side::One)), (Cuts{300}));
    EXPECT_EQ(CutsOf(frame->SideAt(Side::Two)), (Cuts{300}));
}

TEST_F(CanvasMouseTest, EveryEditRepaintsTheCanvas) {
    Apply(frame->SideAt(Side::One), {1000, {}});
    for (int i = 0; i < 10; ++i) wxTheApp->Yield(true);
    for (const wxMouseButton button : {wxMOUSE_BTN_LEFT, wxMOUSE_BTN_RIGHT}) {
        const int before = canvasPaints;
        Click(Wave1(g, 400), button, Via::Pointer);
        EXPECT_TRUE(RunUntil([&] { return canvasPaints > before; }));
    }
    EXPECT_EQ(frame->SideAt(Side::One).cutCount, 0u);
}

// Ctrl+Z after a click puts the cut table back as it was; Ctrl+Shift+Z brings the cut back.
TEST_F(CanvasMouseTest, UndoAfterAClickRestoresTheCutTable) {
    Apply(frame->SideAt(Side::One), {1000, {300, 700}});
    Click(Wave1(g, 100), wxMOUSE_BTN_LEFT, Via::Pointer);
    const Cuts edited = CutsOf(frame->SideAt(Side::One));
    ASSERT_EQ(edited, (Cuts{At(1000, 104, 1080), 300, 700}));
    wxUIActionSimulator keys;
    keys.Char('z', wxMOD_CONTROL);
    EXPECT_TRUE(RunUntil([&] { return CutsOf(frame->SideAt(Side::One)) == Cuts{300, 700}; }));
    keys.Char('z', wxMOD_CONTROL | wxMOD_SHIFT);
    EXPECT_TRUE(RunUntil([&] { return CutsOf(frame->SideAt(Side::One)) == edited; }));
}

// Two quick clicks at one place reach the panel as a click and a double click: both act.
TEST_F(CanvasMouseTest, AQuickSecondClickCountsToo) {
    Apply(frame->SideAt(Side::One), {1000, {100, 200, 900}});
    const wxPoint at = frame->ClientToScreen(Wave1(g, 150));
    wxUIActionSimulator pointer;
    pointer.MouseMove(at);
    const int before = panelDowns;
    pointer.MouseClick(wxMOUSE_BTN_RIGHT);
    pointer.MouseClick(wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(RunUntil([&] { return panelDowns >= before + 2; }));
    EXPECT_EQ(CutsOf(frame->SideAt(Side::One)), (Cuts{900}));
}

}  // namespace
