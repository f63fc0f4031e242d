// The menu bar: every item, the exclusive check groups, the queries' fall-backs and the
// treble filter re-tune.

#include <wx/menu.h>

#include <vector>

#include "app/FrameRecording.h"
#include "tests/app/GuiTestSupport.h"

namespace {

struct MenuItemRow {
    int menu;  // position in the menu bar
    int id;
    const char* label;
    const char* help;
    bool checkable;
    bool checked;
};

const MenuItemRow kItems[] = {
    {0, 100, "About...", "Show about dialog", false, false},
    {0, 101, "Open...", "Open settings", false, false},
    {0, 102, "Save...", "Save settings", false, false},
    {0, 104, "Track titles...", "Album and track titles", false, false},
    {0, 105, "Export cut list...", "Save a side's cuts and titles as a CUE sheet or label file",
     false, false},
    {0, 106, "Import cut list...", "Set a side's cuts and titles from a CUE sheet or label file",
     false, false},
    {0, 103, "Exit", "Quit this program", false, false},
    {1, 200, "96  kbit/sec (speech - decent quality)", "Set MP3 rate to 96  kbit/sec.", true,
     false},
    {1, 201, "112 kbit/sec (speech - good quality)", "Set MP3 rate to 112 kbit/sec.", true, false},
    {1, 202, "128 kbit/sec (music - decent quality)", "Set MP3 rate to 128 kbit/sec.", true, true},
    {1, 203, "160 kbit/sec (music - good quality)", "Set MP3 rate to 160 kbit/sec.", true, false},
    {1, 204, "192 kbit/sec (music - very good quality)", "Set MP3 rate to 192 kbit/sec.", true,
     false},
    {1, 205, "256 kbit/sec (music - excellent quality)", "Set MP3 rate to 256 kbit/sec.", true,
     false},
    {1, 206, "320 kbit/sec (music - pro quality)", "Set MP3 rate to 320 kbit/sec.", true, false},
    {2, 300, "0.0 seconds - don't fade in and out", "Don't fade in/out.", true, true},
    {2, 301, "0.1 seconds - fade in and out each song", "Fade in/out 0.1 second.", true, false},
    {2, 302, "1.0 seconds - fade in and out each song", "Fade in/out 1 second.", true, false},
    {2, 303, "2.0 seconds - fade in and out each song", "Fade in/out 2 seconds.", true, false},
    {3, 500, "Don't Change - Keep the volume as it was recorded", "Don't change the volume.", true,
     true},
    {3, 501, "Normalize - Boost the volume to the maximum level", "Maximize the volume.", true,
     false},
    {3, 510, "Write slices as CD audio (44.1 kHz 16-bit)",
     "Resample and dither every slice to 44.1 kHz 16-bit stereo.", true, false},
    {5, 708, "Don't apply any EQ at all", "", true, true},
    {5, 709, "Boost Treble - Barely noticable", "", true, false},
    {5, 710, "Boost Treble - Tiny", "", true, false},
    {5, 711, "Boost Treble - Subtle", "", true, false},
    {5, 712, "Boost Treble - Medium", "", true, false},
    {5, 713, "Boost Treble - Noticable", "", true, false},
    {5, 714, "Boost Treble - High boost", "", true, false},
    {5, 715, "Boost Treble - Very high boost", "", true, false},
    {10, 800, "Off - Leave clicks and crackle as recorded", "Don't repair clicks.", true, true},
    {10, 801, "Light - Only clicks far above the music", "Repair only the loudest clicks.", true,
     false},
    {10, 802, "Medium - Clicks and crackle", "Repair clicks and crackle.", true, false},
    {10, 803, "Strong - Fainter clicks and longer pops too",
     "Repair clicks, crackle and pops, at a higher risk of touching the music.", true, false},
    {6, 401, "Basic Help...", "Basic help", false, false},
    {6, 402, "Read Manual...", "Read the manual", false, false},
    {6, 400, "Velvane on the web...", "Velvane on the web", false, false},
    {6, 404, "Download an MP3 or Ogg encoder...", "Download an MP3 or Ogg encoder", false, false},
    {7, 110, "Undo", "Undo the last change of the cuts", false, false},
    {7, 111, "Redo", "Make the change undone last again (also Ctrl+Y)", false, false},
    {7, 112, "Cut list...",
     "Each side's cuts with their times and the songs' lengths, to change, add and remove", false,
     false},
    {8, 120, "Zoom in", "Zoom in around the pointer (also the + key, or Ctrl and the mouse wheel)",
     false, false},
    {8, 121, "Zoom out", "Zoom out around the pointer (also the - key)", false, false},
    {8, 122, "Zoom to fit", "Show the whole sides (also the 0 key)", false, false},
    {9, 130, "Play / Pause", "Play from the playhead, or pause (also the space bar)", false, false},
    {9, 131, "Stop", "Stop playing, back to where it started", false, false},
    {9, 132, "Play from the previous cut", "Play from the cut before the playhead (also the [ key)",
     false, false},
    {9, 133, "Play from the next cut", "Play from the cut after the playhead (also the ] key)",
     false, false},
};

using MenuTest = FrameTest;

TEST_F(MenuTest, MenuBarHoldsEveryItemInOrderWithItsDefaults) {
    // The settings' menus as they always were, then the editor's (Edit, View, Play).
    wxMenu* const menus[] = {
        frame->Menus().m_fileMenu,   frame->Menus().m_rateMenu,  frame->Menus().m_fadesMenu,
        frame->Menus().m_volumeMenu, frame->Menus().m_inputMenu, frame->Menus().m_eqMenu,
        frame->Menus().m_helpMenu,   frame->Menus().m_editMenu,  frame->Menus().m_viewMenu,
        frame->Menus().m_playMenu,   frame->Menus().m_repairMenu};
    // In the bar: File, the editor's, the settings' (Repair last), Help.
    const std::pair<const char*, int> bar[] = {
        {"File", 0},   {"Edit", 7},  {"View", 8}, {"Play", 9},    {"Rate", 1}, {"Fades", 2},
        {"Volume", 3}, {"Input", 4}, {"EQ", 5},   {"Repair", 10}, {"Help", 6}};
    ASSERT_EQ(frame->GetMenuBar(), frame->Menus().m_menuBar);
    ASSERT_EQ(frame->Menus().m_menuBar->GetMenuCount(), 11u);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(frame->Menus().m_menuBar->GetMenuLabelText(i), bar[i].first);
        EXPECT_EQ(frame->Menus().m_menuBar->GetMenu(i), menus[bar[i].second]);
    }
    // Filled by the audio devices (tests/app/RecordingWindowTest.cpp checks its items).
    EXPECT_EQ(frame->Menus().m_inputMenu->GetMenuItemCount(),
              std::min<std::size_t>(8, frame->Recording().StereoInputs().size()));

    std::vector<int> position(11, 0);
    for (const MenuItemRow& row : kItems) {
        SCOPED_TRACE(row.id);
        wxMenu* menu = menus[row.menu];
        if (row.id == 103 || row.id == 112) {
            wxMenuItem* separator = menu->FindItemByPosition(position[row.menu]++);
            EXPECT_TRUE(separator->IsSeparator());
        }
        wxMenuItem* item = menu->FindItemByPosition(position[row.menu]++);
        EXPECT_EQ(item->GetId(), row.id);
        EXPECT_EQ(item->GetItemLabelText(), row.label);
        EXPECT_EQ(item->GetHelp(), row.help);
        EXPECT_EQ(item->IsCheckable(), row.checkable);
        if (row.checkable) {
            EXPECT_EQ(item->IsChecked(), row.checked);
        }
    }
    for (int i = 0; i < 11; ++i) {
        if (menus[i] != frame->Menus().m_inputMenu) {
            EXPECT_EQ(menus[i]->GetMenuItemCount(), size_t(position[i]));
        }
    }

    std::unique_ptr<wxAcceleratorEntry> exit(frame->Menus().m_fileMenu->FindItem(103)->GetAccel());
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->GetFlags(), wxACCEL_ALT);
    EXPECT_EQ(exit->GetKeyCode(), 'X');
    // A command one repeats has a shortcut.
    for (const int id :
         {101, 102, 104, 105, 106, 110, 111, 112, 120, 121, 122, 130, 131, 132, 133, 401}) {
        std::unique_ptr<wxAcceleratorEntry> accel(
            frame->Menus().m_menuBar->FindItem(id)->GetAccel());
        EXPECT_NE(accel, nullptr) << id;
    }
    std::unique_ptr<wxAcceleratorEntry> undo(frame->Menus().m_menuBar->FindItem(110)->GetAccel());
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->GetFlags(), wxACCEL_CTRL);
    EXPECT_EQ(undo->GetKeyCode(), 'Z');
}

struct GroupCase {
    int first;
    int last;
};

const GroupCase kGroups[] = {{200, 206}, {300, 303}, {500, 501}, {708, 715}};
// Repair's strength is a number of its own in a settings file: no stray id empties it.
const GroupCase kRepairGroup = {800, 803};

std::vector<int> CheckedIds(wxMenuBar* bar, const GroupCase& group) {
    std::vector<int> checked;
    for (int id = group.first; id <= group.last; ++id)
        if (bar->IsChecked(id)) checked.push_back(id);
    return checked;
}

TEST_F(MenuTest, ChoosingAnItemChecksOnlyItAndTheQueriesReportIt) {
    for (const GroupCase& group : {kGroups[0], kGroups[1], kGroups[2], kGroups[3], kRepairGroup}) {
        for (int id = group.first; id <= group.last; ++id) {
            SCOPED_TRACE(id);
            Menu(id);
            EXPECT_EQ(CheckedIds(frame->Menus().m_menuBar, group), std::vector<int>{id});
            // A real click on the checked item unchecks it first; the handler checks it again.
            frame->Menus().m_menuBar->Check(id, false);
            Menu(id);
            EXPECT_EQ(CheckedIds(frame->Menus().m_menuBar, group), std::vector<int>{id});
        }
    }
    // The last item of each group is now the setting.
    int rateId = 0;
    EXPECT_EQ(frame->Menus().SelectedBitRate(&rateId), 320000);
    EXPECT_EQ(rateId, 206);
    EXPECT_EQ(frame->Menus().SelectedFadeId(), 303);
    EXPECT_EQ(frame->Menus().SelectedVolumeId(), 501);
    EXPECT_EQ(frame->Menus().SelectedEqId(), 715);
    EXPECT_EQ(frame->Menus().TrebleBoostLevel(), 12.0f);
    EXPECT_EQ(frame->Menus().SelectedRepairId(), 803);
    EXPECT_EQ(frame->Menus().Processing().repairLevel, 3);

    const std::pair<int, int> rates[] = {{200, 96000},  {201, 112000}, {202, 128000},
                                         {203, 160000}, {204, 192000}, {205, 256000}};
    for (const auto& [id, bitsPerSecond] : rates) {
        Menu(id);
        EXPECT_EQ(frame->Menus().SelectedBitRate(), bitsPerSecond) << id;
    }
}

TEST_F(MenuTest, EqChoicesRetuneTheTrebleFilter) {
    const std::pair<int, float> levels[] = {{710, 2}, {708, 0}, {709, 1},  {711, 4},
                                            {712, 6}, {713, 8}, {714, 10}, {715, 12}};
    for (const auto& [id, level] : levels) {
        SCOPED_TRACE(id);
        // History from earlier frames must go: a re-tune starts the filter afresh.
        frame->Treble().left[3] = 0.5f;
        Menu(id);
        EXPECT_EQ(frame->Menus().TrebleBoostLevel(), level);
        TrebleFilter expected;
        slice::TuneTreble(expected, level);
        const TrebleFilter& actual = frame->Treble();
        EXPECT_EQ(std::vector<float>({actual.b0, actual.b1, actual.b2, actual.a0, actual.a1,
                                      actual.a2, actual.c0, actual.c1, actual.c2, actual.d1,
                                      actual.d2, actual.left[3]}),
                  std::vector<float>({expected.b0, expected.b1, expected.b2, expected.a0,
                                      expected.a1, expected.a2, expected.c0, expected.c1,
                                      expected.c2, expected.d1, expected.d2, expected.left[3]}));
    }
}

TEST_F(MenuTest, GroupsWithNothingCheckedFallBack) {
    SettingsFields fields = frame->Settings().Collect();
    for (int stray : {199, 0, -1, 716}) {
        SCOPED_TRACE(stray);
        Menu(715);
        fields.rateId = fields.fadeId = fields.volumeId = fields.eqId = stray;
        frame->Settings().Apply(fields);
        for (const GroupCase& group : kGroups)
            EXPECT_TRUE(CheckedIds(frame->Menus().m_menuBar, group).empty());
        int rateId = 0;
        EXPECT_EQ(frame->Menus().SelectedBitRate(&rateId), 128000);
        EXPECT_EQ(rateId, 202);
        EXPECT_EQ(frame->Menus().SelectedFadeId(), 300);
        EXPECT_EQ(frame->Menus().SelectedVolumeId(), 500);
        EXPECT_EQ(frame->Menus().SelectedEqId(), 708);
        EXPECT_EQ(frame->Menus().TrebleBoostLevel(), 0.0f);
        TrebleFilter flat;
        slice::TuneTreble(flat, 0);
        EXPECT_EQ(frame->Treble().c0, flat.c0);
    }
}

TEST_F(MenuTest, ExitRunsTheStopHooksOnceAndClosesTheWindow) {
    std::vector<int> stopped;
    frame->AddStopHook([&] { stopped.push_back(1); });
    frame->AddStopHook([&] {
        EXPECT_EQ(g_frame, frame) << "hooks run while the frame still exists";
        stopped.push_back(2);
    });
    Menu(103);
    EXPECT_TRUE(RunUntil([] { return g_frame == nullptr; }));
    EXPECT_EQ(stopped, (std::vector<int>{1, 2}));
}

}  // namespace
