// The validity marks as PDF: read back by qpdf's content parser (operators in
// their order, q/Q balanced, every path point inside the box once placed by
// the mark's "cm"), then drawn on a page with poppler to see that a mark of
// the right colour stands in its box and nothing spills out of it.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "ValidityMarks.h"

namespace {

namespace fs = std::filesystem;

struct Operation {
    std::string op;
    std::vector<QPDFObjectHandle> operands;
    // The operands and operator as one line of text, numbers as written.
    std::string Text()
    {
        std::string text;
        for (auto& operand : operands)
            text += operand.unparse() + " ";
        return text + op;
    }
};

class Collector : public QPDFObjectHandle::ParserCallbacks {
public:
    std::vector<Operation> operations;
    bool bad = false;
    void handleObject(QPDFObjectHandle obj) override
    {
        if (obj.isOperator()) {
            operations.push_back({obj.getOperatorValue(), pending});
            pending.clear();
        } else {
            bad |= obj.isNull();  // an unreadable token comes as null
            pending.push_back(obj);
        }
    }
    void handleEOF() override { bad |= !pending.empty(); }

private:
    std::vector<QPDFObjectHandle> pending;
};

std::vector<Operation> Parse(const std::string& content, bool* bad)
{
    QPDF pdf;
    pdf.emptyPDF();
    Collector collector;
    QPDFObjectHandle::parseContentStream(QPDFObjectHandle::newStream(&pdf, content), &collector);
    *bad = collector.bad;
    return collector.operations;
}

struct Rgb {
    int r, g, b;
};

struct Mark {
    const char* name;
    const char* stream;
    const ASFixed* box;
    // Every operator that is not path construction, with its operands, in order.
    std::vector<std::string> operators;
    Rgb colour;         // the mark's fill
    double halfStroke;  // how far an outline may reach past its path, in box units
};

const std::vector<std::string> kPathOperators = {"m", "l", "c", "v", "y", "h", "re"};

bool IsPathOperator(const std::string& op)
{
    for (const auto& p : kPathOperators)
        if (p == op)
            return true;
    return false;
}

std::vector<Mark> Marks()
{
    const std::vector<std::string> style = {"q", "0 J", "0 j", "4 M", "[ ] 0 d"};
    auto with = [&](std::vector<std::string> rest) {
        std::vector<std::string> all = style;
        all.insert(all.end(), rest.begin(), rest.end());
        return all;
    };
    return {
        {"valid", kValidMark, kValidMarkBox,
         with({"1.5 i", "1 g", "f", "0 g", "f", "0 0.7 0.23 rg", "0 G", "15 w", "b", "Q"}), {0, 179, 59}, 7.5},
        {"unknown", kUnknownMark, kUnknownMarkBox,
         with({"1 G", "1 g", "0.1 0 0 0.1 9 0 cm", "1 i", "0 g", "f", "1 1 0.4 rg", "0.44 G", "1.2 w", "B", "Q"}),
         {255, 255, 102}, 0.06},
        {"invalid", kInvalidMark, kInvalidMarkBox,
         with({"0.1 0 0 0.1 5 0 cm", "1 i", "1 G", "0 g", "f", "1 0 0 rg", "0.44 G", "1.2 w", "B", "Q"}),
         {255, 0, 0}, 0.06},
    };
}

double Units(ASFixed value) { return value / 65536.0; }

TEST(ValidityMarks, OperatorsInOrderBalancedAndInsideTheBox)
{
    for (Mark& mark : Marks()) {
        SCOPED_TRACE(mark.name);
        bool bad = false;
        std::vector<Operation> operations = Parse(mark.stream, &bad);
        EXPECT_FALSE(bad);

        std::vector<std::string> painted;
        int depth = 0;
        double a = 1, d = 1, e = 0, f = 0;  // the mark's cm: scale and shift only
        const double x1 = Units(mark.box[2]), y1 = Units(mark.box[3]);
        for (Operation& o : operations) {
            if (o.op == "q")
                ++depth;
            if (o.op == "Q")
                --depth;
            EXPECT_GE(depth, 0);
            if (o.op == "cm") {
                ASSERT_EQ(o.operands.size(), 6u);
                EXPECT_EQ(o.operands[1].getNumericValue(), 0);
                EXPECT_EQ(o.operands[2].getNumericValue(), 0);
                a = o.operands[0].getNumericValue(), d = o.operands[3].getNumericValue();
                e = o.operands[4].getNumericValue(), f = o.operands[5].getNumericValue();
            }
            if (!IsPathOperator(o.op)) {
                painted.push_back(o.Text());
                continue;
            }
            std::vector<double> n;
            for (auto& operand : o.operands)
                n.push_back(operand.getNumericValue());
            if (o.op == "re")  // x y w h: its far corner too
                n = {n[0], n[1], n[0] + n[2], n[1] + n[3]};
            ASSERT_EQ(n.size() % 2, 0u) << o.Text();
            for (size_t i = 0; i < n.size(); i += 2) {
                const double x = a * n[i] + e, y = d * n[i + 1] + f;
                EXPECT_TRUE(x >= 0 && x <= x1 && y >= 0 && y <= y1) << o.Text() << " -> " << x << " " << y;
            }
        }
        EXPECT_EQ(depth, 0);
        EXPECT_EQ(painted, mark.operators);
    }
}

struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    Rgb At(int x, int y) const
    {
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

bool Near(Rgb a, Rgb b) { return std::abs(a.r - b.r) < 24 && std::abs(a.g - b.g) < 24 && std::abs(a.b - b.b) < 24; }

// The mark on a page that leaves a margin of a quarter of the box around it,
// rendered with its longer side `pixels` wide. The file stays for a look
// when PENVANE_KEEP_PICTURES names a folder.
Picture Render(const Mark& mark, double margin, int pixels)
{
    const double x1 = Units(mark.box[2]), y1 = Units(mark.box[3]);
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [" + std::to_string(-margin) + " " + std::to_string(-margin) + " " +
        std::to_string(x1 + margin) + " " + std::to_string(y1 + margin) + "] /Resources << >> >>");
    page.replaceKey("/Contents", pdf.newStream(mark.stream));
    pdf.addPage(pdf.makeIndirectObject(page), true);

    const fs::path dir = fs::temp_directory_path() / ("penvane-marks-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / (std::string(mark.name) + ".pdf");
    const std::string fileName = file.string();  // the writer keeps the pointer
    QPDFWriter writer(pdf, fileName.c_str());
    writer.write();

    Picture picture;
    const std::string command = "pdftoppm -singlefile -scale-to " + std::to_string(pixels) + " '" + file.string() +
                                "' '" + (dir / mark.name).string() + "'";
    if (std::system(command.c_str()) == 0) {
        std::ifstream in(dir / (std::string(mark.name) + ".ppm"), std::ios::binary);
        std::string magic;
        int maxValue = 0;
        in >> magic >> picture.w >> picture.h >> maxValue;
        in.get();
        picture.rgb.resize(static_cast<size_t>(picture.w) * picture.h * 3);
        in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
        if (magic != "P6" || !in)
            picture = Picture{};
    }
    if (const char* keep = std::getenv("PENVANE_KEEP_PICTURES")) {
        const std::string png = "pdftoppm -png -singlefile -scale-to " + std::to_string(pixels) + " '" +
                                file.string() + "' '" + (fs::path(keep) / mark.name).string() + "'";
        EXPECT_EQ(std::system(png.c_str()), 0);
    }
    fs::remove_all(dir);
    return picture;
}

TEST(ValidityMarks, EachDrawsItsColourStandingInItsBox)
{
    for (const Mark& mark : Marks()) {
        SCOPED_TRACE(mark.name);
        const double x1 = Units(mark.box[2]), y1 = Units(mark.box[3]);
        const double margin = y1 / 4;
        const int pixels = 300;
        Picture picture = Render(mark, margin, pixels);
        ASSERT_GT(picture.w, 0);
        const double scale = pixels / (y1 + 2 * margin);  // pixels per box unit (the boxes are taller than wide)
        auto unitX = [&](int px) { return (px + 0.5) / scale - margin; };
        auto unitY = [&](int py) { return y1 + margin - (py + 0.5) / scale; };

        int coloured = 0, black = 0;
        double cx0 = 1e9, cy0 = 1e9, cx1 = -1e9, cy1 = -1e9;
        const double slack = mark.halfStroke + 1.5 / scale;  // half an outline and a pixel's blur
        for (int py = 0; py < picture.h; ++py)
            for (int px = 0; px < picture.w; ++px) {
                const Rgb c = picture.At(px, py);
                if (c.r > 240 && c.g > 240 && c.b > 240)
                    continue;  // paper (or the white halo)
                const double x = unitX(px), y = unitY(py);
                EXPECT_TRUE(x > -slack && x < x1 + slack && y > -slack && y < y1 + slack)
                    << "ink outside the box at pixel " << px << "," << py;
                if (Near(c, mark.colour)) {
                    ++coloured;
                    cx0 = std::min(cx0, x), cx1 = std::max(cx1, x);
                    cy0 = std::min(cy0, y), cy1 = std::max(cy1, y);
                }
                black += c.r < 40 && c.g < 40 && c.b < 40;
            }
        // The mark: its colour over a good part of the box, and a shadow.
        const double boxPixels = x1 * y1 * scale * scale;
        EXPECT_GT(coloured, boxPixels / 10);
        EXPECT_GT(black, boxPixels / 50);
        // Standing up: the coloured shape spans most of the box's height and half its width.
        EXPECT_GT(cy1 - cy0, 0.7 * y1);
        EXPECT_GT(cx1 - cx0, 0.5 * x1);
    }
}

}  // namespace
