// The menu bar, the exclusive check groups and the settings queries that read them.

#include "app/FrameMenus.h"

#include <wx/frame.h>
#include <wx/menu.h>

#include "settings/MenuSettings.h"

namespace {

struct MenuEntry {
    int id;
    const char* label;
    const char* help;
};

constexpr MenuEntry kRateItems[] = {
    {200, "96  kbit/sec (speech - decent quality)", "Set MP3 rate to 96  kbit/sec."},
    {201, "112 kbit/sec (speech - good quality)", "Set MP3 rate to 112 kbit/sec."},
    {202, "128 kbit/sec (music - decent quality)", "Set MP3 rate to 128 kbit/sec."},
    {203, "160 kbit/sec (music - good quality)", "Set MP3 rate to 160 kbit/sec."},
    {204, "192 kbit/sec (music - very good quality)", "Set MP3 rate to 192 kbit/sec."},
    {205, "256 kbit/sec (music - excellent quality)", "Set MP3 rate to 256 kbit/sec."},
    {206, "320 kbit/sec (music - pro quality)", "Set MP3 rate to 320 kbit/sec."},
};
constexpr MenuEntry kFadeItems[] = {
    {300, "0.0 seconds - don't fade in and out", "Don't fade in/out."},
    {301, "0.1 seconds - fade in and out each song", "Fade in/out 0.1 second."},
    {302, "1.0 seconds - fade in and out each song", "Fade in/out 1 second."},
    {303, "2.0 seconds - fade in and out each song", "Fade in/out 2 seconds."},
};
constexpr MenuEntry kVolumeItems[] = {
    {500, "Don't Change - Keep the volume as it was recorded", "Don't change the volume."},
    {501, "Normalize - Boost the volume to the maximum level", "Maximize the volume."},
};
constexpr MenuEntry kEqItems[] = {
    {708, "Don't apply any EQ at all", ""}, {709, "Boost Treble - Barely noticable", ""},
    {710, "Boost Treble - Tiny", ""},       {711, "Boost Treble - Subtle", ""},
    {712, "Boost Treble - Medium", ""},     {713, "Boost Treble - Noticable", ""},
    {714, "Boost Treble - High boost", ""}, {715, "Boost Treble - Very high boost", ""},
};
constexpr MenuEntry kRepairItems[] = {
    {800, "Off - Leave clicks and crackle as recorded", "Don't repair clicks."},
    {801, "Light - Only clicks far above the music", "Repair only the loudest clicks."},
    {802, "Medium - Clicks and crackle", "Repair clicks and crackle."},
    {803, "Strong - Fainter clicks and longer pops too",
     "Repair clicks, crackle and pops, at a higher risk of touching the music."},
};
constexpr MenuEntry kEditItems[] = {
    {kIdUndo, "Undo\tCtrl+Z", "Undo the last change of the cuts"},
    {kIdRedo, "Redo\tCtrl+Shift+Z", "Make the change undone last again (also Ctrl+Y)"},
    {0, nullptr, nullptr},
    {kIdCutList, "Cut list...\tCtrl+L",
     "Each side's cuts with their times and the songs' lengths, to change, add and remove"},
};
constexpr MenuEntry kViewItems[] = {
    {kIdZoomIn,
     "Zoom in\tCtrl+=", "Zoom in around the pointer (also the + key, or Ctrl and the mouse wheel)"},
    {kIdZoomOut, "Zoom out\tCtrl+-", "Zoom out around the pointer (also the - key)"},
    {kIdZoomToFit, "Zoom to fit\tCtrl+0", "Show the whole sides (also the 0 key)"},
};
constexpr MenuEntry kPlayItems[] = {
    {kIdPlayPause, "Play / Pause\tCtrl+P", "Play from the playhead, or pause (also the space bar)"},
    {kIdStopPlaying, "Stop\tCtrl+Shift+P", "Stop playing, back to where it started"},
    {kIdPlayPreviousCut, "Play from the previous cut\tCtrl+[",
     "Play from the cut before the playhead (also the [ key)"},
    {kIdPlayNextCut, "Play from the next cut\tCtrl+]",
     "Play from the cut after the playhead (also the ] key)"},
};
constexpr MenuEntry kHelpItems[] = {
    {kIdBasicHelp, "Basic Help...\tF1", "Basic help"},
    {kIdManual, "Read Manual...", "Read the manual"},
    {kIdHomePage, "Velvane on the web...", "Velvane on the web"},
    {kIdDownloadEncoder, "Download an MP3 or Ogg encoder...", "Download an MP3 or Ogg encoder"},
};

// Plain items; an entry without an id is a separator.
template <std::size_t N>
wxMenu* CommandMenu(const MenuEntry (&items)[N]) {
    auto* menu = new wxMenu;
    for (const MenuEntry& item : items) {
        if (item.id == 0)
            menu->AppendSeparator();
        else
            menu->Append(item.id, item.label, item.help);
    }
    return menu;
}

template <std::size_t N>
wxMenu* CheckMenu(const MenuEntry (&items)[N]) {
    auto* menu = new wxMenu;
    for (const MenuEntry& item : items) menu->AppendCheckItem(item.id, item.label, item.help);
    return menu;
}

int CheckedOr(const CheckGroup& group, int fallback) {
    const int id = group.checked.load();
    return id != 0 ? id : fallback;
}

}  // namespace

FrameMenus::FrameMenus(wxFrame& frame, std::function<void()> eqChanged)
    : eqChanged_(std::move(eqChanged)) {
    m_fileMenu = new wxMenu;
    m_fileMenu->Append(kIdAbout, "About...", "Show about dialog");
    m_fileMenu->Append(kIdOpenSettings, "Open...\tCtrl+O", "Open settings");
    m_fileMenu->Append(kIdSaveSettings, "Save...\tCtrl+S", "Save settings");
    m_fileMenu->AppendSeparator();
    m_fileMenu->Append(kIdExit, "Exit\tAlt-X", "Quit this program");
    m_rateMenu = CheckMenu(kRateItems);
    m_fadesMenu = CheckMenu(kFadeItems);
    m_volumeMenu = CheckMenu(kVolumeItems);
    m_volumeMenu->AppendCheckItem(kIdCdAudio, "Write slices as CD audio (44.1 kHz 16-bit)",
                                  "Resample and dither every slice to 44.1 kHz 16-bit stereo.");
    m_inputMenu = new wxMenu;
    m_eqMenu = CheckMenu(kEqItems);
    m_repairMenu = CheckMenu(kRepairItems);
    m_editMenu = CommandMenu(kEditItems);
    m_viewMenu = CommandMenu(kViewItems);
    m_playMenu = CommandMenu(kPlayItems);
    m_helpMenu = CommandMenu(kHelpItems);
    CheckIds(menu::kRateDefault, menu::kFadeDefault, menu::kVolumeKeep, menu::kEqDefault);
    CheckRepair(menu::kRepairDefault);

    m_menuBar = new wxMenuBar;
    m_menuBar->Append(m_fileMenu, "File");
    m_menuBar->Append(m_editMenu, "Edit");
    m_menuBar->Append(m_viewMenu, "View");
    m_menuBar->Append(m_playMenu, "Play");
    m_menuBar->Append(m_rateMenu, "Rate");
    m_menuBar->Append(m_fadesMenu, "Fades");
    m_menuBar->Append(m_volumeMenu, "Volume");
    m_menuBar->Append(m_inputMenu, "Input");
    m_menuBar->Append(m_eqMenu, "EQ");
    m_menuBar->Append(m_repairMenu, "Repair");
    m_menuBar->Append(m_helpMenu, "Help");
    frame.SetMenuBar(m_menuBar);

    for (const CheckGroup* group : {&rate_, &fade_, &volume_, &eq_, &repair_})
        frame.Bind(wxEVT_MENU, &FrameMenus::OnGroupItem, this, group->first, group->last);
    frame.Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) { cdAudio_.store(m_volumeMenu->IsChecked(kIdCdAudio)); },
        kIdCdAudio);
}

void FrameMenus::Check(wxMenu* menu, CheckGroup& group, int id) {
    for (int item = group.first; item <= group.last; ++item) menu->Check(item, item == id);
    group.checked.store(group.Contains(id) ? id : 0);
}

void FrameMenus::CheckIds(int rateId, int fadeId, int volumeId, int eqId) {
    Check(m_rateMenu, rate_, rateId);
    Check(m_fadesMenu, fade_, fadeId);
    Check(m_volumeMenu, volume_, volumeId);
    Check(m_eqMenu, eq_, eqId);
}

void FrameMenus::OnGroupItem(wxCommandEvent& event) {
    // Plain check items: a click may have just unchecked the chosen one, so the whole
    // group is set again with exactly the chosen item checked.
    const int id = event.GetId();
    if (rate_.Contains(id)) Check(m_rateMenu, rate_, id);
    if (fade_.Contains(id)) Check(m_fadesMenu, fade_, id);
    if (volume_.Contains(id)) Check(m_volumeMenu, volume_, id);
    if (repair_.Contains(id)) Check(m_repairMenu, repair_, id);
    if (eq_.Contains(id)) {
        Check(m_eqMenu, eq_, id);
        if (eqChanged_) eqChanged_();
    }
}

int FrameMenus::SelectedBitRate(int* rateId) const {
    const int id = CheckedOr(rate_, menu::kRateDefault);
    if (rateId) *rateId = id;
    return menu::BitRateForId(id);
}

int FrameMenus::SelectedFadeId() const {
    return CheckedOr(fade_, menu::kFadeDefault);
}

int FrameMenus::SelectedVolumeId() const {
    return CheckedOr(volume_, menu::kVolumeKeep);
}

int FrameMenus::SelectedEqId() const {
    return CheckedOr(eq_, menu::kEqDefault);
}

int FrameMenus::SelectedRepairId() const {
    return CheckedOr(repair_, menu::kRepairDefault);
}

void FrameMenus::CheckRepair(int id) {
    Check(m_repairMenu, repair_, repair_.Contains(id) ? id : menu::kRepairDefault);
}

float FrameMenus::TrebleBoostLevel() const {
    return menu::BoostLevelForEqId(eq_.checked.load());
}

bool FrameMenus::Normalize() const {
    return SelectedVolumeId() == menu::kVolumeNormalize;
}

bool FrameMenus::CdAudio() const {
    return cdAudio_.load();
}

void FrameMenus::CheckCdAudio(bool checked) {
    m_volumeMenu->Check(kIdCdAudio, checked);
    cdAudio_.store(checked);
}

ProcessingSettings FrameMenus::Processing() const {
    ProcessingSettings settings = settings::ProcessingFromIds(
        CheckedOr(rate_, menu::kRateDefault), SelectedFadeId(), SelectedVolumeId(), SelectedEqId());
    settings.cdAudio = CdAudio();
    settings.repairLevel = menu::RepairLevelForId(SelectedRepairId());
    return settings;
}
