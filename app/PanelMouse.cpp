// The panel's mouse handler: clicks over the waveform canvas edit the cut lists or open
// the listen dialog. GUI thread.

#include <wx/event.h>

#include "app/ImgPanel.h"
#include "app/MyFrame.h"
#include "waveview/CutEditing.h"
#include "waveview/MyCanvas.h"

namespace {

// A new cut lands this many pixels right of the pointer.
constexpr int kAddCutShift = 4;

}  // namespace

void imgPanel::OnMouse(wxMouseEvent& event) {
    event.Skip();
    // A quick second click at the same place comes as a double click: it counts all the
    // same (two quick right clicks remove two cuts).
    const bool left = event.LeftDown() || event.LeftDClick();
    if (!left && !event.RightDown() && !event.RightDClick()) return;
    auto* frame = dynamic_cast<MyFrame*>(GetParent());
    // A running job ("Draw waveforms" too) rewrites the cut lists: no edits meanwhile, and no
    // listen dialog over cuts that are about to change.
    if (!frame || !frame->m_canvas || !frame->m_idle) return;

    const CanvasGeometry geometry = MeasureCanvas(*frame);
    // The canvas's place is in the frame's client pixels; the panel's own border moves its
    // client origin away from the frame's.
    const wxPoint at = frame->ScreenToClient(ClientToScreen(event.GetPosition()));
    const int x = at.x;
    const CanvasClick click = ClassifyClick(geometry, x, at.y);
    if (click.area == CanvasClick::Area::None) return;
    SideState& side = frame->m_sides[click.side];

    if (click.area == CanvasClick::Area::ListenBand) {
        if (side.cutCount == 0) return;
        if (frame->OpenListenDialog(click.side, CanvasFraction(geometry, x)))
            frame->m_canvas->Refresh(true);
        return;
    }
    if (side.levelCount == 0) return;
    if (left)
        AddCut(side, CanvasFraction(geometry, x, kAddCutShift));
    else
        RemoveNearestCut(side, CanvasFraction(geometry, x));
    frame->m_canvas->Refresh(true);
}
