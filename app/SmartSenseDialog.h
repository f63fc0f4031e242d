#pragma once
// The "Smart Sense" dialog: the number of songs on each side when the user knows it, and
// the shortest song. GUI thread only.

#include <wx/dialog.h>

#include <optional>

#include "model/Side.h"

class wxSpinCtrl;

class SmartSenseDialog : public wxDialog {
  public:
    /// Shows the given choices; a song count of nullopt shows as 0 ("find out").
    SmartSenseDialog(wxWindow* parent, std::optional<int> side1, std::optional<int> side2,
                     int minSongSeconds);

    std::optional<int> SongCount(Side side) const;  ///< nullopt for 0
    int MinSongSeconds() const;

    wxSpinCtrl* m_songs[2] = {};  ///< side 1, side 2; 0 = not known
    wxSpinCtrl* m_minSong = nullptr;
};
