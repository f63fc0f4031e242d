// Clicks over the waveform canvas at computed places, as real pointer clicks (XTest) and as
// events the toolkit delivers to the canvas window, and what they do to the cut lists.

#include <wx/app.h>
#include <wx/uiaction.h>

#include <functional>
#include <ostream>
#include <tuple>
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

struct MouseCase {
    const char* name;
    SideSetup side1, side2;
    /// Where to click, in the frame's client pixels.
    std::function<wxPoint(const CanvasGeometry&)> at;
    wxMouseButton button;
    Cuts after1, after2;
    bool slicing = false;
    bool jobRunning = false;
};

void PrintTo(const MouseCase& c, std::ostream* out) {
    *out << c.name;
}

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
        g = MeasureCanvas(*frame);
        ASSERT_TRUE(RunUntil([this] { return frame->IsShownOnScreen(); }));
        for (int i = 0; i < 10; ++i) wxTheApp->Yield(true);
        // The toolkit reports a click at the place of the one before (even in a window of
        // the test before) as a double click.
        for (const wxEventTypeTag<wxMouseEvent>& type :
             {wxEVT_LEFT_DOWN, wxEVT_RIGHT_DOWN, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DCLICK})
            frame->m_panel->Bind(type, &CanvasMouseTest::Count, this);
        CountCanvasPaints(*frame, canvasPaints);
    }

    void TearDown() override {
        frame->m_slicing = false;
        frame->m_idle = true;
        FrameTest::TearDown();
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
            const wxPoint inCanvas = at - frame->m_canvas->GetPosition();
            for (const wxEventType type : button == wxMOUSE_BTN_LEFT
                                              ? std::vector{wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}
                                              : std::vector{wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP}) {
                wxMouseEvent event(type);
                event.SetPosition(inCanvas);
                event.SetEventObject(frame->m_canvas);
                frame->m_canvas->GetEventHandler()->ProcessEvent(event);
            }
        }
        ASSERT_TRUE(RunUntil([&] { return panelDowns > before; })) << "click not delivered";
        EXPECT_EQ(lastPanelPoint, frame->m_panel->ScreenToClient(frame->ClientToScreen(at)))
            << "the panel sees the click where it happened";
    }

    CanvasGeometry g;
    int panelDowns = 0;
    int canvasPaints = 0;
    wxPoint lastPanelPoint;
};

class MouseCaseTest : public CanvasMouseTest,
                      public testing::WithParamInterface<std::tuple<MouseCase, Via>> {};

TEST_P(MouseCaseTest, EditsTheCutListsAsTheClickSays) {
    const auto& [c, via] = GetParam();
    Apply(frame->m_sides[0], c.side1);
    Apply(frame->m_sides[1], c.side2);
    frame->m_slicing = c.slicing;
    frame->m_idle = !c.jobRunning;
    Click(c.at(g), c.button, via);
    EXPECT_EQ(CutsOf(frame->m_sides[0]), c.after1);
    EXPECT_EQ(CutsOf(frame->m_sides[1]), c.after2);
}

// Points inside each band, relative to the canvas: across at `dx`, `dy` below the band's top.
wxPoint Wave1(const CanvasGeometry& g, int dx) {
    return {g.cx + dx, g.cy + g.band + 20};
}
wxPoint Wave2(const CanvasGeometry& g, int dx) {
    return {g.cx + dx, g.cy + g.half + g.band + 20};
}

// Geometry under Xvfb: W = 1080. Expected cuts are trunc(N x (x - cx [+ 4]) / W).
std::vector<MouseCase> Cases() {
    const int W = 1080;
    return {
        {"Add",
         {1000, {}},
         {},
         [](auto& g) { return Wave1(g, 100); },
         wxMOUSE_BTN_LEFT,
         {At(1000, 104, W)},
         {}},
        {"AddOnExistingMarker",
         {1000, {At(1000, 104, W)}},
         {},
         [](auto& g) { return Wave1(g, 100); },
         wxMOUSE_BTN_LEFT,
         {At(1000, 104, W)},
         {}},
        {"AddBetweenKeepsOrder",
         {1000, {50, 500}},
         {},
         [](auto& g) { return Wave1(g, 300); },
         wxMOUSE_BTN_LEFT,
         {50, At(1000, 304, W), 500},
         {}},
        {"AddAtLeftEdgeOfShortSide",
         {200, {}},
         {},
         [](auto& g) { return Wave1(g, 0); },
         wxMOUSE_BTN_LEFT,
         {},
         {}},
        {"AddAtLeftEdgeOfLongSide",
         {1000, {}},
         {},
         [](auto& g) { return Wave1(g, 0); },
         wxMOUSE_BTN_LEFT,
         {At(1000, 4, W)},
         {}},
        {"AddAtRightEdge",
         {1000, {}},
         {},
         [](auto& g) { return Wave1(g, g.width); },
         wxMOUSE_BTN_LEFT,
         {At(1000, W + 4, W)},
         {}},
        {"AddOnSide2",
         {1000, {}},
         {2000, {}},
         [](auto& g) { return Wave2(g, 540); },
         wxMOUSE_BTN_LEFT,
         {},
         {At(2000, 544, W)}},
        {"AddOnSide2BottomRow",
         {},
         {2000, {}},
         [](auto& g) { return wxPoint(g.cx + 540, g.cy + g.height - 1); },
         wxMOUSE_BTN_LEFT,
         {},
         {At(2000, 544, W)}},
        {"RemoveNearestFarAway",
         {1000, {20}},
         {},
         [](auto& g) { return Wave1(g, g.width - 5); },
         wxMOUSE_BTN_RIGHT,
         {},
         {}},
        {"RemoveNearestOfTwo",
         {1000, {100, 900}},
         {1000, {100}},
         [](auto& g) { return Wave1(g, 120); },
         wxMOUSE_BTN_RIGHT,
         {900},
         {100}},
        {"RemoveFromEmpty",
         {1000, {}},
         {1000, {300}},
         [](auto& g) { return Wave1(g, 300); },
         wxMOUSE_BTN_RIGHT,
         {},
         {300}},
        {"RemoveOnSide2",
         {1000, {300}},
         {1000, {300, 700}},
         [](auto& g) { return Wave2(g, 800); },
         wxMOUSE_BTN_RIGHT,
         {300},
         {300}},
        // The row where the halves meet belongs to side 2's listen band: no cut is added.
        // (Side 2 has no cuts, so the band opens no listen dialog.)
        {"DividerRowIsSide2ListenBand",
         {1000, {}},
         {1000, {}},
         [](auto& g) { return wxPoint(g.cx + 300, g.cy + g.half); },
         wxMOUSE_BTN_LEFT,
         {},
         {}},
        {"RowAboveDividerIsSide1Waveform",
         {1000, {}},
         {1000, {500}},
         [](auto& g) { return wxPoint(g.cx + 300, g.cy + g.half - 1); },
         wxMOUSE_BTN_LEFT,
         {At(1000, 304, W)},
         {500}},
        {"ListenBandAddsNothing",
         {1000, {}},
         {},
         [](auto& g) { return wxPoint(g.cx + 300, g.cy + 5); },
         wxMOUSE_BTN_LEFT,
         {},
         {}},
        {"NoLevels", {0, {}}, {}, [](auto& g) { return Wave1(g, 300); }, wxMOUSE_BTN_LEFT, {}, {}},
        {"IgnoredWhileSlicing",
         {1000, {100}},
         {},
         [](auto& g) { return Wave1(g, 300); },
         wxMOUSE_BTN_LEFT,
         {100},
         {},
         true,
         true},
        {"RemoveIgnoredWhileSlicing",
         {1000, {100}},
         {},
         [](auto& g) { return Wave1(g, 300); },
         wxMOUSE_BTN_RIGHT,
         {100},
         {},
         true,
         true},
        {"IgnoredWhileDrawingWaveforms",
         {1000, {100}},
         {},
         [](auto& g) { return Wave1(g, 300); },
         wxMOUSE_BTN_LEFT,
         {100},
         {},
         false,
         true},
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, MouseCaseTest,
                         testing::Combine(testing::ValuesIn(Cases()),
                                          testing::Values(Via::Pointer, Via::CanvasEvent)),
                         [](const testing::TestParamInfo<std::tuple<MouseCase, Via>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Via::Pointer ? "_Pointer"
                                                                             : "_CanvasEvent");
                         });

TEST_F(CanvasMouseTest, EveryEditRepaintsTheCanvas) {
    Apply(frame->m_sides[0], {1000, {}});
    for (int i = 0; i < 10; ++i) wxTheApp->Yield(true);
    for (const wxMouseButton button : {wxMOUSE_BTN_LEFT, wxMOUSE_BTN_RIGHT}) {
        const int before = canvasPaints;
        Click(Wave1(g, 400), button, Via::Pointer);
        EXPECT_TRUE(RunUntil([&] { return canvasPaints > before; }));
    }
    EXPECT_EQ(frame->m_sides[0].cutCount, 0u);
}

// Two quick clicks at one place reach the panel as a click and a double click: both act.
TEST_F(CanvasMouseTest, AQuickSecondClickCountsToo) {
    Apply(frame->m_sides[0], {1000, {100, 200, 900}});
    const wxPoint at = frame->ClientToScreen(Wave1(g, 150));
    wxUIActionSimulator pointer;
    pointer.MouseMove(at);
    const int before = panelDowns;
    pointer.MouseClick(wxMOUSE_BTN_RIGHT);
    pointer.MouseClick(wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(RunUntil([&] { return panelDowns >= before + 2; }));
    EXPECT_EQ(CutsOf(frame->m_sides[0]), (Cuts{900}));
}

}  // namespace
