#include "app/BackdropPanel.h"

#include <wx/dcclient.h>

#include "app/ImgPanel.h"

BackdropPanel::BackdropPanel(wxWindow* frame, imgPanel& backdrop, const wxRect& rect,
                             const wxString& name)
    : wxPanel(frame, wxID_ANY, rect.GetPosition(), rect.GetSize(), wxTAB_TRAVERSAL, name),
      m_backdrop(backdrop) {
    SetBackgroundColour(kBackgroundFill);
    Bind(wxEVT_ERASE_BACKGROUND, &BackdropPanel::OnEraseBackground, this);
}

void BackdropPanel::OnEraseBackground(wxEraseEvent& event) {
    // The main panel's picture, moved so that its pixels meet the panel's around this one.
    const wxPoint offset = m_backdrop.ScreenToClient(ClientToScreen(wxPoint(0, 0)));
    const auto paint = [&](wxDC& dc) {
        dc.SetDeviceOrigin(-offset.x, -offset.y);
        m_backdrop.PaintBackground(dc);
        dc.SetDeviceOrigin(0, 0);
    };
    if (wxDC* dc = event.GetDC()) {
        paint(*dc);
        return;
    }
    wxClientDC dc(this);
    paint(dc);
}
