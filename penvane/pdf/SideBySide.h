// The picture a person reads: each page of the signed revision on the left
// and of the current document on the right, every area that differs in a
// red box on both sides, later signatures' widgets shaded blue, pages that
// only one side has shown as such, each side labelled.
#pragma once
#include <string>
#include <vector>

#include "RenderCheck.h"

namespace penvane {

struct SideLabels {
    std::string signedSide;   // e.g. "Signed: revision 1 (bytes 0..4711), signed by ..."
    std::string currentSide;  // e.g. "Now: revision 3 (bytes 0..9000)"
    std::string title;        // above everything: the file and what the comparison found
};

// Pages `pages` (from 1) of `c` stacked, under the title. Labels are drawn
// by pdftoppm from a small PDF, so the words come from the same renderer as
// the pages. Throws PdfError when a page or the labels cannot be drawn.
Raster SideBySide(const RenderComparison& c, const std::vector<int>& pages, const SideLabels& labels);

// The text for a page's status line under each side, e.g. "2 areas differ (red)".
std::string PageStatus(const PageComparison& p);

}  // namespace penvane
