// Structures that readers resolve differently. qpdf reads them one way,
// other readers another, so no verdict about what the document shows can
// hold: such a file is refused (PdfError naming the structure), for signing
// and for verifying alike.
#pragma once
#include "PdfLoad.h"
#include "RevisionGraph.h"

#include <string_view>

namespace penvane {

// The entries `entries` of the revision that `q` reads (whose whole table is
// `all`): each in-use entry's offset holds that object's own header, an
// object number is in use with one generation only, and each object stream
// holds every object once, at the index the table gives.
void CheckEntries(std::string_view bytes, QPDF& q, const XRef& entries, const XRef& all);

// Every cross-reference section of the chain that starts at `startxref`
// lists an object number once.
void CheckSections(std::string_view bytes, long long startxref);

// All of the above for the document as loaded, and its page tree lists
// each page once. Throws PdfError naming the file and the structure.
void CheckReadersAgree(LoadedPdf& pdf);

}  // namespace penvane
