// The bytes after a signed revision must be proper incremental updates: each
// ends with its own cross-reference section and a trailer whose /Prev names
// the revision before, and lists every object it writes. Anything else is
// content a repairing reader would show and a diff of qpdf's view would miss
// (objects appended with no cross-reference section, a trailer without
// /Prev, a rewritten table that makes appended objects look older).
#pragma once
#include <qpdf/QPDF.hh>

#include <string>
#include <string_view>
#include <vector>

namespace penvane {

struct LaterUpdate {
    long long start = 0, end = 0;   // its bytes; `end` is where the revision it makes ends
    long long xref = -1;            // where its startxref points (-1: none)
    long long previousXref = -1;    // where the revision before's points
    bool hasOwnXref() const { return xref >= start && xref < end; }
};

// The updates after the revision that ends at `signedEnd`, each ending after
// an %%EOF marker and its end of line; `trailing` receives the problem of
// bytes after the last one that belong to no update.
std::vector<LaterUpdate> SplitLaterUpdates(std::string_view bytes, long long signedEnd, std::string* trailing);

// What is wrong with one update, given its revision as qpdf reads it.
std::vector<std::string> CheckUpdate(std::string_view bytes, const LaterUpdate& update, QPDF& revision);

// The offset the last startxref before `end` names; -1 when none.
long long StartXrefBefore(std::string_view bytes, long long end);

// The bytes from `from` on are white space only.
bool OnlyWhitespace(std::string_view bytes, long long from);

// A revision ends at `end`: the bytes before it end with %%EOF and line ends.
bool EndsRevision(std::string_view bytes, long long end);

}  // namespace penvane
