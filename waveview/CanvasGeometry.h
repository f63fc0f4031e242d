#pragma once
// Where the waveform canvas lies on the main window and what a click there means. All
// values are pixels of the frame's client area (the main panel covers it from its origin);
// they come from the frame's dialog-unit conversion and, once the window grows beyond its
// default size, from how much it grew (see MeasureCanvas in MyCanvas.h).

#include "model/Side.h"

namespace canvas_du {
constexpr int kLeft = 10;  ///< top-left corner of the canvas, dialog units
constexpr int kTop = 199;
constexpr int kWidth = 540;  ///< size of the canvas, dialog units
constexpr int kHeight = 100;
constexpr int kListenBand = 16;  ///< height of each side's clickable listen band
/// The window's client area at its default size; the canvas takes what the window grows
/// beyond it, in width and in height.
constexpr int kWindowWidth = 559;
constexpr int kWindowHeight = 306;
/// The strips around the canvas: the scroll bar and side 1's ruler above it, side 2's ruler
/// below it, each kStrip high.
constexpr int kScrollBarTop = 185;
constexpr int kStrip = 7;
}  // namespace canvas_du

struct CanvasGeometry {
    int cx = 0;  ///< top-left corner of the canvas
    int cy = 0;
    int width = 0;   ///< W
    int height = 0;  ///< H
    int half = 0;    ///< H / 2: side 1 owns rows 0..half, side 2 rows half..H-1
    int band = 0;    ///< height of a listen band
};

/// What a click at panel pixel (x, y) points at. Listen bands are tested first, so the row
/// cy + half belongs to side 2's listen band although it also closes side 1's waveform.
struct CanvasClick {
    enum class Area { None, ListenBand, Waveform };
    Area area = Area::None;
    Side side = Side::One;  ///< meaningless with Area::None
};

namespace waveview {

/// Listen bands span every x; waveform bands only cx..cx + W (both ends included).
CanvasClick ClassifyClick(const CanvasGeometry& geometry, int x, int y);

/// (x - cx + shift) / W as a float: the click's place across the canvas, 0 at its left
/// edge and 1 at its right; below 0 or above 1 outside it.
float CanvasFraction(const CanvasGeometry& geometry, int x, int shift = 0);

}  // namespace waveview
