// The revisions after a signed one, each read once, in order: the bytes are
// split into updates, each update's structure checked, and each compared
// once with the revision before it. At most two revisions are held at a
// time; what both share is read from the whole document, which is read once.
#pragma once
#include "LaterRevisions.h"
#include "PdfLoad.h"
#include "RevisionDiff.h"

#include <vector>

namespace penvane {

struct UpdateVerdict {
    long long start = 0, end = 0;  // the update's bytes
    RevisionChanges changes;
};

// Whether a signature dictionary added by the update that ends at
// `revisionEnd` counts as a signature of that revision (see UpdateFacts).
using LaterSignatureCheck = std::function<std::string(long long revisionEnd, const XRef& xref, QPDFObjGen og,
                                                      QPDFObjectHandle dict, std::string* integrity)>;

// The updates after the revision that ends at `signedEnd`, in order; bytes
// that belong to no update come last, as one more. Throws PdfError when a
// revision cannot be read or holds what readers resolve differently.
std::vector<UpdateVerdict> CompareLaterUpdates(LoadedPdf& pdf, long long signedEnd, const LaterSignatureCheck& check);

}  // namespace penvane
