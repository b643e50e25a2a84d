// verify's pictures and render check: the signed revision beside the
// current document (--compare, --compare-dir) and the verdict of comparing
// their drawings (--render-check).
#pragma once
#include <iosfwd>
#include <string>

#include "Report.h"

namespace penvane {

struct CompareRequest {
    std::string picture;      // --compare: one PNG of the pages that differ
    std::string folder;       // --compare-dir: a PNG per page
    bool renderCheck = false;
    bool verbose = false;     // the cost, on standard error
    std::string password;
    int dpi = 100;
    bool Wanted() const { return renderCheck || !picture.empty() || !folder.empty(); }
};

// Draws what `request` asks for the verified `pdf`. The render check's
// findings go into `report` (its verdict may become "changed after
// signing") and into `checks`; what was written is told on `out` (nothing
// when `quiet`). Throws PdfError when a side cannot be drawn or a picture
// cannot be written.
void CompareDrawings(LoadedPdf& pdf, VerifyReport& report, const CompareRequest& request, RenderChecks* checks,
                     std::ostream& out, bool quiet);

}  // namespace penvane
