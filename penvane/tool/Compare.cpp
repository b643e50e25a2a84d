#include "Compare.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "ByteRange.h"
#include "PdfError.h"
#include "SideBySide.h"

namespace penvane {
namespace {

constexpr size_t kPagesInOnePicture = 12;

// Revisions are counted by their end-of-file markers: the first revision
// ends at the first one.
int RevisionsIn(std::string_view bytes) {
    int n = 0;
    for (size_t at = bytes.find("%%EOF"); at != std::string_view::npos; at = bytes.find("%%EOF", at + 5)) ++n;
    return std::max(n, 1);
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The signature the pictures show: the newest of this handler's that is
// valid for its revision and followed by later bytes; failing that the
// newest valid one (its picture then shows that nothing changed).
long PictureSignature(const VerifyReport& report) {
    for (size_t i = 0; i < report.signatures.size(); ++i) {
        const SignatureReport& s = report.signatures[i];
        if (s.ours && s.valid && s.range && RangeEnd(*s.range) < report.fileSize) return static_cast<long>(i);
    }
    for (size_t i = 0; i < report.signatures.size(); ++i)
        if (report.signatures[i].ours && report.signatures[i].valid && report.signatures[i].range) return static_cast<long>(i);
    return -1;
}

SideLabels Labels(const LoadedPdf& pdf, const SignatureReport& s, const RenderComparison& c) {
    SideLabels l;
    const std::string_view signedBytes = pdf.bytes.substr(0, static_cast<size_t>(c.signedEnd));
    l.signedSide = "Signed: revision " + std::to_string(RevisionsIn(signedBytes)) + " (bytes 0.." +
                   std::to_string(c.signedEnd) + "), field " + Quoted(s.field) + ", signed by " +
                   (s.name.empty() ? std::string("(no name)") : s.name) + (s.time.empty() ? "" : ", " + s.time);
    l.currentSide = "Now: revision " + std::to_string(RevisionsIn(pdf.bytes)) + " (bytes 0.." +
                    std::to_string(pdf.bytes.size()) + ")";
    std::string later;
    for (const LaterWidget& w : c.widgets)
        later += (later.empty() ? "" : ", ") + (w.signer.empty() ? Quoted(w.field) : w.signer);
    l.currentSide += later.empty() ? ", no later signature" : ", later signed by " + later;
    std::string differing;
    int count = 0;
    for (const PageComparison& p : c.pages)
        if (p.Differs()) differing += (count++ ? ", " : "") + std::to_string(p.page);
    l.title = pdf.path + " at " + std::to_string(c.dpi) + " dpi: " +
              (count == 0 ? std::string("nothing differs outside later signatures")
                          : (count == 1 ? "page " : "pages ") + differing + " differ" + (count == 1 ? "s" : "") +
                                " from the signed version");
    return l;
}

void Write(const Raster& picture, const std::string& path, std::ostream& out, bool quiet, const std::string& what) {
    WritePng(picture, path);
    if (!quiet) out << "compare: " << path << " (" << what << ")\n";
}

}  // namespace

void CompareDrawings(LoadedPdf& pdf, VerifyReport& report, const CompareRequest& request, RenderChecks* checks,
                     std::ostream& out, bool quiet) {
    if (!request.Wanted()) return;
    const bool pictures = !request.picture.empty() || !request.folder.empty();
    std::vector<size_t> indices;
    if (request.renderCheck) indices = SignaturesToCheck(report.signatures, report.fileSize);
    const long shown = pictures ? PictureSignature(report) : -1;
    if (shown >= 0 && std::find(indices.begin(), indices.end(), static_cast<size_t>(shown)) == indices.end())
        indices.push_back(static_cast<size_t>(shown));
    if (pictures && shown < 0 && !quiet)
        out << "compare: no picture (no signature of this handler that is valid for its revision)\n";
    if (indices.empty()) return;

    RenderOptions options{request.dpi, request.password};
    const KeepDrawings keep = !request.folder.empty() ? KeepDrawings::All
                              : !request.picture.empty() ? KeepDrawings::Differing
                                                         : KeepDrawings::None;
    std::vector<RenderComparison> compared = CompareRendered(pdf, report.signatures, indices, options, keep);
    for (size_t k = 0; k < indices.size(); ++k) {
        const size_t i = indices[k];
        RenderComparison& c = compared[k];
        if (request.verbose)
            std::cerr << "render: " << report.path << " signature " << i + 1 << ": " << c.signedPages << " + "
                      << c.currentPages << " pages at " << c.dpi << " dpi, drawn and compared in " << c.renderSeconds
                      << " s (every side at once, page by page), of which comparing " << c.compareSeconds << " s\n";
        if (static_cast<long>(i) == shown) {
            const SideLabels labels = Labels(pdf, report.signatures[i], c);
            if (!request.picture.empty()) {
                std::vector<int> pages;
                for (const PageComparison& p : c.pages)
                    if (p.Differs() || !p.widgets.empty()) pages.push_back(p.page);
                if (pages.empty()) pages.push_back(1);
                // One picture of every page of a long document would not fit
                // in memory; the folder form has them all.
                SideLabels shownLabels = labels;
                if (pages.size() > kPagesInOnePicture) {
                    shownLabels.title += " (the first " + std::to_string(kPagesInOnePicture) + " of " +
                                         std::to_string(pages.size()) + " shown; --compare-dir draws all)";
                    pages.resize(kPagesInOnePicture);
                }
                Write(SideBySide(c, pages, shownLabels), request.picture, out, quiet, shownLabels.title);
            }
            if (!request.folder.empty()) {
                if (mkdir(request.folder.c_str(), 0777) != 0 && errno != EEXIST)
                    throw PdfError("the folder " + request.folder + " cannot be made: " + std::strerror(errno));
                for (const PageComparison& p : c.pages)
                    Write(SideBySide(c, {p.page}, labels), request.folder + "/page-" + std::to_string(p.page) + ".png",
                          out, quiet, PageStatus(p));
            }
        }
        if (request.renderCheck) {
            const SignatureReport& s = report.signatures[i];
            if (s.ours && s.valid && s.range && RangeEnd(*s.range) < report.fileSize) {
                NoteRenderedChanges(c, report.signatures[i]);
                (*checks)[i] = std::move(c);
            }
        }
    }
}

}  // namespace penvane
