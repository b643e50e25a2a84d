// The pad's live ink: a stroke's outlines in the pad window's pixels, for a
// window that fills its client area with them (GDI paths, nonzero winding).
// The width model and the outlines are the drawing's (ink_width.h,
// ink_outline.h), so the ink on the pad looks as it will on the page.
#pragma once

#include "ink_outline.h"
#include "ink_width.h"
#include "pen_record.h"

#include <cstddef>
#include <vector>

namespace pendata {

// Appends to *out the outlines of stroke `stroke` of `record`, from its point
// `from` on (0: the whole stroke; later, the end just written), on a client
// area of width x height pixels, for a pen `penWidth` pixels wide. The width
// at each point is measured against `reference` (MeasureInk of the record).
// Nothing for a stroke index beyond the record or an empty client area.
void PadInkOutlines(const PenRecord& record, const InkReference& reference, size_t stroke,
                    size_t from, double width, double height, double penWidth,
                    std::vector<InkPath>* out);

} // namespace pendata
