// The appearance as a reader draws it: the ink inside the field and upright
// as the page is shown, on pages rotated 0, 90, 180 and 270 degrees; and the
// picture of verify with the validity mark.
#include <gtest/gtest.h>

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <set>

#include "PdfLoad.h"
#include "SignatureFields.h"
#include "ToolRunner.h"

using namespace penvane;

namespace {

struct Gray {
    int width = 0, height = 0;
    std::string pixels;
    unsigned char At(int x, int y) const { return static_cast<unsigned char>(pixels[static_cast<size_t>(y) * width + x]); }
};

// One page at 72 dpi (a pixel a point), as a binary PGM from pdftoppm.
Gray Render(const std::string& pdf, int page) {
    const std::string base = ScratchDir() + "/page";
    ToolRun r = RunCommand("pdftoppm -gray -r 72 -singlefile -f " + std::to_string(page) + " -l " +
                           std::to_string(page) + " " + pdf + " " + base);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::string bytes = ReadBytes(base + ".pgm");
    Gray g;
    int maxValue = 0, consumed = 0;
    if (std::sscanf(bytes.c_str(), "P5 %d %d %d%n", &g.width, &g.height, &maxValue, &consumed) != 3) return g;
    g.pixels = bytes.substr(static_cast<size_t>(consumed) + 1);
    return g;
}

struct Box { int x0, y0, x1, y1; };

// The default-space rectangle as pixels of the page as shown.
Box OnScreen(const PdfRect& r, const PdfRect& media, int rotation) {
    const double W = media[2] - media[0], H = media[3] - media[1];
    auto map = [&](double x, double y, double* sx, double* sy) {
        x -= media[0];
        y -= media[1];
        switch (rotation) {
        case 90: *sx = y; *sy = x; break;
        case 180: *sx = W - x; *sy = y; break;
        case 270: *sx = H - y; *sy = W - x; break;
        default: *sx = x; *sy = H - y;
        }
    };
    double ax, ay, bx, by;
    map(r[0], r[1], &ax, &ay);
    map(r[2], r[3], &bx, &by);
    return {static_cast<int>(std::min(ax, bx)), static_cast<int>(std::min(ay, by)),
            static_cast<int>(std::max(ax, bx)), static_cast<int>(std::max(ay, by))};
}

// Where the signed page differs from the unsigned one.
bool Difference(const Gray& before, const Gray& after, Box* box) {
    *box = {after.width, after.height, -1, -1};
    if (before.width != after.width || before.height != after.height) return false;
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x)
            if (std::abs(before.At(x, y) - after.At(x, y)) > 64) {
                box->x0 = std::min(box->x0, x);
                box->y0 = std::min(box->y0, y);
                box->x1 = std::max(box->x1, x);
                box->y1 = std::max(box->y1, y);
            }
    return box->x1 >= 0;
}

TEST(Render, InkStaysInsideTheFieldAndUprightOnEveryRotation) {
    const std::string dir = ScratchDir();
    LoadedPdf pdf = LoadPdf(TestPdf("rotated.pdf"), "");
    auto pages = QPDFPageDocumentHelper(*pdf.qpdf).getAllPages();
    std::set<int> rotations;
    const PdfRect field{100, 200, 400, 300};   // wide in default space
    for (int page = 1; page <= 4; ++page) {
        const int rotation = PageRotation(pages[page - 1].getObjectHandle());
        rotations.insert(rotation);
        SCOPED_TRACE("page " + std::to_string(page) + ", rotated " + std::to_string(rotation));
        const std::string out = dir + "/rotated-" + std::to_string(rotation) + ".pdf";
        ASSERT_EQ(SignWithSample(TestPdf("rotated.pdf"), out, {"--new-field", std::to_string(page) + ":100,200,400,300"}).exitCode, 0);
        Box ink;
        ASSERT_TRUE(Difference(Render(TestPdf("rotated.pdf"), page), Render(out, page), &ink));
        Box shown = OnScreen(field, PageBox(pages[page - 1].getObjectHandle()), rotation);
        EXPECT_GE(ink.x0, shown.x0 - 1);
        EXPECT_GE(ink.y0, shown.y0 - 1);
        EXPECT_LE(ink.x1, shown.x1 + 1);
        EXPECT_LE(ink.y1, shown.y1 + 1);
        // The sample signature is written across: upright, it is wider than tall.
        EXPECT_GT(ink.x1 - ink.x0, ink.y1 - ink.y0) << "ink turned on the page";
    }
    EXPECT_EQ(rotations, (std::set<int>{0, 90, 180, 270}));
}

TEST(Render, VerifyPicturesTheValidityMarkAtTheField) {
    const std::string dir = ScratchDir(), out = dir + "/signed.pdf";
    ASSERT_EQ(SignWithSample(TestPdf("unsigned-field.pdf"), out).exitCode, 0);
    ToolRun verify = RunTool({"verify", out, "--picture", dir + "/valid.png"});
    EXPECT_EQ(verify.exitCode, 0);
    EXPECT_NE(verify.out.find("picture: " + dir + "/valid.png (page 1, field \"Approval\")"), std::string::npos) << verify.out;
    EXPECT_TRUE(Exists(dir + "/valid.png"));

    std::string bytes = ReadBytes(out);
    bytes[bytes.find("Sign here")] = 's';
    WriteBytes(dir + "/changed.pdf", bytes);
    ToolRun invalid = RunTool({"verify", dir + "/changed.pdf", "--picture", dir + "/invalid.png"});
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_TRUE(Exists(dir + "/invalid.png"));
}

}  // namespace
