#pragma once
// The background panel that carries the main window's controls: it draws the background
// picture and the white area captions in its erase-background handler. GUI thread only.

#include <wx/bitmap.h>
#include <wx/panel.h>

#include <functional>

class wxDC;

/// One painted caption: text, point size and position in dialog units.
struct Caption {
    const char* text;
    int points;
    int x;
    int y;
};

/// The captions the panel paints, in painting order.
extern const Caption kCaptions[];
extern const int kCaptionCount;

/// Fill beneath the picture, and instead of it when "mainback.jpg" is missing: dark
/// enough for the white captions.
extern const wxColour kBackgroundFill;

class imgPanel : public wxPanel {
  public:
    /// Loads "mainback.jpg" from the install folder; a missing picture is not reported.
    imgPanel(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size,
             long style, const wxString& name);

    bool HasBackgroundPicture() const { return m_background.IsOk(); }

    /// Paints the background and the captions on `dc` (the panel's client coordinates). The
    /// picture is drawn as it is; on a panel larger than it, stretched to cover it.
    void PaintBackground(wxDC& dc);

    /// Who takes the panel's mouse events (those the canvas over it forwards too): the
    /// window's waveform view. Null: nobody.
    void OnMouse(std::function<void(wxMouseEvent&)> handler) { m_onMouse = std::move(handler); }

  private:
    void OnEraseBackground(wxEraseEvent& event);
    void HandleMouse(wxMouseEvent& event);

    wxBitmap m_background;
    /// The picture stretched over a panel larger than it (the window made larger).
    wxBitmap m_stretched;
    std::function<void(wxMouseEvent&)> m_onMouse;
};
