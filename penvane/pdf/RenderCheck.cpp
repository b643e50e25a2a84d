#include "RenderCheck.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "ByteRange.h"
#include "ImageDiff.h"
#include "PdfError.h"

namespace penvane {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::string Points(const PdfRect& r) {
    auto n = [](double v) { return std::to_string(static_cast<long long>(std::lround(v))); };
    return n(r[0]) + "," + n(r[1]) + "," + n(r[2]) + "," + n(r[3]);
}

std::vector<PageGeometry> Geometry(QPDF& q, int dpi) {
    std::vector<PageGeometry> pages;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(q).getAllPages()) {
        PageGeometry g;
        g.dpi = dpi;
        g.rotation = PageRotation(page.getObjectHandle());
        // pdftoppm draws the crop box, within the media box.
        const PdfRect media = PageBox(page.getObjectHandle());
        PdfRect crop = ReadRect(page.getAttribute("/CropBox", false));
        if (crop[2] - crop[0] <= 0 || crop[3] - crop[1] <= 0) crop = media;
        g.crop = {std::max(crop[0], media[0]), std::max(crop[1], media[1]), std::min(crop[2], media[2]),
                  std::min(crop[3], media[3])};
        if (g.crop[2] <= g.crop[0] || g.crop[3] <= g.crop[1]) g.crop = media;
        pages.push_back(g);
    }
    return pages;
}

// The whole page, for pages that only one side has.
PdfRect WholePage(const std::vector<PageGeometry>& geometry, int page) {
    return page <= static_cast<int>(geometry.size()) ? geometry[page - 1].crop : PdfRect{0, 0, 0, 0};
}

bool SameRect(const PdfRect& a, const PdfRect& b) {
    for (size_t i = 0; i < 4; ++i)
        if (std::fabs(a[i] - b[i]) > 0.5) return false;
    return true;
}

// The signature fields of the signed revision, empty ones among them. A
// revision qpdf cannot read has none: every later widget is then held to
// drawing over background only.
std::vector<SignatureField> FieldsWhenSigned(LoadedPdf& current, long long end, const std::string& password) {
    try {
        LoadedPdf revision = LoadPdfView(current.path, current.storage,
                                         current.bytes.substr(0, static_cast<size_t>(end)), password);
        return ListSignatureFields(*revision.qpdf);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

PixelBox PageGeometry::ToPixels(const PdfRect& r) const {
    const double W = crop[2] - crop[0], H = crop[3] - crop[1], k = dpi / 72.0;
    auto shown = [&](double x, double y, double* sx, double* sy) {
        x -= crop[0];
        y -= crop[1];
        switch (rotation) {
        case 90: *sx = y; *sy = x; break;
        case 180: *sx = W - x; *sy = y; break;
        case 270: *sx = H - y; *sy = W - x; break;
        default: *sx = x; *sy = H - y;
        }
    };
    double ax, ay, bx, by;
    shown(r[0], r[1], &ax, &ay);
    shown(r[2], r[3], &bx, &by);
    return {static_cast<int>(std::floor(std::min(ax, bx) * k)), static_cast<int>(std::floor(std::min(ay, by) * k)),
            static_cast<int>(std::ceil(std::max(ax, bx) * k)), static_cast<int>(std::ceil(std::max(ay, by) * k))};
}

PdfRect PageGeometry::ToPoints(const PixelBox& b) const {
    const double W = crop[2] - crop[0], H = crop[3] - crop[1], k = 72.0 / dpi;
    auto user = [&](double sx, double sy, double* x, double* y) {
        switch (rotation) {
        case 90: *x = sy; *y = sx; break;
        case 180: *x = W - sx; *y = sy; break;
        case 270: *x = W - sy; *y = H - sx; break;
        default: *x = sx; *y = H - sy;
        }
        *x += crop[0];
        *y += crop[1];
    };
    double ax, ay, bx, by;
    user(b.x0 * k, b.y0 * k, &ax, &ay);
    user(b.x1 * k, b.y1 * k, &bx, &by);
    return {std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
}

bool RenderComparison::Changed() const {
    for (const PageComparison& p : pages)
        if (p.Differs()) return true;
    return false;
}

std::vector<std::string> RenderComparison::Findings() const {
    std::vector<std::string> out;
    for (const PageComparison& p : pages) {
        const std::string page = "rendered page " + std::to_string(p.page) + ": ";
        switch (p.state) {
        case PageComparison::State::Same: break;
        case PageComparison::State::Added: out.push_back(page + "added after signing"); break;
        case PageComparison::State::Removed: out.push_back(page + "in the signed version, gone now"); break;
        case PageComparison::State::Resized: out.push_back(page + "drawn at another size than in the signed version"); break;
        case PageComparison::State::Changed:
            for (const PdfRect& r : p.areaPoints)
                out.push_back(page + "area " + Points(r) + " differs from the signed version");
            break;
        }
        for (size_t i = 0; i < p.widgets.size(); ++i)
            if (!p.overContent[i].Empty())
                out.push_back(page + "the later signature \"" + widgets[p.widgets[i]].field +
                              "\", in a field the signed version did not have, draws over what it showed at area " +
                              Points(p.overContentPoints[i]));
    }
    return out;
}

std::vector<std::string> RenderComparison::WidgetFindings() const {
    std::vector<std::string> out;
    for (const PageComparison& p : pages)
        for (size_t i = 0; i < p.widgets.size(); ++i) {
            if (p.widgetAreas[i].Empty()) continue;
            const LaterWidget& w = widgets[p.widgets[i]];
            out.push_back("rendered page " + std::to_string(p.page) + ": the appearance of the later signature \"" +
                          w.field + "\" (" + (w.signer.empty() ? std::string("no name") : w.signer) + ") at " +
                          Points(w.rect));
        }
    return out;
}

std::vector<size_t> SignaturesToCheck(const std::vector<SignatureReport>& signatures, long long fileSize) {
    std::vector<size_t> out;
    for (size_t i = 0; i < signatures.size(); ++i) {
        const SignatureReport& s = signatures[i];
        if (s.ours && s.valid && s.range && RangeEnd(*s.range) < fileSize) out.push_back(i);
    }
    return out;
}

namespace {

// Later signature widgets: the signatures whose revision ends after `c`'s.
void FindLaterWidgets(LoadedPdf& current, const std::vector<SignatureReport>& signatures,
                      const std::vector<PageGeometry>& geometry, const RenderOptions& options, RenderComparison& c) {
    std::vector<SignatureField> signedFields;
    bool fieldsRead = false;
    for (const SignatureReport& t : signatures) {
        if (!t.range || RangeEnd(*t.range) <= c.signedEnd || t.page < 1) continue;
        if (t.rect[2] <= t.rect[0] || t.rect[3] <= t.rect[1]) continue;
        if (!fieldsRead) signedFields = FieldsWhenSigned(current, c.signedEnd, options.password), fieldsRead = true;
        LaterWidget w{t.field, t.name, t.page, t.rect, {}, false};
        for (const SignatureField& f : signedFields)
            w.reserved = w.reserved || (f.name == t.field && f.page == t.page && SameRect(f.rect, t.rect));
        if (t.page <= static_cast<int>(geometry.size())) {
            // pdftoppm's anti-aliasing lets an appearance that reaches the
            // rectangle's edge colour the pixel beyond it.
            const PixelBox b = geometry[t.page - 1].ToPixels(t.rect);
            w.pixels = {b.x0 - 1, b.y0 - 1, b.x1 + 1, b.y1 + 1};
        }
        c.widgets.push_back(w);
    }
}

// Page `n` of both sides of `c`, each present or not.
PageComparison ComparePage(const RenderComparison& c, int n, bool inSigned, bool inCurrent,
                           const std::vector<PageGeometry>& geometry, int dpi, Raster& before, Raster& after) {
    PageComparison p;
    p.page = n;
    std::vector<ExemptBox> exempt;
    for (size_t i = 0; i < c.widgets.size(); ++i)
        if (c.widgets[i].page == n) {
            p.widgets.push_back(i);
            exempt.push_back({c.widgets[i].pixels, !c.widgets[i].reserved});
        }
    p.widgetAreas.resize(p.widgets.size());
    p.overContent.resize(p.widgets.size());
    if (!inSigned) {
        p.state = PageComparison::State::Added;
        p.areaPoints.push_back(WholePage(geometry, n));
        return p;
    }
    if (!inCurrent) {
        p.state = PageComparison::State::Removed;
        return p;
    }
    c.signedSide->Page(n, &before);
    c.currentSide->Page(n, &after);
    if (before.width != after.width || before.height != after.height) {
        p.state = PageComparison::State::Resized;
        p.areaPoints.push_back(WholePage(geometry, n));
        return p;
    }
    // Pixels closer than a sixth of an inch join one area.
    PageDifference d = ComparePages(before, after, exempt, std::max(4, dpi / 6));
    p.widgetAreas = d.inExempt;
    p.overContent = d.overContent;
    p.areas = d.areas;
    PageGeometry g = n <= static_cast<int>(geometry.size()) ? geometry[n - 1] : PageGeometry{};
    if (n > static_cast<int>(geometry.size())) {
        // A page pdftoppm drew that qpdf does not list: areas are named as
        // the drawing shows them, in points from the bottom left.
        g.dpi = dpi;
        g.crop = {0, 0, after.width * 72.0 / dpi, after.height * 72.0 / dpi};
    }
    for (const PixelBox& b : p.areas) p.areaPoints.push_back(g.ToPoints(b));
    for (const PixelBox& b : p.overContent) p.overContentPoints.push_back(g.ToPoints(b));
    if (!p.areas.empty()) p.state = PageComparison::State::Changed;
    return p;
}

}  // namespace

std::vector<RenderComparison> CompareRendered(LoadedPdf& current, const std::vector<SignatureReport>& signatures,
                                              const std::vector<size_t>& indices, const RenderOptions& options,
                                              KeepDrawings keep) {
    const auto start = Clock::now();
    // Every side starts at once: pdftoppm draws with one thread, so the
    // revisions and the current document share the cores; each page is
    // compared as soon as every side has drawn it.
    auto now = std::make_shared<RenderedPages>(current.bytes, options);
    std::vector<RenderComparison> out;
    for (size_t index : indices) {
        const SignatureReport& s = signatures.at(index);
        if (!s.range) throw PdfError("a signature without a /ByteRange has no signed revision to draw");
        const long long end = RangeEnd(*s.range);
        if (end <= 0 || end > static_cast<long long>(current.bytes.size()))
            throw PdfError("the signed revision lies beyond the end of the file");
        RenderComparison c;
        c.dpi = options.dpi;
        c.signedEnd = end;
        c.signedSide = std::make_shared<RenderedPages>(current.bytes.substr(0, static_cast<size_t>(end)), options);
        c.currentSide = now;
        out.push_back(std::move(c));
    }
    // While pdftoppm draws: where each page lies, and the later widgets.
    const std::vector<PageGeometry> geometry = Geometry(*current.qpdf, options.dpi);
    for (RenderComparison& c : out) FindLaterWidgets(current, signatures, geometry, options, c);

    double comparing = 0;
    Raster before, after;  // reused from page to page
    for (int n = 1;; ++n) {
        const bool inCurrent = now->WaitForPage(n);
        std::vector<bool> inSigned;
        bool any = inCurrent;
        for (RenderComparison& c : out) {
            inSigned.push_back(c.signedSide->WaitForPage(n));
            any = any || inSigned.back();
        }
        if (!any) break;
        const auto compareStart = Clock::now();
        bool keepCurrent = keep == KeepDrawings::All || (keep == KeepDrawings::Differing && n == 1);
        for (size_t k = 0; k < out.size(); ++k) {
            RenderComparison& c = out[k];
            c.pages.push_back(ComparePage(c, n, inSigned[k], inCurrent, geometry, options.dpi, before, after));
            const PageComparison& p = c.pages.back();
            const bool kept = keepCurrent || (keep == KeepDrawings::Differing && (p.Differs() || !p.widgets.empty()));
            if (!kept) c.signedSide->Drop(n);
            keepCurrent = keepCurrent || kept;
        }
        if (!keepCurrent) now->Drop(n);
        comparing += Since(compareStart);
    }
    now->Wait("the current document");
    for (RenderComparison& c : out) c.signedSide->Wait("the signed revision (bytes 0.." + std::to_string(c.signedEnd) + ")");
    for (RenderComparison& c : out) {
        c.signedPages = c.signedSide->Count();
        c.currentPages = now->Count();
        c.renderSeconds = Since(start);
        c.compareSeconds = comparing;
    }
    return out;
}

void NoteRenderedChanges(const RenderComparison& c, SignatureReport& s) {
    std::vector<std::string> changes = c.Findings(), widgets = c.WidgetFindings();
    if (changes.empty() && widgets.empty()) return;
    if (!s.changes) s.changes = RevisionChanges{};
    for (const std::string& f : changes) s.changes->Note("rendered page", f);
    // A later signature's appearance is that signature's business: named,
    // not counted as a change.
    for (const std::string& f : widgets) s.changes->details.push_back(f);
}

}  // namespace penvane
