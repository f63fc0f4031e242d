// The cut list beside the window: a typed time becomes a cut (one undo step, drawn at once),
// a cut chosen in the list becomes the playhead, and the list follows an undo and a click in
// the waveform (screenshot: screenshots/cut-list.png).

#include <wx/app.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "app/CutListDialog.h"
#include "app/FrameEditing.h"
#include "app/ImgPanel.h"
#include "tests/app/GuiTestSupport.h"

namespace {

using CutListWindow = FrameTest;

std::vector<std::int32_t> CutsOf(const SideState& side) {
    return {side.cuts.begin(), side.cuts.begin() + side.cutCount};
}

TEST_F(CutListWindow, TypedTimesClicksAndUndoMeetInTheListAndTheWaveform) {
    SideState& side = frame->SideAt(Side::One);
    side.levelCount = 1800;
    side.levels.assign(1800, 0.5f);
    side.cuts[0] = 600;
    side.cutCount = 1;
    ASSERT_TRUE(RunUntil([this] { return frame->IsShownOnScreen(); }));
    Menu(kIdCutList);
    CutListDialog* list = frame->Editing().CutList();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(RunUntil([&] { return list->IsShownOnScreen(); }));
    EXPECT_EQ(list->m_list->GetItemCount(), 2);  // the cut, the side's end

    list->m_time->ChangeValue("1:42.5");
    Click(list->m_add);
    EXPECT_EQ(CutsOf(side), (std::vector<std::int32_t>{600, 1025}));
    ASSERT_EQ(list->m_list->GetItemCount(), 3);
    EXPECT_EQ(list->m_list->GetItemText(1, 1), "1:42.5");
    EXPECT_EQ(list->m_list->GetItemText(1, 2), "0:42.5") << "the song it ends";
    Menu(kIdUndo);
    EXPECT_EQ(CutsOf(side), std::vector<std::int32_t>{600});
    EXPECT_EQ(list->m_list->GetItemCount(), 2);

    // A real click on the first row: the playhead goes to its cut.
    wxRect row;
    ASSERT_TRUE(list->m_list->GetItemRect(0, row));
    wxUIActionSimulator pointer;
    pointer.MouseMove(
        list->m_list->ClientToScreen(row.GetPosition() + wxPoint(20, row.height / 2)));
    pointer.MouseClick();
    ASSERT_TRUE(RunUntil([&] { return frame->Playhead().Place().has_value(); }));
    EXPECT_EQ(frame->Playhead().Place()->side, Side::One);
    EXPECT_DOUBLE_EQ(frame->Playhead().Place()->seconds, 60.0);
    EXPECT_EQ(list->m_time->GetValue(), "1:00.0");
    SaveScreenshot(CaptureClientArea(list), "cut-list.png");

    // A cut added in the waveform shows in the list.
    const CanvasGeometry g = waveview::MeasureCanvas(*frame);
    pointer.MouseMove(frame->ClientToScreen(wxPoint(g.cx + g.width / 2, g.cy + g.band + 20)));
    pointer.MouseClick();
    ASSERT_TRUE(RunUntil([&] { return side.cutCount == 2; }));
    EXPECT_EQ(list->m_list->GetItemCount(), 3);
}

}  // namespace
