// The bytes after a signed revision must be proper incremental updates: each
// ends with its own cross-reference section and a trailer whose /Prev names
// the revision before, and lists every object it writes. Anything else is
// content a repairing reader would show and a diff of qpdf's view would miss
// (objects appended with no cross-reference section, a trailer without
// /Prev, a rewritten table that makes appended objects look older).
#pragma once
#include "PdfLoad.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace penvane {

// The revision of `bytes` that ends at the given offset, loaded (the caller
// keeps them, so several signatures share the loads). Throws PdfError when
// those bytes are not a readable document.
using RevisionLoader = std::function<LoadedPdf&(long long end)>;

// What is wrong with the updates after the revision that ends at
// `signedEnd`; empty when every later byte belongs to a proper update.
std::vector<std::string> CheckLaterRevisions(std::string_view bytes, long long signedEnd, const RevisionLoader& load);

bool OnlyWhitespace(std::string_view bytes, long long from);

}  // namespace penvane
