// The second, independent judgement of a signed document: every page of the
// signed revision (the file's bytes up to the end of the signature's
// /ByteRange) and of the current document drawn by the same renderer with
// the same options, and compared pixel by pixel. It looks at nothing the
// structural comparison found: a change it draws is a change, whatever the
// objects look like.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "PageRender.h"
#include "PdfLoad.h"
#include "SignatureFields.h"
#include "Verification.h"

namespace penvane {

// How a page's default user space lies on its drawing: pdftoppm draws the
// crop box, turned by /Rotate, at `dpi`.
struct PageGeometry {
    PdfRect crop{0, 0, 612, 792};
    int rotation = 0;
    int dpi = 72;
    PixelBox ToPixels(const PdfRect& r) const;
    PdfRect ToPoints(const PixelBox& b) const;
};

// A signature widget added after the signed revision: the rectangle where a
// later signature draws its appearance.
struct LaterWidget {
    std::string field, signer;
    int page = 0;          // from 1, in the current document
    PdfRect rect{};
    PixelBox pixels;       // on the current page's drawing
    // The signed revision had this field, empty, at the same place: its
    // author left the area for a signature. A field added later may draw
    // only over the area's background, not over what was signed there.
    bool reserved = false;
};

struct PageComparison {
    enum class State { Same, Changed, Added, Removed, Resized };
    int page = 0;                       // from 1
    State state = State::Same;
    std::vector<PixelBox> areas;        // differing areas outside later widgets (State::Changed)
    std::vector<PdfRect> areaPoints;    // the same in the page's default user space
    std::vector<size_t> widgets;        // later widgets on this page (indices into RenderComparison::widgets)
    std::vector<PixelBox> widgetAreas;  // per entry of `widgets`: what its appearance changed (may be empty)
    // Per entry of `widgets`: where a widget the signed revision did not
    // reserve drew over what the signed version showed (may be empty).
    std::vector<PixelBox> overContent;
    std::vector<PdfRect> overContentPoints;
    bool Differs() const { return state != State::Same || DrawsOverContent(); }
    bool DrawsOverContent() const {
        for (const PixelBox& b : overContent)
            if (!b.Empty()) return true;
        return false;
    }
};

struct RenderComparison {
    int dpi = 0;
    long long signedEnd = 0;            // the signed revision's length in bytes
    int signedPages = 0, currentPages = 0;
    std::vector<PageComparison> pages;  // every page of the longer side
    std::vector<LaterWidget> widgets;
    double renderSeconds = 0;           // from the start to the last page compared
    double compareSeconds = 0;          // of which comparing
    // The drawings, kept for the side-by-side picture.
    std::shared_ptr<RenderedPages> signedSide, currentSide;

    bool Changed() const;               // a page differs in a way later widgets do not account for
    // One line per finding, e.g. "rendered page 1: area 72,676,300,700 differs from the signed version".
    std::vector<std::string> Findings() const;
    std::vector<std::string> WidgetFindings() const;
};

// Starts the drawings of every signed revision in `signatures` at `indices`
// and of the current document together, and compares each revision with
// the current document page by page as they are drawn. Throws PdfError
// when a side cannot be drawn.
// Which drawings stay on disk for a picture once compared.
enum class KeepDrawings { None, Differing, All };  // Differing: pages that differ or hold a later widget, and page 1

std::vector<RenderComparison> CompareRendered(LoadedPdf& current, const std::vector<SignatureReport>& signatures,
                                              const std::vector<size_t>& indices, const RenderOptions& options,
                                              KeepDrawings keep);

// Which signatures a render check looks at: this handler's, valid for their
// revision, with bytes after that revision.
std::vector<size_t> SignaturesToCheck(const std::vector<SignatureReport>& signatures, long long fileSize);

// The render check's verdict added to the signature's findings: each area
// that differs outside later widgets is a change of kind "rendered page";
// what a later widget draws is named as that signature's appearance.
void NoteRenderedChanges(const RenderComparison& c, SignatureReport& s);

}  // namespace penvane
