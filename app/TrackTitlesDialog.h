#pragma once
// "Track titles...": the album fields and one editable row per track of each side (title,
// and the track's artist when it is not the album's). A side shows at least as many rows
// as it has slices, plus an empty row at the end that grows the list when typed into.
// GUI thread only.

#include <wx/dialog.h>

#include <array>

#include "album/Album.h"
#include "model/Side.h"

class wxGrid;
class wxGridEvent;
class wxTextCtrl;

class wxCheckBox;

class TrackTitlesDialog : public wxDialog {
  public:
    /// `rows[s]`: how many slices side s+1 has now (0 when not known).
    TrackTitlesDialog(wxWindow* parent, const AlbumInfo& album, std::array<int, 2> rows);

    /// What the dialog holds now, a cell being edited included; empty rows at the end of a
    /// side left out.
    AlbumInfo Album() const;

    // The controls (window names "albumArtist", "albumTitle", "albumYear", "albumGenre",
    // "side1Tracks", "side2Tracks", "keepTitleCharacters").
    wxTextCtrl* artist = nullptr;
    wxTextCtrl* title = nullptr;
    wxTextCtrl* year = nullptr;
    wxTextCtrl* genre = nullptr;
    std::array<wxGrid*, 2> tracks{};
    /// Keep characters a memory stick refuses (? : * " < > | \ and trailing dots) in the
    /// file names; unchecked, they are replaced.
    wxCheckBox* keepCharacters = nullptr;

  private:
    void OnCellChanged(wxGridEvent& event);
    /// Row labels A1, A2, ... / B1, B2, ...
    void LabelRows(Side side);
};
