// Renders drawings with poppler's pdftoppm and checks where the ink lands in
// the pixels, as a reader sees the rotated page.
#include "pdf_drawing.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace pendata {
namespace {

namespace fs = std::filesystem;

// A one-page PDF whose page is the drawing's box, rotated by `rotation`.
std::string OnePagePdf(const std::string& content, double boxW, double boxH, int rotation) {
  std::vector<std::string> objs = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(boxW) + " " +
          std::to_string(boxH) + "] /Rotate " + std::to_string(rotation) +
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
