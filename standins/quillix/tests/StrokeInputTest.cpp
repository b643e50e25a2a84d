// Pen input rules without a window: pixels to pad units, a point per message,
// time and pressure, and what ends a stroke.
#include <gtest/gtest.h>

#include "PadGeometry.h"
#include "StrokeInput.h"

namespace {

using quillix::ClientSize;
using quillix::LogicalToPixel;
using quillix::PixelSample;
using quillix::PixelToLogical;

TEST(PadGeometry, PixelsMapIntoTheExtentAndBack)
{
    struct Case {
        int32_t pixel, pixels, extent, logical;
    } cases[] = {
        {0, 400, 2000, 2},       // the first pixel's centre
        {399, 400, 2000, 1997},  // the last pixel's centre
        {-5, 400, 2000, 2},      // dragged past the left edge
        {900, 400, 2000, 1997},  // past the right edge
        {0, 1, 800, 400},        // a 1-pixel pad: its centre
        {0, 0, 800, 400},        // no client area counts as one pixel
        {3, 4, 2, 1},            // more pixels than units
        {7, 10, 0, 0},           // no extent counts as one unit
    };
    for (const Case& c : cases)
        EXPECT_EQ(PixelToLogical(c.pixel, c.pixels, c.extent), c.logical)
            << c.pixel << " of " << c.pixels << " over " << c.extent;

    EXPECT_EQ(LogicalToPixel(-10, 2000, 400), 0);
    EXPECT_EQ(LogicalToPixel(2000, 2000, 400), 399);
    EXPECT_EQ(LogicalToPixel(5000, 2000, 400), 399);
    EXPECT_EQ(LogicalToPixel(100, 2000, 0), 0);
    // A replayed point lands on the pixel it was drawn from whenever a pixel
    // spans at least two units.
    for (int32_t pixels : {1, 7, 400, 1000})
        for (int32_t p = 0; p < pixels; ++p)
            ASSERT_EQ(LogicalToPixel(PixelToLogical(p, pixels, 2000), 2000, pixels), p) << p << " of " << pixels;
}

class StrokeInputTest : public ::testing::Test {
protected:
    PixelSample At(int32_t x, int32_t y, uint32_t time = 0)
    {
        PixelSample s;
        s.x = x;
        s.y = y;
        s.timeMs = time;
        return s;
    }
    const ClientSize client{400, 160};  // 5 units a pixel on the 2000 x 800 pad
    pendata::PenPad pad;
    quillix::StrokeInput input{pad};
};

TEST_F(StrokeInputTest, APointPerMessageAndTheUpOnlyWhereItMoved)
{
    pad.SetCaptureState(1);
    EXPECT_TRUE(input.Down(At(10, 10), client));
    EXPECT_TRUE(input.Move(At(10, 10), client));  // a pen at rest still samples
    EXPECT_TRUE(input.Move(At(11, 12), client));
    EXPECT_TRUE(input.Up(At(11, 12), client));    // ends the stroke, adds no point
    EXPECT_TRUE(input.Down(At(50, 60), client));
    EXPECT_TRUE(input.Up(At(52, 60), client));    // lifted elsewhere: one more point
    EXPECT_FALSE(input.Up(At(52, 60), client));   // no stroke left to end

    const pendata::PenRecord& r = pad.Record();
    ASSERT_EQ(r.strokes.size(), 2u);
    EXPECT_EQ(r.strokes[0].points.size(), 3u);
    EXPECT_EQ(r.strokes[1].points.size(), 2u);
    EXPECT_EQ(r.strokes[0].points[2].x, 57);  // pixel 11's centre: 11.5 * 5
    EXPECT_EQ(r.strokes[0].points[2].y, 62);
    EXPECT_EQ(r.strokes[1].points[1].x, 262);
    EXPECT_FALSE(r.strokes[0].hasPressure);
}

TEST_F(StrokeInputTest, NothingIsTakenWhileCaptureIsOff)
{
    for (int state : {0, 2, -1}) {
        pad.SetCaptureState(state);
        EXPECT_FALSE(input.Down(At(1, 1), client)) << state;
        EXPECT_FALSE(input.Move(At(2, 2), client));
        EXPECT_FALSE(input.Up(At(3, 3), client));
    }
    EXPECT_EQ(pad.PointCount(), 0);

    // Switched off in mid-stroke: later moves are dropped, the stroke ends once.
    pad.SetCaptureState(1);
    EXPECT_TRUE(input.Down(At(1, 1), client));
    pad.SetCaptureState(0);
    EXPECT_FALSE(input.Move(At(2, 2), client));
    EXPECT_TRUE(input.Cancel());
    EXPECT_FALSE(input.Cancel());
    EXPECT_EQ(pad.PointCount(), 1);
}

TEST_F(StrokeInputTest, TimeCountsFromTheFirstPointOnAnEmptyPadAcrossTheClockWrap)
{
    pad.SetCaptureState(1);
    input.Down(At(1, 1, 0xFFFFFFF0u), client);
    input.Move(At(2, 1, 0x00000010u), client);
    input.Up(At(2, 1, 0x00000010u), client);
    input.Down(At(5, 5, 0x00000030u), client);
    ASSERT_EQ(pad.Record().strokes.size(), 2u);
    EXPECT_TRUE(pad.Record().strokes[0].hasTime);
    EXPECT_EQ(pad.Record().strokes[0].points[0].timeMs, 0u);
    EXPECT_EQ(pad.Record().strokes[0].points[1].timeMs, 0x20u);
    EXPECT_EQ(pad.Record().strokes[1].points[0].timeMs, 0x40u);

    input.Cancel();
    pad.ClearPad();
    input.Down(At(1, 1, 5000), client);
    EXPECT_EQ(pad.Record().strokes[0].points[0].timeMs, 0u);
}

TEST_F(StrokeInputTest, PenPressureIsKept)
{
    pad.SetCaptureState(1);
    PixelSample s = At(3, 4);
    s.hasPressure = true;
    s.pressure = 700;
    input.Down(s, client);
    ASSERT_EQ(pad.Record().strokes.size(), 1u);
    EXPECT_TRUE(pad.Record().strokes[0].hasPressure);
    EXPECT_EQ(pad.Record().strokes[0].points[0].pressure, 700);
}

TEST_F(StrokeInputTest, AFullPadTakesNoStrokeAndReportsNone)
{
    pad.SetCaptureState(1);
    input.Down(At(0, 0), client);
    for (size_t i = 1; i < pendata::kMaxPoints; ++i) input.Move(At((int32_t)(i % 400), 0), client);
    input.Up(At(0, 0), client);
    ASSERT_EQ(pad.PointCount(), (int)pendata::kMaxPoints);
    EXPECT_FALSE(input.Down(At(5, 5), client));
    EXPECT_FALSE(input.InStroke());
    EXPECT_FALSE(input.Up(At(6, 6), client));
    EXPECT_EQ(pad.PointCount(), (int)pendata::kMaxPoints);
}

} // namespace
