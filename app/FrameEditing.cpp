#include "app/FrameEditing.h"

#include <wx/accel.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "app/BackdropPanel.h"
#include "app/CutListDialog.h"
#include "app/FrameControls.h"
#include "app/FrameJobs.h"
#include "app/FrameMenus.h"
#include "app/FrameSides.h"
#include "app/FrameTransport.h"
#include "app/FrameWaveforms.h"
#include "app/Playhead.h"

namespace {

constexpr double kKeyZoom = 2.0;

}  // namespace

FrameEditing::FrameEditing(wxFrame& frame, const FrameControls& controls, FrameSides& sides,
                           const FrameJobs& jobs, FrameWaveforms& waveforms,
                           FrameTransport& transport, Playhead& playhead)
    : frame_(frame),
      controls_(controls),
      sides_(sides),
      jobs_(jobs),
      waveforms_(waveforms),
      transport_(transport),
      playhead_(playhead) {
    frame.Bind(wxEVT_MENU, &FrameEditing::OnCommand, this, kIdUndo, kIdCutList);
    frame.Bind(wxEVT_MENU, &FrameEditing::OnCommand, this, kIdZoomIn, kIdZoomToFit);
    frame.Bind(wxEVT_MENU, &FrameEditing::OnCommand, this, kIdPlayPause, kIdPlayNextCut);
    frame.Bind(wxEVT_UPDATE_UI, &FrameEditing::OnUpdate, this, kIdUndo, kIdRedo);
    frame.Bind(wxEVT_CHAR_HOOK, &FrameEditing::OnCharHook, this);
    // Redo's second shortcut, as other programs have it.
    wxAcceleratorEntry redo(wxACCEL_CTRL, 'Y', kIdRedo);
    frame.SetAcceleratorTable(wxAcceleratorTable(1, &redo));
}

void FrameEditing::Undo() {
    if (!jobs_.Running()) sides_.Undo();
}

void FrameEditing::Redo() {
    if (!jobs_.Running()) sides_.Redo();
}

void FrameEditing::ShowCutList() {
    if (!cutList_) {
        cutList_ = new CutListDialog(&frame_, sides_, jobs_, playhead_);
        CutListDialog* list = cutList_;
        sides_.OnChanged([list] { list->Reload(); });
        // First over the window's top right corner, clear of the waveforms.
        const wxRect client(frame_.ClientToScreen(wxPoint(0, 0)), frame_.GetClientSize());
        list->Move(client.GetRight() - list->GetSize().x, client.GetTop());
    }
    cutList_->ShowSide(playhead_.Place() ? playhead_.Place()->side : Side::One);
    cutList_->Show();
    cutList_->Raise();
}

void FrameEditing::OnCommand(wxCommandEvent& event) {
    switch (event.GetId()) {
        case kIdUndo:
            Undo();
            break;
        case kIdRedo:
            Redo();
            break;
        case kIdCutList:
            ShowCutList();
            break;
        case kIdZoomIn:
            waveforms_.Zoom(kKeyZoom);
            break;
        case kIdZoomOut:
            waveforms_.Zoom(1 / kKeyZoom);
            break;
        case kIdZoomToFit:
            waveforms_.ZoomToFit();
            break;
        case kIdPlayPause:
            transport_.PlayPause();
            break;
        case kIdStopPlaying:
            transport_.Stop();
            break;
        case kIdPlayPreviousCut:
            transport_.PlayFromPreviousCut();
            break;
        case kIdPlayNextCut:
            transport_.PlayFromNextCut();
            break;
        default:
            event.Skip();
    }
}

void FrameEditing::OnUpdate(wxUpdateUIEvent& event) {
    const bool idle = !jobs_.Running();
    event.Enable(idle && (event.GetId() == kIdUndo ? sides_.CanUndo() : sides_.CanRedo()));
}

bool FrameEditing::FocusTakes(const wxWindow* focus, int key) const {
    if (!focus) return false;
    if (const auto* text = dynamic_cast<const wxTextCtrl*>(focus)) return text->IsEditable();
    if (dynamic_cast<const wxChoice*>(focus) || dynamic_cast<const wxListCtrl*>(focus)) return true;
    // The space bar presses a focused button or ticks a check box; the transport's buttons
    // leave it to playing and pausing.
    if (key == ' ' && (dynamic_cast<const wxCheckBox*>(focus) ||
                       (dynamic_cast<const wxButton*>(focus) &&
                        focus->GetParent() != controls_.m_transportPanel)))
        return true;
    return false;
}

void FrameEditing::OnCharHook(wxKeyEvent& event) {
    const int key = static_cast<int>(event.GetUnicodeKey());
    const bool plain = (event.GetModifiers() & (wxMOD_CONTROL | wxMOD_ALT | wxMOD_META)) == 0;
    if (!plain || key == WXK_NONE || FocusTakes(wxWindow::FindFocus(), key)) {
        event.Skip();
        return;
    }
    switch (key) {
        case ' ':
            transport_.PlayPause();
            return;
        case '+':
        case '=':
            waveforms_.Zoom(kKeyZoom);
            return;
        case '-':
            waveforms_.Zoom(1 / kKeyZoom);
            return;
        case '0':
            waveforms_.ZoomToFit();
            return;
        case '[':
            transport_.PlayFromPreviousCut();
            return;
        case ']':
            transport_.PlayFromNextCut();
            return;
        default:
            event.Skip();
    }
}
