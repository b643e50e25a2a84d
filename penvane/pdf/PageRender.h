// Every page of a PDF file drawn by poppler's pdftoppm, one PPM file a page in
// a private temporary folder, so that a document of many pages is compared
// a page at a time rather than held in memory at once.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Raster.h"

namespace penvane {

// The options that make both sides of a comparison alike: the same program,
// resolution and password for each.
struct RenderOptions {
    int dpi = 100;
    std::string password;   // given as both owner and user password; empty for none
};

class RenderedPages {
public:
    // Copies `pdf` (the exact bytes that were checked, not whatever the file
    // holds by now) into the folder, starts pdftoppm on it and returns at
    // once: two sides render in parallel. Wait() collects it.
    RenderedPages(std::string_view pdf, const RenderOptions& options);
    ~RenderedPages();
    RenderedPages(const RenderedPages&) = delete;
    RenderedPages& operator=(const RenderedPages&) = delete;

    // Waits for pdftoppm. Throws PdfError when it could not render the file
    // (missing program, damaged file, wrong password); `what` names the
    // document in the message.
    void Wait(const std::string& what);
    int Count() const { return static_cast<int>(pages_.size()); }
    // Page `n` (from 1), read from its file.
    Raster Page(int n) const;

private:
    std::string dir_;
    std::vector<std::string> pages_;   // the files, page 1 first
    int pid_ = -1;
    int status_ = 0;
    std::string failure_;
};

}  // namespace penvane
