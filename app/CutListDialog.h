#pragma once
// "Cut list": each side's cuts with their times ("m:ss.d") and the length of the song each
// one ends, to change, add and remove by typing a time. It stays open beside the window:
// the waveform follows the list (every edit is an undo step and repaints it; a chosen cut
// becomes the playhead), and the list follows the waveform (it reloads after every change
// of the cuts). No edit while a job runs. GUI thread only.

#include <wx/dialog.h>

#include <functional>
#include <string>

#include "app/Playhead.h"
#include "model/Side.h"

class FrameJobs;
class FrameSides;
class wxButton;
class wxChoice;
class wxListCtrl;
class wxListEvent;
class wxStaticText;
class wxTextCtrl;

class CutListDialog : public wxDialog {
  public:
    /// The list of `sides`; edits refused while `jobs` runs one; a chosen cut moves
    /// `playhead`. All must outlive the dialog.
    CutListDialog(wxWindow* parent, FrameSides& sides, const FrameJobs& jobs, Playhead& playhead);

    /// Shows `side`'s cuts.
    void ShowSide(Side side);
    /// The rows from the sides as they are now, keeping the chosen row where it still is.
    void Reload();

    /// Adds a cut at the typed time.
    void AddTyped();
    /// Moves the chosen cut to the typed time.
    void ChangeChosen();
    void RemoveChosen();

    // The controls, for tests.
    wxChoice* m_side = nullptr;
    wxListCtrl* m_list = nullptr;
    wxTextCtrl* m_time = nullptr;
    wxButton* m_add = nullptr;
    wxButton* m_change = nullptr;
    wxButton* m_remove = nullptr;
    wxStaticText* m_message = nullptr;  ///< why an edit was refused, else empty

  private:
    Side CurrentSide() const;
    /// The chosen row's cut index; -1 when none (or the end row) is chosen.
    int ChosenCut() const;
    /// Runs `edit` as one undo step unless a job runs; shows what it says went wrong.
    void Edit(const std::function<std::string()>& edit);
    void OnChosen(wxListEvent& event);
    void OnTimeEnter(wxCommandEvent& event);

    FrameSides& m_sides;
    const FrameJobs& m_jobs;
    Playhead& m_playhead;
    bool m_reloading = false;  ///< rows chosen again by Reload move no playhead
};
