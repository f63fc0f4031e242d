#include "waveview/CanvasGeometry.h"

CanvasClick waveview::ClassifyClick(const CanvasGeometry& g, int x, int y) {
    using Area = CanvasClick::Area;
    if (y >= g.cy && y < g.cy + g.band) return {Area::ListenBand, Side::One};
    if (y >= g.cy + g.half && y < g.cy + g.half + g.band) return {Area::ListenBand, Side::Two};
    if (x < g.cx || x > g.cx + g.width) return {};
    if (y >= g.cy + g.band && y <= g.cy + g.half) return {Area::Waveform, Side::One};
    if (y >= g.cy + g.half + g.band && y <= g.cy + g.height) return {Area::Waveform, Side::Two};
    return {};
}

float waveview::CanvasFraction(const CanvasGeometry& g, int x, int shift) {
    return static_cast<float>(x - g.cx + shift) / static_cast<float>(g.width);
}
