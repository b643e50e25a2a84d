#include "SideBySide.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>

#include "PdfError.h"

namespace penvane {
namespace {

constexpr Rgb kChanged{220, 0, 0};
constexpr Rgb kLaterSignature{0, 90, 255};
constexpr Rgb kBackground{96, 96, 96};
constexpr Rgb kMissing{200, 200, 200};
constexpr int kMargin = 12, kGap = 16;

// Text for a Helvetica string in WinAnsiEncoding: Latin-1 letters kept,
// other characters shown as '?'; PDF string delimiters escaped.
std::string PdfString(const std::string& utf8) {
    std::string out = "(";
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        unsigned cp = c;
        size_t n = 1;
        if (c >= 0xC0 && c < 0xE0 && i + 1 < utf8.size()) cp = ((c & 0x1Fu) << 6) | (utf8[i + 1] & 0x3F), n = 2;
        else if (c >= 0xE0 && c < 0xF0) cp = 0xFFFF, n = 3;
        else if (c >= 0xF0) cp = 0xFFFF, n = 4;
        else if (c >= 0x80) cp = 0xFFFF;
        i += n;
        if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp > 0xFF) cp = '?';
        if (cp == '(' || cp == ')' || cp == '\\') out += '\\';
        out += static_cast<char>(cp);
    }
    return out + ")";
}

// Each text drawn on a strip `widthPoints` wide, one strip a text; a text
// longer than the strip holds is cut with "...".
std::vector<Raster> DrawTexts(const std::vector<std::string>& texts, double widthPoints, int dpi) {
    QPDF q;
    q.emptyPDF();
    QPDFObjectHandle font = q.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    const double size = 10, height = 16;
    // Helvetica's letters average about half the size in width.
    const size_t fits = static_cast<size_t>(std::max(8.0, (widthPoints - 8) / (size * 0.52)));
    for (const std::string& text : texts) {
        std::string shown = text.size() > fits ? text.substr(0, fits - 3) + "..." : text;
        std::string content = "1 g 0 0 " + std::to_string(widthPoints) + " " + std::to_string(height) + " re f 0 g BT /F1 " +
                              std::to_string(size) + " Tf 4 4.5 Td " + PdfString(shown) + " Tj ET";
        QPDFObjectHandle page = q.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Page /MediaBox [0 0 " + std::to_string(widthPoints) + " " + std::to_string(height) + "] >>"));
        page.replaceKey("/Resources", QPDFObjectHandle::parse("<< >>"));
        page.getKey("/Resources").replaceKey("/Font", QPDFObjectHandle::newDictionary());
        page.getKey("/Resources").getKey("/Font").replaceKey("/F1", font);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&q, content));
        q.addPage(page, false);
    }
    QPDFWriter w(q);
    w.setOutputMemory();
    w.write();
    std::shared_ptr<Buffer> buffer = w.getBufferSharedPointer();
    RenderedPages drawn(std::string_view(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize()),
                        RenderOptions{dpi, ""});
    drawn.Wait("the picture's labels");
    std::vector<Raster> out;
    for (int i = 1; i <= drawn.Count(); ++i) out.push_back(drawn.Page(i));
    if (out.size() != texts.size()) throw PdfError("the picture's labels could not be drawn");
    return out;
}

PixelBox Grown(const PixelBox& b, int by) { return {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}; }

}  // namespace

std::string PageStatus(const PageComparison& p) {
    std::string out = "Page " + std::to_string(p.page) + ": ";
    switch (p.state) {
    case PageComparison::State::Same: out += p.DrawsOverContent() ? "a later signature draws over it (red)" : "no difference"; break;
    case PageComparison::State::Added: out += "added after signing"; break;
    case PageComparison::State::Removed: out += "removed after signing"; break;
    case PageComparison::State::Resized: out += "drawn at another size"; break;
    case PageComparison::State::Changed:
        out += std::to_string(p.areas.size()) + (p.areas.size() == 1 ? " area differs" : " areas differ") + " (red)";
        break;
    }
    const size_t shaded = p.widgets.size();
    if (shaded) out += "; " + std::to_string(shaded) + " later signature" + (shaded == 1 ? "" : "s") + " (blue)";
    return out;
}

Raster SideBySide(const RenderComparison& c, const std::vector<int>& pages, const SideLabels& labels) {
    // Both columns as wide as the widest page either side has.
    std::vector<std::pair<Raster, Raster>> drawn;
    int column = 0;
    for (int n : pages) {
        Raster before = n <= c.signedPages ? c.signedSide->Page(n) : Raster();
        Raster after = n <= c.currentPages ? c.currentSide->Page(n) : Raster();
        column = std::max({column, before.width, after.width});
        drawn.emplace_back(std::move(before), std::move(after));
    }
    const double columnPoints = column * 72.0 / c.dpi;
    std::vector<std::string> texts{labels.signedSide, labels.currentSide};
    for (int n : pages) texts.push_back(PageStatus(c.pages.at(static_cast<size_t>(n) - 1)));
    std::vector<Raster> strips = DrawTexts(texts, columnPoints, c.dpi);
    std::vector<Raster> titles = DrawTexts({labels.title}, (2 * column + kGap) * 72.0 / c.dpi, c.dpi);

    const int width = 2 * kMargin + 2 * column + kGap;
    int height = kMargin + titles[0].height + kMargin;
    for (size_t i = 0; i < pages.size(); ++i) {
        const int tallest = std::max(drawn[i].first.height, drawn[i].second.height);
        height += 2 * strips[0].height + 2 + tallest + kMargin;
    }
    Raster out(width, height, kBackground);
    Paste(out, titles[0], kMargin, kMargin);
    int y = kMargin + titles[0].height + kMargin;
    const int left = kMargin, right = kMargin + column + kGap;
    for (size_t i = 0; i < pages.size(); ++i) {
        const PageComparison& p = c.pages.at(static_cast<size_t>(pages[i]) - 1);
        Raster& before = drawn[i].first;
        Raster& after = drawn[i].second;
        Paste(out, strips[0], left, y);
        Paste(out, strips[1], right, y);
        y += strips[0].height;
        Paste(out, strips[2 + i], left, y);
        Paste(out, strips[2 + i], right, y);
        y += strips[0].height + 2;
        // A page only one side has: the other side shows an empty grey page.
        if (before.Empty()) before = Raster(after.width, after.height, kMissing);
        if (after.Empty()) after = Raster(before.width, before.height, kMissing);
        for (size_t k = 0; k < p.widgets.size(); ++k) {
            const PixelBox& w = c.widgets[p.widgets[k]].pixels;
            ShadeBox(after, w, kLaterSignature, 70);
            FrameBox(after, w, kLaterSignature, 1);
        }
        for (const PixelBox& a : p.overContent) {
            if (a.Empty()) continue;
            FrameBox(before, Grown(a, 3), kChanged, 3);
            FrameBox(after, Grown(a, 3), kChanged, 3);
        }
        for (const PixelBox& a : p.areas) {
            FrameBox(before, Grown(a, 3), kChanged, 3);
            FrameBox(after, Grown(a, 3), kChanged, 3);
        }
        if (p.state == PageComparison::State::Added || p.state == PageComparison::State::Resized)
            FrameBox(after, {3, 3, after.width - 3, after.height - 3}, kChanged, 3);
        if (p.state == PageComparison::State::Removed || p.state == PageComparison::State::Resized)
            FrameBox(before, {3, 3, before.width - 3, before.height - 3}, kChanged, 3);
        Paste(out, before, left, y);
        Paste(out, after, right, y);
        y += std::max(before.height, after.height) + kMargin;
    }
    return out;
}

}  // namespace penvane
