// Where two drawings of a page differ, as boxes around each group of
// differing pixels. Both sides come from the same renderer with the same
// options, so any differing pixel is a difference: nothing is tolerated.
#pragma once
#include <vector>

#include "Raster.h"

namespace penvane {

// A later signature widget's rectangle. Its appearance may draw anything
// over what the page showed there before, unless `backgroundOnly`: then
// only pixels that were the rectangle's background (its most common colour
// in `before`) may change freely; a change of anything drawn there before
// is reported apart, in `overContent`.
struct ExemptBox {
    PixelBox box;
    bool backgroundOnly = false;
};

struct PageDifference {
    std::vector<PixelBox> areas;        // outside every exempt box, grouped
    std::vector<PixelBox> inExempt;     // per exempt box: its differing pixels' bounds (empty when none)
    // Per exempt box with `backgroundOnly`: the bounds of the pixels that
    // showed something other than background before and differ now.
    std::vector<PixelBox> overContent;
};

// `before` and `after` must have the same size. Differing pixels inside an
// `exempt` box (a later signature widget) are counted for that box only;
// the others are grouped: pixels closer than `gap` join one area, so a
// changed word gives one box, not one per letter.
PageDifference ComparePages(const Raster& before, const Raster& after, const std::vector<ExemptBox>& exempt, int gap);

}  // namespace penvane
