#pragma once
// The listen dialog: ten seconds of a side around the cut nearest a click in the side's
// listen band. The user hears how one song ends and the next begins, moves the marker by
// clicking in the picture, and OK moves the cut by up to five seconds either way. From the
// keyboard: the arrow keys move the marker (a column, ten with Shift), E and B play the end
// and the beginning, S stops, Enter is OK and Escape cancels.
// GUI thread only.

#include <wx/dialog.h>

#include <string>

#include "model/Side.h"
#include "model/SideState.h"
#include "waveview/PreviewPlayer.h"

class ListenCanvas;
class wxButton;

/// The side a listen dialog works on, as the main window holds it.
struct ListenTarget {
    Side side = Side::One;
    SideState* state = nullptr;  ///< its cuts; OK moves one of them
    std::string path;            ///< its WAV file (UTF-8)
    /// What playback reads at every callback; must outlive the dialog.
    const PlaybackSettings* settings = nullptr;
};

/// The dialog's modal result when OK moved the cut (the caller repaints the waveforms).
constexpr int kListenOk = 1;
/// The result of Cancel; the close box gives the toolkit's cancel code instead.
constexpr int kListenCancel = 0;

class ListenDialog : public wxDialog {
  public:
    /// Builds the dialog for `target` around the place `r` along the side (0 = its start,
    /// 1 = its end, as the left and right edges of a fitted canvas; values outside are
    /// allowed). `target.state` must have
    /// at least one cut.
    ListenDialog(wxWindow* parent, const ListenTarget& target, float r);
    ~ListenDialog() override;  ///< stops playback before the samples go away

    /// Stops playback; the main window calls it when it closes under the dialog.
    void StopPlayback() { m_player.Stop(); }
    bool IsPlaying() const { return m_player.IsPlaying(); }

    // The controls, for the main window's close hook and for tests.
    wxButton* m_listenEnd = nullptr;        ///< "Listen to the end of song " A
    wxButton* m_listenBeginning = nullptr;  ///< "Listen to the beginning of song " B
    wxButton* m_stopButton = nullptr;       ///< "Stop playing"
    wxButton* m_okButton = nullptr;
    wxButton* m_cancelButton = nullptr;
    ListenCanvas* m_canvas = nullptr;

  private:
    void OnButton(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    /// Handles a click of `button` as the button itself would.
    void Press(wxButton* button);
    void OnClose(wxCloseEvent& event);
    void Finish(int result);

    ListenTarget m_target;
    std::int32_t m_openedCut = 0;  ///< the cut's value when the dialog opened
    PreviewPlayer m_player;
};
