// The waveform canvas's picture, painted into a bitmap for known levels and cuts, and as it
// appears on the screen.

#include <wx/app.h>
#include <wx/dcmemory.h>

#include <functional>

#include "tests/app/GuiTestSupport.h"
#include "tests/waveview/CanvasTestSupport.h"
#include "waveview/Envelopes.h"

namespace {

const wxColour kYellow(255, 255, 160);

SideState Levels(std::uint32_t count, const std::function<float(std::uint32_t)>& level) {
    SideState side;
    side.levelCount = count;
    for (std::uint32_t i = 0; i < count; ++i) side.levels.push_back(level(i));
    return side;
}

class CanvasPaintTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        g = waveview::MeasureCanvas(*frame);
        CountCanvasPaints(*frame, canvasPaints);
    }

    wxImage Paint() {
        wxBitmap bitmap(g.width, g.height);
        {
            wxMemoryDC dc(bitmap);
            frame->Controls().m_canvas->PaintWaveforms(dc);
        }
        return bitmap.ConvertToImage();
    }

    // What a canvas without envelopes or markers shows at (x, y), or nothing (an invalid
    // colour) where a caption may be.
    wxColour Background(int x, int y) const {
        const int W = g.width, H = g.height, half = g.half;
        if (x == 0 || x == W - 1 || y == 0 || y == H - 1) return *wxBLACK;
        if (y == half || y == 16 || y == half + 16) return *wxBLACK;
        if ((y >= 1 && y <= 15) || (y >= half + 1 && y <= half + 15)) {
            return InCaption(x, y) ? wxColour() : kYellow;
        }
        // Each half darkens to 100 just below its top and lightens to 254 at its bottom.
        const float v = static_cast<float>(y <= half ? y : y - half) / static_cast<float>(half);
        const int grey = 100 + static_cast<int>(std::floor(154.0 * v));
        return wxColour(grey, grey, grey);
    }

    bool InCaption(int x, int y) const {
        return x >= 5 && x < 5 + captionSize.x &&
               ((y >= 2 && y < 2 + captionSize.y) ||
                (y >= g.half + 2 && y < g.half + 2 + captionSize.y));
    }

    // Rows of column x in [top, bottom) that have `colour`.
    int CountInColumn(const wxImage& image, int x, int top, int bottom, const wxColour& colour) {
        int count = 0;
        for (int y = top; y < bottom; ++y) count += PixelAt(image, x, y) == colour;
        return count;
    }

    // The topmost row of column x in [top, bottom) with `colour`; bottom when none.
    int TopOf(const wxImage& image, int x, int top, int bottom, const wxColour& colour) {
        for (int y = top; y < bottom; ++y)
            if (PixelAt(image, x, y) == colour) return y;
        return bottom;
    }

    CanvasGeometry g;
    wxSize captionSize;
    int canvasPaints = 0;
};

TEST_F(CanvasPaintTest, WithoutLevelsOnlyBackgroundBandsCaptionsAndDividerAreDrawn) {
    // Cuts without levels are not shown either.
    frame->SideAt(Side::One).cuts[0] = 5;
    frame->SideAt(Side::One).cutCount = 1;
    const wxImage image = Paint();
    {
        wxMemoryDC dc;
        dc.SetFont(wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
        captionSize = dc.GetTextExtent(kListenCaptions[0]);
    }
    ASSERT_GT(captionSize.y, 5);
    ASSERT_LE(captionSize.y, 14) << "an 8-point caption fits its band";
    int wrong = 0, textPixels = 0;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) {
            const wxColour expected = Background(x, y);
            if (!expected.IsOk()) {
                textPixels += PixelAt(image, x, y) != kYellow;
            } else if (PixelAt(image, x, y) != expected && ++wrong <= 5) {
                ADD_FAILURE() << "pixel " << x << "," << y << " is "
                              << PixelAt(image, x, y).GetAsString() << ", not "
                              << expected.GetAsString();
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(textPixels, 2 * captionSize.x) << "both captions painted";
}

TEST_F(CanvasPaintTest, EnvelopesReachTheHeightOfTheirBucketsAndNoHigher) {
    const int W = g.width, H = g.height, half = g.half;
    // Side 1: fewer blocks than columns, quiet with one loud stretch (blocks 40..59); the
    // first block sets where the envelope starts.
    frame->SideAt(Side::One) = Levels(100, [](std::uint32_t i) {
        return i == 0 ? 0.5f : i >= 40 && i < 60 ? 0.9f : 0.1f;
    });
    // Side 2: four blocks per column, alternately 0 and 0.8 (a bucket's average is 0.4),
    // with a silent stretch (blocks 2000..2399).
    frame->SideAt(Side::Two) = Levels(4 * W, [](std::uint32_t i) {
        return i == 0 ? 0.8f : i >= 2000 && i < 2400 ? 0.0f : (i % 2 ? 0.8f : 0.0f);
    });
    const wxImage image = Paint();

    const int loudTop = half - static_cast<int>((half - 16) * 0.9f);
    const int quietTop = half - static_cast<int>((half - 16) * 0.1f);
    for (const int block : {45, 50, 55}) {
        SCOPED_TRACE(block);
        const int x = static_cast<int>(block * (W / 100.0));
        EXPECT_EQ(TopOf(image, x, 1, half, kSide1Envelope), loudTop);
        EXPECT_EQ(CountInColumn(image, x, loudTop, half, kSide1Envelope), half - loudTop);
    }
    for (const int block : {10, 25, 75, 90}) {
        SCOPED_TRACE(block);
        const int x = static_cast<int>(block * (W / 100.0));
        EXPECT_EQ(TopOf(image, x, 1, half, kSide1Envelope), quietTop);
    }
    // Between a quiet and a loud block the top edge climbs column by column.
    const int rise = static_cast<int>(39.5 * (W / 100.0));
    EXPECT_GT(TopOf(image, rise, 1, half, kSide1Envelope), loudTop);
    EXPECT_LT(TopOf(image, rise, 1, half, kSide1Envelope), quietTop);

    const int averagedTop = H - static_cast<int>((half - 17) * 0.4f) - 1;
    for (const int x : {50, 300, 800, W - 20}) {
        SCOPED_TRACE(x);
        EXPECT_EQ(TopOf(image, x, half + 1, H, kSide2Envelope), averagedTop);
        EXPECT_EQ(CountInColumn(image, x, averagedTop, H - 1, kSide2Envelope), H - 1 - averagedTop);
        EXPECT_EQ(CountInColumn(image, x, 1, half, kSide2Envelope), 0) << "side 2 stays below";
    }
    const int silent = 2200 / 4;
    EXPECT_EQ(CountInColumn(image, silent, half + 1, H, kSide2Envelope), 0);

    // The first bucket is not drawn: column 1 keeps the background, and the first column
    // drawn starts from the height of the first block alone.
    EXPECT_EQ(TopOf(image, 2, 17, half, kSide1Envelope), half - static_cast<int>(half * 0.5f));
    EXPECT_EQ(TopOf(image, 2, half + 17, H, kSide2Envelope), H - static_cast<int>(half * 0.8f) - 2);
    EXPECT_EQ(CountInColumn(image, 1, 1, H, kSide1Envelope), 0);
    EXPECT_EQ(CountInColumn(image, 1, 1, H, kSide2Envelope), 0);
    // Bands and their closing lines stay on top of nothing but the background.
    EXPECT_EQ(PixelAt(image, W / 2, 8), kYellow);
    EXPECT_EQ(PixelAt(image, W / 2, half + 8), kYellow);
    EXPECT_EQ(PixelAt(image, W / 2, 16), *wxBLACK);
    EXPECT_EQ(PixelAt(image, W / 2, half), *wxBLACK) << "the divider is drawn last";
}

TEST_F(CanvasPaintTest, MarkersAreBlackColumnsBelowTheBandsForCutsInsideTheSide) {
    const int W = g.width, H = g.height, half = g.half;
    frame->SideAt(Side::One) = Levels(1000, [](std::uint32_t) { return 0.0f; });
    frame->SideAt(Side::Two) = Levels(2000, [](std::uint32_t) { return 0.0f; });
    // Side 1: in use at 250 and 500; 1000 (the end) and -5 (read as unsigned) lie beyond
    // the right edge. Side 2: a cut at 1500 in slot 7, past slots that are free.
    const std::int32_t side1Cuts[] = {250, 500, 1000, -5};
    for (int i = 0; i < 4; ++i) frame->SideAt(Side::One).cuts[i] = side1Cuts[i];
    frame->SideAt(Side::One).cutCount = 2;
    frame->SideAt(Side::Two).cuts[7] = 1500;
    const wxImage image = Paint();

    const int x1 = static_cast<int>(W * 0.25f), x2 = static_cast<int>(W * 0.5f);
    const int x3 = static_cast<int>(W * 0.75f);
    for (const int x : {x1, x2}) {
        SCOPED_TRACE(x);
        EXPECT_EQ(CountInColumn(image, x, 17, half, *wxBLACK), half - 17);
        EXPECT_EQ(PixelAt(image, x, 15), kYellow) << "markers stop below the band";
        EXPECT_EQ(CountInColumn(image, x, half + 17, H - 1, *wxBLACK), 0);
    }
    EXPECT_EQ(CountInColumn(image, x3, half + 16, 2 * half - 1, *wxBLACK),
              2 * half - 1 - (half + 16));
    EXPECT_EQ(CountInColumn(image, x3, 17, half, *wxBLACK), 0);
    EXPECT_EQ(PixelAt(image, x3, half + 15), kYellow);
    // Nowhere else is a black column: one row across each half.
    for (int x = 1; x < W - 1; ++x) {
        const bool marker1 = x == x1 || x == x2;
        EXPECT_EQ(PixelAt(image, x, 60) == *wxBLACK, marker1) << x;
        EXPECT_EQ(PixelAt(image, x, half + 60) == *wxBLACK, x == x3) << x;
    }
}

// The canvas on the screen shows what it paints into a bitmap (screenshot for the eye in
// the build tree: screenshots/canvas.png).
TEST_F(CanvasPaintTest, TheScreenShowsThePaintedPicture) {
    frame->SideAt(Side::One) =
        Levels(1800, [](std::uint32_t i) { return 0.3f + 0.3f * std::sin(i / 40.0f); });
    frame->SideAt(Side::One).cuts[0] = 600;
    frame->SideAt(Side::One).cutCount = 1;
    const int before = canvasPaints;
    frame->Controls().m_canvas->Refresh(true);
    ASSERT_TRUE(RunUntil([&] { return canvasPaints > before; }));
    for (int i = 0; i < 10; ++i) wxTheApp->Yield(true);
    const wxImage screen = CaptureClientArea(frame->Controls().m_canvas);
    SaveScreenshot(screen, "canvas.png");
    const wxImage painted_ = Paint();
    ASSERT_EQ(screen.GetSize(), painted_.GetSize());
    // Text may be hinted a little differently on a window than in a bitmap: the captions'
    // rows are compared by their dark pixels only.
    int differing = 0, screenText = 0, paintedText = 0;
    for (int y = 0; y < g.height; ++y) {
        const bool captionRow = (y >= 1 && y <= 15) || (y >= g.half + 1 && y <= g.half + 15);
        for (int x = 0; x < g.width; ++x) {
            if (!captionRow) {
                differing += PixelAt(screen, x, y) != PixelAt(painted_, x, y);
            } else {
                screenText += screen.GetRed(x, y) < 128;
                paintedText += painted_.GetRed(x, y) < 128;
            }
        }
    }
    EXPECT_NEAR(screenText, paintedText, paintedText / 10);
    EXPECT_EQ(differing, 0);
}

}  // namespace
