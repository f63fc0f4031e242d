#pragma once
// Small helpers shared by the waveform canvas tests.

#include <wx/colour.h>
#include <wx/image.h>

#include "app/MyFrame.h"

/// Adds 1 to `counter` at each paint of the frame's canvas, for the life of the frame
/// (`counter` must live as long).
inline void CountCanvasPaints(MyFrame& frame, int& counter) {
    frame.Controls().m_canvas->Bind(wxEVT_PAINT, [&counter](wxPaintEvent& event) {
        ++counter;
        event.Skip();
    });
}

inline wxColour PixelAt(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}
