#include "pdf_drawing.h"
#include "content_parse.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <fstream>
#include <sstream>
#include <iterator>
#include <limits>
#include <array>
#include <random>
#include <regex>

namespace pendata {
namespace {

using testing::BarAndDot;
using testing::Box;
using testing::ParseDrawing;
using testing::Pt;
using testing::SampleSignature;

TEST(PdfDrawing, NumbersAreCompactAndBounded) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double v;
    const char* text; // null: refused, nothing appended
  } cases[] = {{0, "0"},       {-0.001, "0"},     {12, "12"},     {3.5, "3.5"},
               {0.25, ".25"},  {-0.25, "-.25"},   {1.005, "1"},   {99.999, "100"},
               {-12.3, "-12.3"}, {32767.01, "32767.01"},
               {2147483647, "2147483647"}, {-2147483647, "-2147483647"},
               {2147483647.5, nullptr}, {-1e300, nullptr}, {1e300, nullptr},
               {inf, nullptr}, {-inf, nullptr}, {std::nan(""), nullptr}};
  for (const auto& c : cases) {
    std::string s = "x";
    EXPECT_EQ(AppendNumber(s, c.v), c.text != nullptr) << c.v;
    EXPECT_EQ(s, std::string("x") + (c.text ? c.text : "")) << c.v;
  }
}

// What the pad could never hold is refused as a whole, not drawn in part.
TEST(PdfDrawing, RecordsThatCouldNotBeStoredDrawNothing) {
  const PenRecord base = BarAndDot();
  PenRecord emptyFirst = base, emptyLast = base, wide = base, tall = base, outside = base,
            noExtent = base, tooMany = base;
  emptyFirst.strokes.insert(emptyFirst.strokes.begin(), Stroke{});
  emptyLast.strokes.push_back(Stroke{});
  wide.strokes[0].points.front().x = INT32_MIN; // a span beyond the int range
  wide.strokes[0].points.back().x = INT32_MAX;
  tall.strokes[0].points.front().y = INT32_MAX;
  tall.strokes[1].points[0].y = INT32_MIN;
  outside.strokes[1].points[0].y = base.extentY + 1;
  noExtent.extentX = 0;
  tooMany.strokes[0].points.resize(kMaxPoints + 1, {200, 200, 0, 0});
  const PenRecord* cases[] = {&emptyFirst, &emptyLast, &wide, &tall, &outside, &noExtent, &tooMany};
  for (size_t i = 0; i < std::size(cases); ++i)
    for (int mode : {0, 1, 5}) {
      std::string out = "sentinel";
      EXPECT_FALSE(DrawInk(*cases[i], DrawingSettings{200, 100, 2, mode, 50, 50, 0}, &out))
          << "case " << i << " mode " << mode;
      EXPECT_TRUE(out.empty());
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
  // The centre line, at one width.
  ASSERT_TRUE(DrawInk(SampleSignature(), DrawingSettings{300, 100, 3, 5, 50, 50, 0, false}, &out));
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
      auto seen = [&](Pt p) { return testing::Seen(p, r, W, H); };
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

// A few strokes of random points, a quarter of them on the pad's edges: where
// the ink turns at its extremes, its curves bulge past the points. Drawn into
// boxes of every shape, every justify mode and rotation, each curve must be the
// Catmull-Rom curve through its drawn points (no control point bent to fit)
// and the ink, pen included, must stay inside the box and be placed by X/Y.
PenRecord RandomSignature(std::mt19937& rng) {
  auto below = [&](uint32_t n) { return static_cast<int32_t>(rng() % n); };
  auto coordinate = [&](int32_t extent) {
    return below(4) == 0 ? (below(2) ? extent : 0) : below(extent + 1);
  };
  PenRecord r{2000, 800, {}};
  for (int s = below(3); s >= 0; --s) {
    Stroke st;
    for (int i = 2 + below(11); i > 0; --i)
      st.points.push_back({coordinate(r.extentX), coordinate(r.extentY), 0, 0});
    r.strokes.push_back(std::move(st));
  }
  return r;
}

TEST(PdfDrawing, CurvesKeepTheirShapeAndStayInsideTheBox) {
  std::mt19937 rng(15);
  auto below = [&](uint32_t n) { return static_cast<int>(rng() % n); };
  for (int i = 0; i < 600; ++i) {
    const PenRecord r = RandomSignature(rng);
    const int W = 40 + below(400), H = 20 + below(200), pen = 1 + below(6);
    const int modes[] = {0, 1, 5};
    const int mode = modes[i % 3], rotation = 90 * (i / 3 % 4);
    const int jx = below(101), jy = below(101);
    SCOPED_TRACE(::testing::Message() << "drawing " << i << ": " << W << "x" << H << " pen " << pen
                                      << " mode " << mode << " " << jx << "/" << jy
                                      << " rotation " << rotation);
    std::string out;
    ASSERT_TRUE(DrawInk(r, DrawingSettings{W, H, pen, mode, jx, jy, rotation}, &out));
    const auto d = ParseDrawing(out);
    ASSERT_EQ(d.paths.size(), r.strokes.size());
    Box ink; // the curves themselves, as the reader sees them
    for (const std::vector<Pt>& path : d.paths) {
      const std::vector<Pt> smooth = testing::CatmullRomPath(path);
      ASSERT_EQ(smooth.size(), path.size());
      for (size_t k = 0; k < path.size(); ++k) {
        // Two-decimal rounding of three points moves a control point by at most 0.012.
        ASSERT_NEAR(path[k].x, smooth[k].x, 0.015) << "point " << k;
        ASSERT_NEAR(path[k].y, smooth[k].y, 0.015) << "point " << k;
      }
      std::vector<Pt> seen;
      for (Pt p : path) seen.push_back(testing::Seen(p, rotation, W, H));
      testing::AddCurve(seen, ink);
    }
    const double m = pen / 2.0;
    EXPECT_GE(ink.x0, m - 0.01);
    EXPECT_GE(ink.y0, m - 0.01);
    EXPECT_LE(ink.x1, W - m + 0.01);
    EXPECT_LE(ink.y1, H - m + 0.01);
    if (mode == 0) continue; // placed with the whole pad
    // The free space is shared out by X (left) and Y (top).
    EXPECT_NEAR(ink.x0 - m, (W - 2 * m - (ink.x1 - ink.x0)) * jx / 100.0, 0.05);
    EXPECT_NEAR(H - m - ink.y1, (H - 2 * m - (ink.y1 - ink.y0)) * jy / 100.0, 0.05);
    const bool dot = ink.x1 - ink.x0 < 0.5 && ink.y1 - ink.y0 < 0.5;
    if (mode == 5 && !dot) { // fitted: the ink spans the box one way
      EXPECT_TRUE(std::abs(ink.x1 - ink.x0 - (W - 2 * m)) < 0.05 ||
                  std::abs(ink.y1 - ink.y0 - (H - 2 * m)) < 0.05)
          << ink.x1 - ink.x0 << " x " << ink.y1 - ink.y0;
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

namespace pendata {
namespace {

using testing::Box;
using testing::ParseDrawing;
using testing::Pt;
using testing::SampleSignature;

PenRecord WithoutPressure(PenRecord r) {
  for (Stroke& s : r.strokes) {
    s.hasPressure = false;
    for (PenPoint& p : s.points) p.pressure = 0;
  }
  return r;
}

// The sample as a mouse gives it (no pressure), drawn before pressure ink
// existed: rotation 90, pad scale, placed at 30/70.
std::string MouseDrawingOfBefore() {
  std::ifstream in(PENDATA_TEST_DATA "/mouse_sample_rot90.ink", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(PdfDrawing, InkWithoutPressureIsDrawnAsBeforeByteForByte) {
  const std::string before = MouseDrawingOfBefore();
  ASSERT_GT(before.size(), 1000u);
  const struct {
    const char* what;
    PenRecord record;
    bool pressureInk;
  } cases[] = {{"mouse strokes, pressure ink on", WithoutPressure(SampleSignature()), true},
               {"pen strokes, pressure ink off", SampleSignature(), false}};
  for (const auto& c : cases) {
    std::string out;
    ASSERT_TRUE(DrawInk(c.record, DrawingSettings{200, 60, 4, 1, 30, 70, 90, c.pressureInk}, &out));
    EXPECT_TRUE(out == before) << c.what;
  }
}

// Random strokes with time and pressure, some without, a quarter of their
// points on the pad's edges, into boxes of every shape, every mode and
// rotation: the outlines, pen width and all, stay inside the box and are
// placed by X/Y; fitted ink spans the box one way.
TEST(PdfDrawing, PressureInkStaysInsideTheBoxAndIsPlacedByItsOutline) {
  std::mt19937 rng(22);
  auto below = [&](uint32_t n) { return static_cast<int>(rng() % n); };
  const std::regex compact(R"(-?(0|[1-9][0-9]*)?(\.[0-9][0-9]?)?)");
  for (int i = 0; i < 200; ++i) {
    PenRecord r{2000, 800, {}};
    for (int s = below(3); s >= 0; --s) {
      Stroke st{true, below(4) != 0, {}};
      uint32_t t = 0;
      for (int k = 2 + below(14); k > 0; --k) {
        const int x = below(4) == 0 ? (below(2) ? 2000 : 0) : below(2001);
        const int y = below(4) == 0 ? (below(2) ? 800 : 0) : below(801);
        t += static_cast<uint32_t>(below(3)) * 5; // at times no time passes
        st.points.push_back({x, y, t, static_cast<uint16_t>(below(1025))});
      }
      if (below(8) == 0) st.points.resize(1); // a dot
      r.strokes.push_back(std::move(st));
    }
    r.strokes[0].hasPressure = true;
    const int W = 20 + below(400), H = 10 + below(200), pen = 1 + below(8);
    const int mode = std::array<int, 3>{0, 1, 5}[i % 3], rotation = 90 * (i / 3 % 4);
    const int jx = below(101), jy = below(101);
    SCOPED_TRACE(::testing::Message() << "drawing " << i << ": " << W << "x" << H << " pen " << pen
                                      << " mode " << mode << " " << jx << "/" << jy
                                      << " rotation " << rotation);
    std::string out;
    ASSERT_TRUE(DrawInk(r, DrawingSettings{W, H, pen, mode, jx, jy, rotation}, &out));
    ASSERT_EQ(out.rfind("q\n0 g\n", 0), 0u);
    ASSERT_EQ(out.substr(out.size() - 4), "f\nQ\n");
    const auto d = ParseDrawing(out);
    Box ink;
    for (const std::vector<Pt>& path : d.paths) {
      std::vector<Pt> seen;
      for (Pt p : path) seen.push_back(testing::Seen(p, rotation, W, H));
      testing::AddCurve(seen, ink, 32); // short curves: 32 steps find their extremes to 0.001
    }
    for (const std::string& n : d.numbers) ASSERT_TRUE(std::regex_match(n, compact)) << n;
    EXPECT_GE(ink.x0, -0.02);
    EXPECT_GE(ink.y0, -0.02);
    EXPECT_LE(ink.x1, W + 0.02);
    EXPECT_LE(ink.y1, H + 0.02);
    if (mode == 0) continue;
    EXPECT_NEAR(ink.x0, (W - (ink.x1 - ink.x0)) * jx / 100.0, 0.05);
    EXPECT_NEAR(H - ink.y1, (H - (ink.y1 - ink.y0)) * jy / 100.0, 0.05);
    // Fitted, unless the pen is as wide as the box or the ink is one disc.
    const Box pts = [&] {
      Box b;
      for (const Stroke& st : r.strokes)
        for (const PenPoint& p : st.points) b.Add({double(p.x), double(p.y)});
      return b;
    }();
    const bool oneDisc = pts.x0 == pts.x1 && pts.y0 == pts.y1;
    if (mode == 5 && !oneDisc && 4 * pen < std::min(W, H)) {
      EXPECT_TRUE(std::abs(ink.x1 - ink.x0 - W) < 0.05 || std::abs(ink.y1 - ink.y0 - H) < 0.05)
          << ink.x1 - ink.x0 << " x " << ink.y1 - ink.y0;
    }
  }
}

} // namespace
} // namespace pendata
