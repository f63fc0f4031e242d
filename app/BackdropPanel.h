#pragma once
// A panel over part of the main panel that shows the main panel's background (picture and
// captions) beneath its own controls, so that they sit on the window's ground as the main
// panel's do. Controls the window gained (the transport, the recording display, the scroll
// bar) live on such panels: the toolkit draws a control inside its parent's window, and
// the main panel would cover them were they the frame's own. GUI thread only.

#include <wx/panel.h>

class imgPanel;
class wxEraseEvent;

class BackdropPanel : public wxPanel {
  public:
    /// A panel on `frame` at `rect` (frame client pixels) over `backdrop`.
    BackdropPanel(wxWindow* frame, imgPanel& backdrop, const wxRect& rect, const wxString& name);

  private:
    void OnEraseBackground(wxEraseEvent& event);

    imgPanel& m_backdrop;
};
