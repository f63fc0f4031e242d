#include "app/SettingsCommands.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/FrameControls.h"
#include "app/FrameMenus.h"
#include "app/LastPath.h"
#include "app/Prompter.h"
#include "app/SmartSenseChoice.h"
#include "app/WxText.h"
#include "audio/Recorder.h"
#include "platform/File.h"

namespace {

const char* const kSettingsWildcard = "*.lpx";

int CheckValue(const wxCheckBox* box) {
    return box->GetValue() ? 1 : 0;
}

// Any value that names no item (-1 from a damaged file, or too large) clears the choice.
void SelectOrClear(wxChoice* choice, int selection) {
    const bool valid = selection >= 0 && static_cast<unsigned>(selection) < choice->GetCount();
    choice->SetSelection(valid ? selection : wxNOT_FOUND);
}

}  // namespace

SettingsCommands::SettingsCommands(wxFrame& frame, const FrameControls& controls, FrameMenus& menus,
                                   LastPath& lastPath, Prompter& prompts,
                                   std::function<void()> eqApplied)
    : frame_(frame),
      controls_(controls),
      menus_(menus),
      lastPath_(lastPath),
      prompts_(prompts),
      eqApplied_(std::move(eqApplied)) {
    frame.Bind(wxEVT_MENU, &SettingsCommands::OnOpen, this, kIdOpenSettings);
    frame.Bind(wxEVT_MENU, &SettingsCommands::OnSave, this, kIdSaveSettings);
}

SettingsFields SettingsCommands::Collect() const {
    const FrameControls& c = controls_;
    const FrameMenus& menus = menus_;
    SettingsFields s;
    s.lastPath = lastPath_.Value();
    s.side1Path = app::ToUtf8(c.i_textCtrl1->GetValue());
    s.side2Path = app::ToUtf8(c.i_textCtrl2->GetValue());
    s.cutsHow = c.m_cutsHow->GetSelection();
    s.silenceSeconds = app::ToUtf8(c.c_textCtrl1->GetValue());
    for (int n = 0; n < kTypedTimeFields; ++n)
        s.typedTimes[n] = app::ToUtf8(c.c_textCtrlTime[n]->GetValue());
    s.createEncoded = CheckValue(c.m_checkBox1);
    s.encoderKind = c.m_choice1->GetSelection();
    s.voiceAfterEncoding = CheckValue(c.m_checkBox2);
    s.deleteSlices = CheckValue(c.m_checkBox3);
    s.voiceAfterSlicing = CheckValue(c.w_checkBox1);
    menus.SelectedBitRate(&s.rateId);
    s.fadeId = menus.SelectedFadeId();
    s.volumeId = menus.SelectedVolumeId();
    s.eqId = menus.SelectedEqId();
    s.cdAudio = menus.CdAudio() ? 1 : 0;
    s.repairStrength = menu::RepairLevelForId(menus.SelectedRepairId());
    s.recordRate = static_cast<int>(menus.recordingFormat.sampleRate);
    s.recordBits = menus.recordingFormat.BitsPerSample();
    return s;
}

void SettingsCommands::Apply(const SettingsFields& s) {
    const FrameControls& c = controls_;
    lastPath_.Set(s.lastPath);
    c.i_textCtrl1->ChangeValue(app::FromUtf8(s.side1Path));
    c.i_textCtrl2->ChangeValue(app::FromUtf8(s.side2Path));
    // The item that opens the Smart Sense dialog is no method.
    SelectOrClear(c.m_cutsHow, s.cutsHow == SmartSenseChoice::kSettingsItem ? -1 : s.cutsHow);
    c.c_textCtrl1->ChangeValue(app::FromUtf8(s.silenceSeconds));
    for (int n = 0; n < kTypedTimeFields; ++n)
        c.c_textCtrlTime[n]->ChangeValue(app::FromUtf8(s.typedTimes[n]));
    c.m_checkBox1->SetValue(s.createEncoded != 0);
    SelectOrClear(c.m_choice1, s.encoderKind);
    c.m_checkBox2->SetValue(s.voiceAfterEncoding != 0);
    c.m_checkBox3->SetValue(s.deleteSlices != 0);
    c.w_checkBox1->SetValue(s.voiceAfterSlicing != 0);
    menus_.CheckIds(s.rateId, s.fadeId, s.volumeId, s.eqId);
    menus_.CheckCdAudio(s.cdAudio == 1);
    menus_.CheckRepair(menu::RepairIdForLevel(s.repairStrength));
    menus_.recordingFormat = audio::RecordingFormatOf(s.recordRate, s.recordBits);
    if (eqApplied_) eqApplied_();
}

bool SettingsCommands::Load(const std::string& path) {
    platform::FilePtr in = platform::OpenFile(path, "r");
    if (!in) {
        prompts_.Message(&frame_,
                         "Couldn't open the settings. Please check that the folder/file "
                         "isn't read protected!",
                         "Couldn't open!", wxOK | wxICON_WARNING);
        return false;
    }
    Apply(settings::ReadSettings(in.get()));
    return true;
}

void SettingsCommands::OnOpen(wxCommandEvent&) {
    FileRequest request;
    request.message = "Open Settings";
    request.defaultDir = lastPath_.Folder();
    request.wildcard = kSettingsWildcard;
    const wxString path = prompts_.ChooseFile(&frame_, request);
    if (!path.empty()) Load(app::ToUtf8(path));
}

void SettingsCommands::OnSave(wxCommandEvent&) {
    FileRequest request;
    request.message = "Save Settings";
    request.defaultDir = lastPath_.Folder();
    request.wildcard = kSettingsWildcard;
    const wxString path = app::ChooseSaveFile(prompts_, &frame_, request);
    if (path.empty()) return;
    // Written beside the target and renamed over it: a failed save keeps the old file.
    if (!settings::SaveSettingsFile(app::ToUtf8(path), Collect()))
        prompts_.Message(&frame_,
                         "Couldn't save the settings. Please check that the folder/file "
                         "isn't write protected!",
                         "Couldn't save!", wxOK | wxICON_WARNING);
}
