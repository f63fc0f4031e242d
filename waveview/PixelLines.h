#pragma once
// Horizontal and vertical one-pixel lines that cover exactly the pixels of the classic line
// primitive: from the start point up to, but leaving out, the end point. The toolkit's own
// DrawLine on an anti-aliased device (GTK 3) smears both ends over neighbouring pixels, so
// the lines are filled as 1-pixel-wide rectangles instead. GUI thread only.

#include <wx/colour.h>

class wxDC;

class PixelLines {
  public:
    explicit PixelLines(wxDC& dc);
    ~PixelLines();
    PixelLines(const PixelLines&) = delete;
    PixelLines& operator=(const PixelLines&) = delete;

    void SetColour(const wxColour& colour);
    /// (x1,y1) to (x2,y2) without the end point; a line of length 0 draws nothing. Only
    /// x1 == x2 or y1 == y2 is drawn; any other line draws nothing.
    void Line(int x1, int y1, int x2, int y2);

  private:
    wxDC& dc_;
};
