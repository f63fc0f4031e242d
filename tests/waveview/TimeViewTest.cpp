// The zoomed view of the sides: zooming around the pointer down to 10 ms a pixel, scrolling,
// the fitted view's clicks, the ruler's ticks and labels, and the envelope's columns.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "waveview/ColumnEnvelope.h"
#include "waveview/RulerTicks.h"
#include "waveview/TimeView.h"

namespace {

constexpr int kWidth = 1000;
constexpr double kSide = 1500;  // a 25-minute side, seconds

TEST(TimeView, ZoomKeepsThePlaceUnderThePointerAndStopsAtTenMillisecondsAPixel) {
    const TimeView fit;
    const TimeView in = waveview::ZoomAround(fit, 4, 250, kWidth, kSide);
    EXPECT_DOUBLE_EQ(in.span, 0.25);
    EXPECT_DOUBLE_EQ(in.start + in.span * 0.25, 0.25) << "the fraction under x = 250 stays";
    TimeView deepest = in;
    for (int i = 0; i < 20; ++i) deepest = waveview::ZoomAround(deepest, 2, 600, kWidth, kSide);
    EXPECT_NEAR(deepest.span * kSide / kWidth, 0.01, 1e-12) << "10 ms a pixel, no deeper";
    EXPECT_NEAR(deepest.start + deepest.span * 0.6, in.start + in.span * 0.6, 1e-9);
    // Out again: back to the whole side, never beyond it.
    TimeView out = deepest;
    for (int i = 0; i < 30; ++i) out = waveview::ZoomAround(out, 0.5, 999, kWidth, kSide);
    EXPECT_TRUE(out.Fitted());
    // A side shorter than the width at 10 ms a pixel cannot be zoomed at all.
    EXPECT_TRUE(waveview::ZoomAround(fit, 2, 500, kWidth, 5.0).Fitted());
}

TEST(TimeView, ScrollingStaysInsideTheSide) {
    const TimeView view{0.5, 0.1};
    EXPECT_DOUBLE_EQ(waveview::ScrollBy(view, 100, kWidth).start, 0.51);
    EXPECT_DOUBLE_EQ(waveview::ScrollBy(view, 10000, kWidth).start, 0.9);
    EXPECT_DOUBLE_EQ(waveview::ScrollBy(view, -10000, kWidth).start, 0.0);
    EXPECT_DOUBLE_EQ(waveview::ScrollTo(view, 0.95).start, 0.9);
    EXPECT_EQ(waveview::ScrollBy(TimeView{}, 50, kWidth), TimeView{})
        << "nothing to scroll when fitted";
}

TEST(TimeView, ClicksAndColumnsMapThroughTheView) {
    // Fitted: the canvas fraction itself, to the bit.
    for (const float r : {-0.2f, 0.0f, 0.1234567f, 1.0f, 1.3f})
        EXPECT_EQ(waveview::SideFraction({}, r), r);
    const TimeView view{0.25, 0.5};
    EXPECT_FLOAT_EQ(waveview::SideFraction(view, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(waveview::SideFraction(view, 0.0f), 0.25f);
    EXPECT_DOUBLE_EQ(waveview::ColumnOf(view, 0.375, kWidth), 250);
    EXPECT_DOUBLE_EQ(waveview::ColumnOf(view, 0.1, kWidth), -300);
    // A playhead leaving the picture brings it along, a tenth of the width in.
    const TimeView narrow{0.25, 0.1};
    EXPECT_EQ(waveview::Reveal(narrow, 0.3), narrow);
    EXPECT_DOUBLE_EQ(waveview::Reveal(narrow, 0.8).start, 0.79);
    EXPECT_DOUBLE_EQ(waveview::Reveal(narrow, 0.1).start, 0.09);
}

struct TickCase {
    const char* name;
    TimeView view;
    double labelSeconds;  // between labelled ticks
    double minorSeconds;  // between any two ticks
    const char* firstLabel;
};

void PrintTo(const TickCase& c, std::ostream* os) {
    *os << c.name;
}

class RulerTicksTest : public testing::TestWithParam<TickCase> {};

// Labels at least 60 pixels apart on a 25-minute side 1000 pixels wide.
TEST_P(RulerTicksTest, LabelsStandApartAndTicksFallOnWholeSteps) {
    const TickCase& c = GetParam();
    const std::vector<RulerTick> ticks = waveview::RulerTicks(c.view, kSide, kWidth, 60);
    ASSERT_GE(ticks.size(), 2u);
    const RulerTick* firstLabel = nullptr;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i].x, -1e-6);
        EXPECT_LE(ticks[i].x, kWidth + 1e-6);
        if (i > 0) {
            EXPECT_NEAR(ticks[i].seconds - ticks[i - 1].seconds, c.minorSeconds, 1e-6);
        }
        const double labels = ticks[i].seconds / c.labelSeconds;
        EXPECT_EQ(ticks[i].major, std::abs(labels - std::round(labels)) < 1e-6) << i;
        EXPECT_EQ(ticks[i].label.empty(), !ticks[i].major);
        if (ticks[i].major && !firstLabel) firstLabel = &ticks[i];
    }
    ASSERT_NE(firstLabel, nullptr);
    EXPECT_EQ(firstLabel->label, c.firstLabel);
}

INSTANTIATE_TEST_SUITE_P(Zooms, RulerTicksTest,
                         testing::Values(
                             // 1.5 s a pixel: 2 minutes make 80 pixels.
                             TickCase{"Fitted", {}, 120, 30, "0:00"},
                             // 0.15 s a pixel, from 12:30: 10 s make 67 pixels.
                             TickCase{"Tenfold", {0.5, 0.1}, 10, 2, "12:30"},
                             // 10 ms a pixel, from 20:00.5: a label a second, ticks every tenth.
                             TickCase{"Deepest", {1200.5 / kSide, 10.0 / kSide}, 1, 0.1, "20:01"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RulerTicks, ClockLabels) {
    EXPECT_EQ(waveview::ClockLabel(0), "0:00");
    EXPECT_EQ(waveview::ClockLabel(65.9), "1:05");
    EXPECT_EQ(waveview::ClockLabel(3665), "61:05");
    EXPECT_EQ(waveview::ClockLabel(2.9999999999), "0:03") << "a step sum a hair short of a second";
    EXPECT_TRUE(waveview::RulerTicks({}, 0, kWidth, 60).empty());
}

// A side of 20 blocks (2 s) with known levels and a 10 ms peak list.
SideState TwoSeconds() {
    SideState side;
    side.levelCount = 20;
    for (int i = 0; i < 20; ++i) side.levels.push_back(i < 10 ? 0.2f : 0.6f);
    side.finePeaks.assign(200, 3277);  // 0.1 of full scale
    side.finePeaks[105] = 16384;       // one loud 10 ms at 1.05 s
    return side;
}

TEST(ColumnEnvelope, WideColumnsAverageLevelsNarrowOnesShowTheTenMillisecondPeak) {
    const SideState side = TwoSeconds();
    // Fitted on 10 columns: two blocks each.
    const std::vector<float> fitted = waveview::ColumnEnvelope(side, {}, 10);
    EXPECT_FLOAT_EQ(fitted[0], 0.2f);
    EXPECT_FLOAT_EQ(fitted[9], 0.6f);
    // 1.0 s .. 1.1 s across 10 columns: 10 ms each.
    const std::vector<float> deep = waveview::ColumnEnvelope(side, {0.5, 0.05}, 10);
    for (int x = 0; x < 10; ++x) {
        EXPECT_NEAR(deep[x], x == 5 ? 0.5 : 0.1, 1e-4) << x;
    }
    // Past the side's end nothing is drawn; a side measured without fine peaks shows the
    // level of the block under a narrow column.
    const std::vector<float> end = waveview::ColumnEnvelope(side, {0.9, 0.1}, 4);
    EXPECT_GT(end[3], 0.0f);
    EXPECT_EQ(waveview::ColumnEnvelope(side, {0.95, 0.1}, 4)[3], 0.0f);
    SideState coarse = side;
    coarse.finePeaks.clear();
    EXPECT_FLOAT_EQ(waveview::ColumnEnvelope(coarse, {0.5, 0.05}, 10)[5], 0.6f);
    EXPECT_FLOAT_EQ(waveview::FinePeakLevel(32768), 0.99f);
}

}  // namespace
