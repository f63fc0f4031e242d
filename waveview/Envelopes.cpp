#include "waveview/Envelopes.h"

#include <wx/colour.h>
#include <wx/dc.h>

#include <algorithm>
#include <cmath>

#include "model/Side.h"
#include "waveview/ColumnEnvelope.h"
#include "waveview/PixelLines.h"

const wxColour kSide1Envelope(97, 148, 221);
const wxColour kSide2Envelope(221, 57, 33);
const wxColour kPlayheadColour(0, 170, 60);

namespace {

// Rows of the upper half above the envelope's lowest top (the listen band and its line).
constexpr int kSide1Top = 16;
constexpr int kSide2Top = 17;

// levels[index]; 0 past the stored levels or when not a number, and bounded so that the
// pixel arithmetic stays in range whatever the analysis left.
float LevelAt(const SideState& side, std::uint32_t index) {
    if (index >= side.levels.size()) return 0;
    const float level = side.levels[index];
    if (!std::isfinite(level)) return 0;
    return std::clamp(level, -100.0f, 100.0f);
}

void DrawEnvelope(PixelLines& lines, const SideState& s, bool upper, int W, int H, int half) {
    const std::uint32_t N = s.levelCount;
    const float step = static_cast<float>(N) / static_cast<float>(W);
    const float adv = std::max(step, 1.0f);
    // Each column runs from the envelope's top down to the bottom of its half.
    const int bottom = upper ? half : H - 1;

    int prevX = 1;
    int prevY = upper ? half - static_cast<int>(half * LevelAt(s, 0))
                      : H - static_cast<int>(half * LevelAt(s, 0)) - 2;
    for (float l = 0; l < static_cast<float>(N); l += adv) {
        float sum = 0;
        int terms = 0;
        float o = l;
        // Stopping at N as well changes no drawn bucket: one that reaches N is not drawn.
        for (; o < l + adv && o < static_cast<float>(N); o += 1) {
            sum += std::fabs(LevelAt(s, static_cast<std::uint32_t>(o)));
            ++terms;
        }
        if (!(l > 0 && o < static_cast<float>(N))) continue;
        const float avg = sum / static_cast<float>(terms);
        const int x1 = prevX + 1;
        const int x2 = static_cast<int>(l / step) + 1;
        const int newY = upper ? half - static_cast<int>((half - kSide1Top) * avg)
                               : H - static_cast<int>((half - kSide2Top) * avg) - 1;
        if (x2 >= x1) {
            const float slope = static_cast<float>(newY - prevY) / static_cast<float>(x2 - x1 + 1);
            for (int x = x1, k = 0; x <= x2; ++x, ++k) {
                const int y =
                    static_cast<int>(static_cast<float>(k) * slope + static_cast<float>(prevY));
                lines.Line(x, y, x, bottom);
            }
        }
        prevX = x2;
        prevY = newY;
    }
}

// A marker's black column down its side's waveform band.
void MarkerLine(PixelLines& lines, bool upper, int column, int half) {
    if (upper)
        lines.Line(column, 17, column, half);
    else
        lines.Line(column, half + 16, column, 2 * half - 1);
}

void DrawMarkers(PixelLines& lines, const SideState& s, bool upper, int W, int half) {
    lines.SetColour(*wxBLACK);
    for (const std::int32_t cut : s.cuts) {
        const float r =
            static_cast<float>(static_cast<std::uint32_t>(cut)) / static_cast<float>(s.levelCount);
        if (r == 0) continue;
        const float x = static_cast<float>(W) * r;
        // A cut read as unsigned may lie far beyond the right edge: nothing to draw there.
        if (!(x < static_cast<float>(W))) continue;
        MarkerLine(lines, upper, static_cast<int>(x), half);
    }
}

void DrawZoomedSide(PixelLines& lines, const SideState& s, const TimeView& view, bool upper, int W,
                    int H, int half) {
    const std::vector<float> heights = waveview::ColumnEnvelope(s, view, W);
    const int bottom = upper ? half : H - 1;
    for (int x = 1; x < W - 1; ++x) {
        const int y = upper ? half - static_cast<int>((half - kSide1Top) * heights[x])
                            : H - static_cast<int>((half - kSide2Top) * heights[x]) - 1;
        lines.Line(x, y, x, bottom);
    }
    lines.SetColour(*wxBLACK);
    for (std::uint32_t i = 0; i < std::min(s.cutCount, kMaxCuts); ++i) {
        const double column =
            std::floor(waveview::ColumnOf(view, static_cast<double>(s.cuts[i]) / s.levelCount, W));
        if (column >= 0 && column < W) MarkerLine(lines, upper, static_cast<int>(column), half);
    }
}

// `draw(lines, side, upper)` for each side that has levels, in its envelope's colour.
template <typename Draw>
void ForEachDrawnSide(wxDC& dc, const std::array<SideState, 2>& sides, Draw draw) {
    PixelLines lines(dc);
    for (const Side side : kSides) {
        const SideState& s = sides[model::Index(side)];
        if (s.levelCount == 0) continue;
        const bool upper = side == Side::One;
        lines.SetColour(upper ? kSide1Envelope : kSide2Envelope);
        draw(lines, s, upper);
    }
}

}  // namespace

void waveview::DrawSideEnvelopes(wxDC& dc, const std::array<SideState, 2>& sides, int W, int H,
                                 int half) {
    ForEachDrawnSide(dc, sides, [&](PixelLines& lines, const SideState& s, bool upper) {
        DrawEnvelope(lines, s, upper, W, H, half);
        DrawMarkers(lines, s, upper, W, half);
    });
}

void waveview::DrawZoomedSides(wxDC& dc, const std::array<SideState, 2>& sides,
                               const TimeView& view, int W, int H, int half) {
    ForEachDrawnSide(dc, sides, [&](PixelLines& lines, const SideState& s, bool upper) {
        DrawZoomedSide(lines, s, view, upper, W, H, half);
    });
}

void waveview::DrawPlayhead(wxDC& dc, Side side, int x, int H, int half) {
    PixelLines lines(dc);
    lines.SetColour(kPlayheadColour);
    const int top = side == Side::One ? kSide1Top + 1 : half + kSide1Top;
    const int bottom = side == Side::One ? half : H - 1;
    for (const int column : {x, x + 1}) lines.Line(column, top, column, bottom);
}
