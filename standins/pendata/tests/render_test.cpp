// Renders drawings with poppler's pdftoppm and checks where the ink lands in
// the pixels, as a reader sees the rotated page.
#include "pdf_drawing.h"
#include "content_parse.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace pendata {
namespace {

namespace fs = std::filesystem;

// A one-page PDF whose page is the drawing's box, rotated by `rotation`, with
// `margin` points of empty page all round it.
std::string OnePagePdf(const std::string& drawing, double boxW, double boxH, int rotation,
                       int margin = 0) {
  const std::string content =
      margin ? "q 1 0 0 1 " + std::to_string(margin) + " " + std::to_string(margin) + " cm\n" +
                   drawing + "Q\n"
             : drawing;
  std::vector<std::string> objs = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(boxW + 2 * margin) + " " +
          std::to_string(boxH + 2 * margin) + "] /Rotate " + std::to_string(rotation) +
          " /Contents 4 0 R /Resources << >> >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
          "\nendstream"};
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objs.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objs[i] + "\nendobj\n";
  }
  size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objs.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t off : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objs.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

struct Gray {
  int w = 0, h = 0;
  std::vector<uint8_t> px;
  bool Dark(int x, int y) const { return px[static_cast<size_t>(y) * w + x] < 128; }
};

// Renders at 2 pixels a point.
Gray Render(const std::string& pdf) {
  fs::path dir = fs::temp_directory_path() / ("pendata-render-" + std::to_string(getpid()));
  fs::create_directories(dir);
  { std::ofstream(dir / "ink.pdf", std::ios::binary) << pdf; }
  std::string cmd = std::string(PENDATA_PDFTOPPM) + " -gray -r 144 -singlefile '" +
                    (dir / "ink.pdf").string() + "' '" + (dir / "ink").string() + "'";
  Gray g;
  if (std::system(cmd.c_str()) != 0) return g;
  std::ifstream in(dir / "ink.pgm", std::ios::binary);
  std::string magic;
  int maxval = 0;
  in >> magic >> g.w >> g.h >> maxval;
  in.get();
  g.px.resize(static_cast<size_t>(g.w) * g.h);
  in.read(reinterpret_cast<char*>(g.px.data()), static_cast<std::streamsize>(g.px.size()));
  fs::remove_all(dir);
  if (magic != "P5" || !in) g = Gray{};
  return g;
}

TEST(Render, InkLandsUprightWhereExpectedOnEveryRotation) {
  const int W = 200, H = 100, pen = 4;
  struct {
    int mode, jx, jy;
    double x0, y0, x1, y1; // ink box in points, seen from the top-left, pen included
  } cases[] = {
      {5, 50, 50, 0, 11.25, 200, 100 - 11.25},
      {1, 0, 100, 0, 100 - 57.6 - 4, 153.6 + 4, 100},
  };
  for (int rotation : {0, 90, 180, 270})
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << "rotation " << rotation << " mode " << c.mode);
      std::string content;
      ASSERT_TRUE(DrawInk(testing::BarAndDot(),
                          DrawingSettings{W, H, pen, c.mode, c.jx, c.jy, rotation}, &content));
      bool sideways = rotation == 90 || rotation == 270;
      Gray g = Render(OnePagePdf(content, sideways ? H : W, sideways ? W : H, rotation));
      ASSERT_EQ(g.w, 2 * W); // the reader sees the box upright
      ASSERT_EQ(g.h, 2 * H);
      int x0 = g.w, y0 = g.h, x1 = -1, y1 = -1;
      for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
          if (g.Dark(x, y)) {
            x0 = std::min(x0, x), x1 = std::max(x1, x);
            y0 = std::min(y0, y), y1 = std::max(y1, y);
          }
      EXPECT_NEAR(x0, 2 * c.x0, 2);
      EXPECT_NEAR(y0, 2 * c.y0, 2);
      EXPECT_NEAR(x1 + 1, 2 * c.x1, 2);
      EXPECT_NEAR(y1 + 1, 2 * c.y1, 2);
      // The dot sits at the bottom left, nothing at the bottom right.
      EXPECT_TRUE(g.Dark(x0 + pen, y1 - pen));
      EXPECT_FALSE(g.Dark(x1 - pen, y1 - pen));
      EXPECT_TRUE(g.Dark(x1 - pen, y0 + pen)); // the bar's right end, at the top
    }
}

// An arch and a cup drawn edge to edge: their curves bulge 12.5 pad units past
// the points at the top and the bottom of the ink. Room for the bulge is kept
// when the ink is fitted, so the curves drawn are the plain Catmull-Rom curves
// through the drawn points and their extremes touch the box, pen included.
TEST(Render, CurvesAtTheBoxEdgeAreNotFlattened) {
  PenRecord r{2000, 800, {}};
  auto stroke = [](std::vector<PenPoint> points) { return Stroke{false, false, std::move(points)}; };
  r.strokes.push_back(stroke({{0, 100, 0, 0}, {50, 0, 0, 0}, {100, 0, 0, 0}, {150, 100, 0, 0}}));
  r.strokes.push_back(stroke({{200, 0, 0, 0}, {250, 100, 0, 0}, {300, 100, 0, 0}, {350, 0, 0, 0}}));
  const int W = 351, H = 111, pen = 1;
  for (int rotation : {0, 90, 180, 270}) {
    SCOPED_TRACE(::testing::Message() << "rotation " << rotation);
    std::string content;
    ASSERT_TRUE(DrawInk(r, DrawingSettings{W, H, pen, 5, 50, 100, rotation}, &content));
    const auto d = testing::ParseDrawing(content);
    ASSERT_EQ(d.paths.size(), 2u);
    // Per stroke, the curve as drawn and as it should be (seen upright).
    testing::Box drawn[2], smooth[2];
    for (size_t i = 0; i < 2; ++i) {
      std::vector<testing::Pt> seen;
      for (testing::Pt p : d.paths[i]) seen.push_back(testing::Seen(p, rotation, W, H));
      testing::AddCurve(seen, drawn[i]);
      testing::AddCurve(testing::CatmullRomPath(seen), smooth[i]);
    }
    EXPECT_NEAR(drawn[0].y1, smooth[0].y1, 0.02); // the arch's top
    EXPECT_NEAR(drawn[1].y0, smooth[1].y0, 0.02); // the cup's bottom
    EXPECT_NEAR(smooth[0].y1, H - pen / 2.0, 0.02);
    EXPECT_NEAR(smooth[1].y0, pen / 2.0, 0.02);

    const bool sideways = rotation == 90 || rotation == 270;
    Gray g = Render(OnePagePdf(content, sideways ? H : W, sideways ? W : H, rotation));
    ASSERT_EQ(g.w, 2 * W);
    ASSERT_EQ(g.h, 2 * H);
    // The highest ink over the arch and the lowest under the cup, in pixel rows.
    auto inkRows = [&](const testing::Box& b) {
      int top = g.h, bottom = -1;
      for (int x = static_cast<int>(2 * b.x0); x < static_cast<int>(2 * b.x1); ++x)
        for (int y = 0; y < g.h; ++y)
          if (g.Dark(x, y)) top = std::min(top, y), bottom = std::max(bottom, y);
      return std::pair{top, bottom};
    };
    EXPECT_NEAR(inkRows(smooth[0]).first, 2 * (H - smooth[0].y1 - pen / 2.0), 1.5);
    EXPECT_NEAR(inkRows(smooth[1]).second + 1, 2 * (H - smooth[1].y0 + pen / 2.0), 1.5);
  }
}

// Pressure ink. The pixels are 2 a point.
std::string Draw(const PenRecord& r, const DrawingSettings& s) {
  std::string content;
  EXPECT_TRUE(DrawInk(r, s, &content));
  return content;
}

Gray RenderSeen(const std::string& content, int W, int H, int rotation, int margin = 0) {
  const bool sideways = rotation == 90 || rotation == 270;
  return Render(OnePagePdf(content, sideways ? H : W, sideways ? W : H, rotation, margin));
}

// Dark pixels in column x (seen upright), and in row y.
int InkInColumn(const Gray& g, int x) {
  int n = 0;
  for (int y = 0; y < g.h; ++y) n += g.Dark(x, y);
  return n;
}

// A straight stroke at an even pace whose pressure climbs from 300 to 700
// (median 500): the line swells from left to right as the pressure does,
// (p / 500)^1.5 times the pen width, on every rotation.
TEST(Render, StrokeWidthFollowsPressure) {
  PenRecord r{2000, 800, {}};
  Stroke st{true, true, {}};
  for (int i = 0; i <= 100; ++i)
    st.points.push_back({100 + 18 * i, 400, static_cast<uint32_t>(10 * i),
                         static_cast<uint16_t>(300 + 4 * i)});
  r.strokes.push_back(st);
  const int W = 200, H = 40, pen = 6;
  auto expectedWidth = [&](double pressure) { return pen * std::pow(pressure / 500, 1.5); };
  for (int rotation : {0, 90, 180, 270}) {
    SCOPED_TRACE(::testing::Message() << "rotation " << rotation);
    Gray g = RenderSeen(Draw(r, DrawingSettings{W, H, pen, 5, 50, 50, rotation}), W, H, rotation);
    ASSERT_EQ(g.w, 2 * W);
    // The centre line runs from x = w/2 (left cap) to W - w/2; columns at a
    // tenth and nine tenths of the way, pressures 340 and 660.
    const double left = expectedWidth(300) / 2, right = W - expectedWidth(700) / 2;
    const int low = static_cast<int>(2 * (left + 0.1 * (right - left)));
    const int high = static_cast<int>(2 * (left + 0.9 * (right - left)));
    EXPECT_NEAR(InkInColumn(g, low) / 2.0, expectedWidth(340), 0.75);
    EXPECT_NEAR(InkInColumn(g, high) / 2.0, expectedWidth(660), 0.75);
    EXPECT_GT(InkInColumn(g, high), 2 * InkInColumn(g, low));
  }
}

// Where the curve turns tighter than the pen is wide, the ink is solid: a
// small loop and a hairpin drawn with a wide pen leave no hole where an
// offset side would fold back over itself. And a pen that barely touches
// still draws.
TEST(Render, TightTurnsAreSolidAndALightTouchStillDraws) {
  PenRecord r{2000, 800, {}};
  Stroke loop{true, true, {}}, hairpin{true, true, {}}, light{true, true, {}};
  for (int i = 0; i <= 24; ++i) { // a circle of radius 30 pad units
    const double a = 2 * 3.14159265358979 * i / 24;
    loop.points.push_back({static_cast<int>(400 + 30 * std::cos(a)),
                           static_cast<int>(400 + 30 * std::sin(a)), static_cast<uint32_t>(5 * i), 500});
  }
  for (int i = 0; i <= 20; ++i) // down and straight back up
    hairpin.points.push_back({1000 + (i <= 10 ? 0 : 4), 200 + 40 * (i <= 10 ? i : 20 - i),
                              static_cast<uint32_t>(5 * i), 500});
  for (int i = 0; i <= 40; ++i)
    light.points.push_back({1300 + 15 * i, 400, static_cast<uint32_t>(5 * i), 0});
  r.strokes = {loop, hairpin, light};
  const int W = 200, H = 80, pen = 8;
  std::string content = Draw(r, DrawingSettings{W, H, pen, 0, 50, 50, 0});
  Gray g = RenderSeen(content, W, H, 0);
  ASSERT_EQ(g.w, 2 * W);
  // Mode 0 puts the pad (2000 x 800, a little more for the pen) in the box at
  // about 0.1 point a pad unit; find each stroke's ink by its place.
  auto scan = [&](double x0, double x1, double y0, double y1) { // pad units
    int dark = 0, all = 0;
    for (int y = static_cast<int>(y0 * 0.2); y < static_cast<int>(y1 * 0.2); ++y)
      for (int x = static_cast<int>(x0 * 0.2); x < static_cast<int>(x1 * 0.2); ++x)
        dark += g.Dark(x, y), ++all;
    return std::pair{dark, all};
  };
  // The loop's inside (radius 30 units, 3 points) lies under a pen of 8.
  auto [loopDark, loopAll] = scan(385, 415, 385, 415);
  EXPECT_EQ(loopDark, loopAll) << "a hole in the loop";
  auto [pinDark, pinAll] = scan(995, 1009, 200, 600);
  EXPECT_EQ(pinDark, pinAll) << "a hole in the hairpin";
  // Zero pressure: the thinnest line, still there along the whole stroke.
  for (int x = 1320; x <= 1880; x += 40) {
    SCOPED_TRACE(x);
    auto [lightDark, lightAll] = scan(x, x + 5, 350, 450);
    EXPECT_GT(lightDark, 0);
    EXPECT_LT(lightDark, lightAll / 3);
  }
}

// The bundled sample (a thousand points, with pressure) on every rotation:
// the ink stays inside its box on a larger page and fills it one way.
TEST(Render, SampleInPressureInkStaysInsideItsBoxOnEveryRotation) {
  const int W = 200, H = 60, pen = 4, margin = 10;
  for (int rotation : {0, 90, 180, 270}) {
    SCOPED_TRACE(::testing::Message() << "rotation " << rotation);
    Gray g = RenderSeen(Draw(testing::SampleSignature(), DrawingSettings{W, H, pen, 5, 50, 50, rotation}),
                        W, H, rotation, margin);
    ASSERT_EQ(g.w, 2 * (W + 2 * margin));
    int x0 = g.w, y0 = g.h, x1 = -1, y1 = -1;
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        if (g.Dark(x, y)) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    EXPECT_GE(x0, 2 * margin);
    EXPECT_GE(y0, 2 * margin);
    EXPECT_LT(x1, 2 * (margin + W));
    EXPECT_LT(y1, 2 * (margin + H));
    EXPECT_TRUE(x0 <= 2 * margin + 1 && x1 >= 2 * (margin + W) - 2 ||
                y0 <= 2 * margin + 1 && y1 >= 2 * (margin + H) - 2);
  }
}

#ifdef PENDATA_QPDF
// qpdf tokenises every content stream while checking: an operator or number
// the drawing writes wrongly shows up as an error or a warning (exit 2 or 3).
TEST(Render, SampleDrawingIsCleanPdfOnEveryRotation) {
  for (int rotation : {0, 90, 180, 270}) {
    SCOPED_TRACE(::testing::Message() << "rotation " << rotation);
    std::string content;
    ASSERT_TRUE(DrawInk(testing::SampleSignature(), DrawingSettings{200, 60, 2, 5, 50, 50, rotation},
                        &content));
    const bool sideways = rotation == 90 || rotation == 270;
    fs::path dir = fs::temp_directory_path() / ("pendata-qpdf-" + std::to_string(getpid()));
    fs::create_directories(dir);
    { std::ofstream(dir / "ink.pdf", std::ios::binary) << OnePagePdf(content, sideways ? 60 : 200, sideways ? 200 : 60, rotation); }
    const std::string cmd = std::string(PENDATA_QPDF) + " --check '" + (dir / "ink.pdf").string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    fs::remove_all(dir);
  }
}
#endif

} // namespace
} // namespace pendata
