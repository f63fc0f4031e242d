#include "waveview/ListenDialog.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include "waveview/ListenCanvas.h"
#include "waveview/ListenWindow.h"

namespace {

const wxSize kDialogSize(640, 400);
const wxPoint kCanvasAt(7, 140);
constexpr int kButtonY = 340;
constexpr int kButtonHeight = 24;
constexpr int kSmallestButtonPoints = 7;
constexpr int kShiftColumns = 10;  // the arrow keys with Shift

}  // namespace

ListenDialog::ListenDialog(wxWindow* parent, const ListenTarget& target, float r)
    : wxDialog(parent, wxID_ANY, "Listen", wxDefaultPosition, kDialogSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "dialog"),
      m_target(target),
      m_player(*target.settings) {
    const SideState& side = *m_target.state;
    ListenView view;
    view.side = m_target.side;
    view.cutIndex = waveview::ListenCutIndex(side, r);
    view.songA = view.cutIndex + 1;
    view.songB = view.cutIndex + 2;
    view.path = m_target.path;
    view.repairLevel = m_target.settings->Processing().repairLevel;
    view.startFrame =
        waveview::ListenStartFrame(side.cuts[view.cutIndex], waveview::ListenRate(view.path));
    m_openedCut = side.cuts[view.cutIndex];
    const wxString A = wxString::Format("%d", view.songA);
    const wxString B = wxString::Format("%d", view.songB);

    new wxStaticText(this, wxID_ANY, "End of song " + A + ".\nBeginning of song " + B + ".",
                     wxPoint(7, 10), wxDefaultSize, 0, "staticText");
    new wxStaticText(this, wxID_ANY,
                     "Please click in the waveform window to move the cut between song " + A +
                         " and song " + B + ".\n\nYou may listen to how song " + A +
                         " ends and song " + B +
                         " begins by clicking on the listen buttons.\nMake the changes "
                         "permanent by clicking on OK.",
                     wxPoint(7, 50), wxDefaultSize, 0, "staticText");
    auto button = [this](const wxString& label, int x, int width) {
        auto* b = new wxButton(this, wxID_ANY, label, wxPoint(x, kButtonY),
                               wxSize(width, kButtonHeight), 0, wxDefaultValidator, "button");
        // The boxes were sized for a smaller system font: shrink a label that would be cut.
        wxFont font = b->GetFont();
        while (b->GetBestSize().x > width && font.GetPointSize() > kSmallestButtonPoints) {
            font.SetPointSize(font.GetPointSize() - 1);
            b->SetFont(font);
            b->InvalidateBestSize();
        }
        return b;
    };
    m_okButton = button("OK", 7, 60);
    m_cancelButton = button("Cancel", 77, 60);
    m_listenEnd = button("Listen to the end of song " + A, 147, 180);
    m_listenBeginning = button("Listen to the beginning of song " + B, 337, 180);
    m_stopButton = button("Stop playing", 527, 90);
    m_canvas = new ListenCanvas(this, kCanvasAt, std::move(view));

    Bind(wxEVT_BUTTON, &ListenDialog::OnButton, this);
    Bind(wxEVT_CLOSE_WINDOW, &ListenDialog::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, &ListenDialog::OnCharHook, this);
    m_okButton->SetDefault();
}

ListenDialog::~ListenDialog() {
    m_player.Stop();
}

void ListenDialog::OnButton(wxCommandEvent& event) {
    m_player.Stop();
    const wxObject* source = event.GetEventObject();
    const Side side = m_canvas->side();
    if (source == m_listenEnd || source == m_listenBeginning) {
        const bool endMode = source == m_listenEnd;
        const ListenAudio& audio = m_canvas->Audio();
        const ListenStretch stretch =
            endMode ? waveview::EndOfSongStretch(m_canvas->markerX(), audio.sampleRate)
                    : waveview::BeginningOfSongStretch(m_canvas->markerX(), audio.sampleRate);
        m_player.Play(audio.left.data() + stretch.first, audio.right.data() + stretch.first,
                      stretch.frames, endMode, side, audio.sampleRate);
    } else if (source == m_okButton) {
        const bool moved =
            waveview::ShiftCutIfStill(*m_target.state, m_canvas->cutIndex(), m_openedCut,
                                      waveview::CutShiftForMarker(m_canvas->markerX()));
        Finish(moved ? kListenOk : kListenCancel);
    } else if (source == m_cancelButton) {
        Finish(kListenCancel);
    } else if (source != m_stopButton) {
        // A cancel command from the dialog itself: the toolkit's own handling ends it.
        event.Skip();
    }
}

void ListenDialog::Press(wxButton* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

void ListenDialog::OnCharHook(wxKeyEvent& event) {
    const int step = event.ShiftDown() ? kShiftColumns : 1;
    switch (event.GetKeyCode()) {
        case WXK_LEFT:
            m_canvas->MoveMarker(-step);
            return;
        case WXK_RIGHT:
            m_canvas->MoveMarker(step);
            return;
        case 'E':
            Press(m_listenEnd);
            return;
        case 'B':
            Press(m_listenBeginning);
            return;
        case 'S':
            Press(m_stopButton);
            return;
        default:
            event.Skip();
    }
}

void ListenDialog::OnClose(wxCloseEvent& event) {
    // The close box: the toolkit ends the dialog with its cancel code, silent first.
    m_player.Stop();
    event.Skip();
}

void ListenDialog::Finish(int result) {
    if (IsModal())
        EndModal(result);
    else {
        SetReturnCode(result);
        Hide();
    }
}
