#pragma once
// The "Smart Sense" dialog: the number of songs on each side when the user knows it, the
// shortest song, and whether the lead-in and run-out are left out of the slices. GUI thread
// only.

#include <wx/dialog.h>

#include <optional>

#include "model/Side.h"

class wxCheckBox;
class wxSpinCtrl;

class SmartSenseDialog : public wxDialog {
  public:
    /// Shows the given choices; a song count of nullopt shows as 0 ("find out").
    SmartSenseDialog(wxWindow* parent, std::optional<int> side1, std::optional<int> side2,
                     int minSongSeconds, bool trim);

    std::optional<int> SongCount(Side side) const;  ///< nullopt for 0
    int MinSongSeconds() const;
    bool Trim() const;  ///< "Trim lead-in and run-out"

    wxSpinCtrl* m_songs[2] = {};  ///< side 1, side 2; 0 = not known
    wxSpinCtrl* m_minSong = nullptr;
    wxCheckBox* m_trim = nullptr;
};
