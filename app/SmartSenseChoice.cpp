#include "app/SmartSenseChoice.h"

#include <wx/choice.h>

#include "app/MyFrame.h"
#include "app/SmartSenseDialog.h"
#include "model/CutMethod.h"

SmartSenseChoice::SmartSenseChoice(MyFrame& frame)
    : frame_(frame), minSongSeconds_(static_cast<int>(kDefaultMinSongSeconds)) {
    frame.Controls().m_cutsHow->Append("Smart Sense");
    frame.Controls().m_cutsHow->Append("Smart Sense settings...");
    shown_ = frame.Controls().m_cutsHow->GetSelection();
    frame.Controls().m_cutsHow->Bind(wxEVT_CHOICE, &SmartSenseChoice::OnChoice, this);
}

SmartSenseChoice::~SmartSenseChoice() {
    frame_.Controls().m_cutsHow->Unbind(wxEVT_CHOICE, &SmartSenseChoice::OnChoice, this);
}

std::optional<int> SmartSenseChoice::SongCount(Side side) const {
    const int n = songs_[Index(side)].load();
    return n > 0 ? std::optional<int>(n) : std::nullopt;
}

void SmartSenseChoice::Set(int side1Songs, int side2Songs, int minSongSeconds) {
    songs_[0] = side1Songs;
    songs_[1] = side2Songs;
    minSongSeconds_ = minSongSeconds;
}

void SmartSenseChoice::OnChoice(wxCommandEvent& event) {
    wxChoice* choice = frame_.Controls().m_cutsHow;
    if (event.GetSelection() != kSettingsItem) {
        shown_ = event.GetSelection();
        event.Skip();
        return;
    }
    // The method stays what it was while the dialog is open: a job may read it meanwhile.
    choice->SetSelection(shown_);
    SmartSenseDialog dialog(&frame_, SongCount(Side::One), SongCount(Side::Two),
                            minSongSeconds_.load());
    if (frame_.Prompts().RunModal(dialog) != wxID_OK) return;
    Set(dialog.SongCount(Side::One).value_or(0), dialog.SongCount(Side::Two).value_or(0),
        dialog.MinSongSeconds());
    shown_ = static_cast<int>(CutMethod::SmartSense);
    choice->SetSelection(shown_);
}
