// File > Open... and File > Save...: the controls and menus to and from the settings file.

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/MyFrame.h"
#include "app/Prompter.h"
#include "app/SmartSenseChoice.h"
#include "app/WxText.h"
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

SettingsFields MyFrame::CollectSettings() const {
    SettingsFields s;
    s.lastPath = m_lastPath;
    s.side1Path = ToUtf8(i_textCtrl1->GetValue());
    s.side2Path = ToUtf8(i_textCtrl2->GetValue());
    s.cutsHow = m_cutsHow->GetSelection();
    s.silenceSeconds = ToUtf8(c_textCtrl1->GetValue());
    for (int n = 0; n < kTypedTimeFields; ++n)
        s.typedTimes[n] = ToUtf8(c_textCtrlTime[n]->GetValue());
    s.createEncoded = CheckValue(m_checkBox1);
    s.encoderKind = m_choice1->GetSelection();
    s.voiceAfterEncoding = CheckValue(m_checkBox2);
    s.deleteSlices = CheckValue(m_checkBox3);
    s.voiceAfterSlicing = CheckValue(w_checkBox1);
    SelectedBitRate(&s.rateId);
    s.fadeId = SelectedFadeId();
    s.volumeId = SelectedVolumeId();
    s.eqId = SelectedEqId();
    return s;
}

void MyFrame::ApplySettings(const SettingsFields& s) {
    SetLastPath(s.lastPath);
    i_textCtrl1->ChangeValue(FromUtf8(s.side1Path));
    i_textCtrl2->ChangeValue(FromUtf8(s.side2Path));
    // The item that opens the Smart Sense dialog is no method.
    SelectOrClear(m_cutsHow, s.cutsHow == SmartSenseChoice::kSettingsItem ? -1 : s.cutsHow);
    c_textCtrl1->ChangeValue(FromUtf8(s.silenceSeconds));
    for (int n = 0; n < kTypedTimeFields; ++n)
        c_textCtrlTime[n]->ChangeValue(FromUtf8(s.typedTimes[n]));
    m_checkBox1->SetValue(s.createEncoded != 0);
    SelectOrClear(m_choice1, s.encoderKind);
    m_checkBox2->SetValue(s.voiceAfterEncoding != 0);
    m_checkBox3->SetValue(s.deleteSlices != 0);
    w_checkBox1->SetValue(s.voiceAfterSlicing != 0);
    CheckInGroup(m_rateMenu, m_rateGroup, s.rateId);
    CheckInGroup(m_fadesMenu, m_fadeGroup, s.fadeId);
    CheckInGroup(m_volumeMenu, m_volumeGroup, s.volumeId);
    CheckInGroup(m_eqMenu, m_eqGroup, s.eqId);
    RetuneTreble();
}

bool MyFrame::LoadSettingsFile(const std::string& path) {
    platform::FilePtr in = platform::OpenFile(path, "r");
    if (!in) {
        m_prompter->Message(this,
                            "Couldn't open the settings. Please check that the folder/file isn't "
                            "read protected!",
                            "Couldn't open!", wxOK | wxICON_WARNING);
        return false;
    }
    ApplySettings(ReadSettings(in.get()));
    return true;
}

void MyFrame::OnOpenSettings(wxCommandEvent&) {
    FileRequest request;
    request.message = "Open Settings";
    request.defaultDir = LastFolder();
    request.wildcard = kSettingsWildcard;
    const wxString path = m_prompter->ChooseFile(this, request);
    if (!path.empty()) LoadSettingsFile(ToUtf8(path));
}

void MyFrame::OnSaveSettings(wxCommandEvent&) {
    FileRequest request;
    request.message = "Save Settings";
    request.defaultDir = LastFolder();
    request.wildcard = kSettingsWildcard;
    request.save = true;
    const wxString path = m_prompter->ChooseFile(this, request);
    if (path.empty()) return;
    // Written beside the target and renamed over it: a failed save keeps the old file.
    if (!SaveSettingsFile(ToUtf8(path), CollectSettings()))
        m_prompter->Message(this,
                            "Couldn't save the settings. Please check that the folder/file isn't "
                            "write protected!",
                            "Couldn't save!", wxOK | wxICON_WARNING);
}
