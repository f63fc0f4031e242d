#include "app/SmartSenseChoice.h"

#include <wx/choice.h>

#include "app/Prompter.h"
#include "app/SmartSenseDialog.h"
#include "model/CutMethod.h"

SmartSenseChoice::SmartSenseChoice(wxWindow& parent, wxChoice& cutsHow, Prompter& prompts)
    : parent_(parent),
      cutsHow_(cutsHow),
      prompts_(prompts),
      minSongSeconds_(static_cast<int>(kDefaultMinSongSeconds)) {
    cutsHow.Append("Smart Sense");
    cutsHow.Append("Smart Sense settings...");
    shown_ = cutsHow.GetSelection();
    cutsHow.Bind(wxEVT_CHOICE, &SmartSenseChoice::OnChoice, this);
}

SmartSenseChoice::~SmartSenseChoice() {
    cutsHow_.Unbind(wxEVT_CHOICE, &SmartSenseChoice::OnChoice, this);
}

std::optional<int> SmartSenseChoice::SongCount(Side side) const {
    const int n = songs_[model::Index(side)].load();
    return n > 0 ? std::optional<int>(n) : std::nullopt;
}

void SmartSenseChoice::Set(int side1Songs, int side2Songs, int minSongSeconds, bool trim) {
    songs_[0] = side1Songs;
    songs_[1] = side2Songs;
    minSongSeconds_ = minSongSeconds;
    trim_ = trim;
}

void SmartSenseChoice::OnChoice(wxCommandEvent& event) {
    if (event.GetSelection() != kSettingsItem) {
        shown_ = event.GetSelection();
        event.Skip();
        return;
    }
    // The method stays what it was while the dialog is open: a job may read it meanwhile.
    cutsHow_.SetSelection(shown_);
    SmartSenseDialog dialog(&parent_, SongCount(Side::One), SongCount(Side::Two),
                            minSongSeconds_.load(), trim_.load());
    if (prompts_.RunModal(dialog) != wxID_OK) return;
    Set(dialog.SongCount(Side::One).value_or(0), dialog.SongCount(Side::Two).value_or(0),
        dialog.MinSongSeconds(), dialog.Trim());
    shown_ = static_cast<int>(CutMethod::SmartSense);
    cutsHow_.SetSelection(shown_);
}
