#include "pdf_drawing.h"
#include "content_parse.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace pendata {
namespace {

using testing::BarAndDot;
using testing::Box;
using testing::ParseDrawing;
using testing::Pt;
using testing::SampleSignature;

TEST(PdfDrawing, NumbersAreCompact) {
  const struct {
    double v;
    const char* text;
  } cases[] = {{0, "0"},       {-0.001, "0"},     {12, "12"},     {3.5, "3.5"},
               {0.25, ".25"},  {-0.25, "-.25"},   {1.005, "1"},   {99.999, "100"},
               {-12.3, "-12.3"}, {32767.01, "32767.01"}};
  for (const auto& c : cases) {
    std::string s;
    AppendNumber(s, c.v);
    EXPECT_EQ(s, c.text) << c.v;
  }
}

TEST(PdfDrawing, NothingToDrawGivesNoData) {
  std::string out = "sentinel";
  DrawingSettings s{200, 100, 2, 5, 50, 50, 0};
  EXPECT_FALSE(DrawInk(PenRecord{2000, 800, {}}, s, &out));
  EXPECT_TRUE(out.empty());
  for (auto box : {std::pair{0, 100}, std::pair{200, 0}, std::pair{-5, 100}}) {
    out = "sentinel";
    DrawingSettings b = s;
    b.width = box.first;
    b.height = box.second;
    EXPECT_FALSE(DrawInk(SampleSignature(), b, &out));
    EXPECT_TRUE(out.empty());
  }
}

TEST(PdfDrawing, StyleCurvesAndNumberFormat) {
  std::string out;
  ASSERT_TRUE(DrawInk(SampleSignature(), DrawingSettings{300, 100, 3, 5, 50, 50, 0}, &out));
  EXPECT_EQ(out.rfind("q\n1 J 1 j 3 w 0 G\n", 0), 0u) << out.substr(0, 40);
  EXPECT_EQ(out.substr(out.size() - 4), "S\nQ\n");
  auto d = ParseDrawing(out);
  const std::regex compact(R"(-?(0|[1-9][0-9]*)?(\.[0-9][0-9]?)?)");
  for (const std::string& n : d.numbers) {
    ASSERT_TRUE(std::regex_match(n, compact)) << n;
    if (n.find('.') != std::string::npos) {
      ASSERT_NE(n.back(), '0') << "redundant zero: " << n;
    }
  }
  // Smooth: at every joint the curve leaves in the direction it arrived.
  ASSERT_GT(d.joints.size(), 500u);
  for (const auto& [in, outT] : d.joints) {
    double lin = std::hypot(in.x, in.y), lout = std::hypot(outT.x, outT.y);
    if (lin < 0.05 || lout < 0.05) continue; // too short to carry a direction at 2 decimals
    double cross = (in.x * outT.y - in.y * outT.x) / (lin * lout);
    double dot = in.x * outT.x + in.y * outT.y;
    EXPECT_GT(dot, 0);
    EXPECT_LT(std::abs(cross), std::sin(8 * 3.14159265 / 180) + 0.02 / std::min(lin, lout));
  }
  // Compact: a thousand-point signature stays a few tens of kilobytes.
  EXPECT_LT(out.size(), 40000u);
}

// Where the ink's bounding box should land, as the reader sees the box
// (x right, y up), for the bar-and-dot fixture whose ink spans 1600 x 600 pad
// units inside a 2000 x 1000 pad.
struct Case {
  int mode, jx, jy;
  double x0, y0, x1, y1; // expected ink box (on-curve points) in the seen box
};

TEST(PdfDrawing, PlacementForEveryRotationAndJustifyMode) {
  // Box 200 x 100, pen 4 (margin 2): inner box 196 x 96.
  const Case cases[] = {
      // fit: scale min(196/1600, 96/600) = 0.1225 -> 196 x 73.5, free 22.5 vertically
      {5, 50, 50, 2, 2 + 11.25, 198, 98 - 11.25},
      {5, 0, 0, 2, 98 - 73.5, 198, 98},
      {5, 100, 100, 2, 2, 198, 2 + 73.5},
      {77, 50, 50, 2, 2 + 11.25, 198, 98 - 11.25}, // unknown mode draws as 5
      // pad: scale min(196/2000, 96/1000) = 0.096 -> pad 192 x 96, free 4 horizontally
      {0, 0, 0, 2 + 200 * 0.096, 2 + 200 * 0.096, 2 + 1800 * 0.096, 2 + 800 * 0.096},
      {0, 100, 50, 6 + 200 * 0.096, 2 + 200 * 0.096, 6 + 1800 * 0.096, 2 + 800 * 0.096},
      // pad scale, ink cropped: 153.6 x 57.6, placed by X/Y
      {1, 0, 0, 2, 98 - 57.6, 2 + 153.6, 98},
      {1, 50, 50, 2 + 21.2, 2 + 19.2, 2 + 21.2 + 153.6, 2 + 19.2 + 57.6},
      {1, 250, -3, 198 - 153.6, 98 - 57.6, 198, 98}, // clamped to 100, 0
  };
  const int W = 200, H = 100, pen = 4;
  for (int rotation : {0, 90, 180, 270, -90, 450})
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "rotation " << rotation << " mode " << c.mode << " "
                                        << c.jx << "/" << c.jy);
      std::string out;
      ASSERT_TRUE(DrawInk(BarAndDot(), DrawingSettings{W, H, pen, c.mode, c.jx, c.jy, rotation},
                          &out));
      auto d = ParseDrawing(out);
      int r = ((rotation % 360) + 360) % 360;
      bool sideways = r == 90 || r == 270;
      double bw = sideways ? H : W, bh = sideways ? W : H;
      // Turn the drawing's own coordinates back to the reader's view.
      auto seen = [&](Pt p) -> Pt {
        switch (r) {
        case 90: return {p.y, H - p.x};
        case 180: return {W - p.x, H - p.y};
        case 270: return {W - p.y, p.x};
        default: return p;
        }
      };
      Box ink;
      for (Pt p : d.onCurve) ink.Add(seen(p));
      EXPECT_NEAR(ink.x0, c.x0, 0.02);
      EXPECT_NEAR(ink.y0, c.y0, 0.02);
      EXPECT_NEAR(ink.x1, c.x1, 0.02);
      EXPECT_NEAR(ink.y1, c.y1, 0.02);
      // Upright: the dot (the last on-curve point) is at the seen bottom left.
      Pt dot = seen(d.onCurve.back());
      EXPECT_NEAR(dot.x, c.x0, 0.02);
      EXPECT_NEAR(dot.y, c.y0, 0.02);
      // Nothing, control points included, comes closer than the pen's half
      // width to the edge of the drawing's box.
      for (const auto* pts : {&d.onCurve, &d.control})
        for (Pt p : *pts) {
          EXPECT_GE(p.x, pen / 2.0);
          EXPECT_GE(p.y, pen / 2.0);
          EXPECT_LE(p.x, bw - pen / 2.0);
          EXPECT_LE(p.y, bh - pen / 2.0);
        }
    }
}

TEST(PdfDrawing, SinglePointAndOddPenWidths) {
  PenRecord dot{100, 100, {{false, false, {{50, 50, 0, 0}}}}};
  std::string out;
  ASSERT_TRUE(DrawInk(dot, DrawingSettings{40, 20, 0, 5, 50, 50, 0}, &out));
  EXPECT_NE(out.find(" 1 w "), std::string::npos); // pen width below 1 draws as 1
  EXPECT_NE(out.find("20 10 m\n20 10 l\n"), std::string::npos) << out;
  // A pen wider than the box: the ink collapses to the centre, still inside.
  ASSERT_TRUE(DrawInk(BarAndDot(), DrawingSettings{10, 6, 50, 5, 50, 50, 0}, &out));
  for (Pt p : ParseDrawing(out).onCurve) {
    EXPECT_DOUBLE_EQ(p.x, 5);
    EXPECT_DOUBLE_EQ(p.y, 3);
  }
}

} // namespace
} // namespace pendata
