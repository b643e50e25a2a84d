// The pages as the file's page tree lists them, read without qpdf's repairs:
// qpdf mends a page listed twice by copying it in memory, so what it lists
// is no longer what the file says and what other readers show.
#pragma once
#include <qpdf/QPDFObjectHandle.hh>

#include <string>
#include <vector>

namespace penvane {

struct PageList {
    std::vector<QPDFObjectHandle> pages;  // in reading order
    std::string problem;                  // a page listed twice, a loop; empty when none
};

// Walks /Kids from the tree's root (the catalog's /Pages).
PageList ListPages(QPDFObjectHandle pagesRoot);

}  // namespace penvane
