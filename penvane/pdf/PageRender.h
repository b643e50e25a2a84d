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
    // once: two sides render in parallel.
    RenderedPages(std::string_view pdf, const RenderOptions& options);
    ~RenderedPages();
    RenderedPages(const RenderedPages&) = delete;
    RenderedPages& operator=(const RenderedPages&) = delete;

    // Waits until page `n` (from 1) is complete, so that a page can be
    // compared while later ones are drawn; false when pdftoppm ended
    // without it (no such page, or it failed: Wait() tells which).
    bool WaitForPage(int n);
    // Waits for pdftoppm to end. Throws PdfError when it could not render
    // the file (missing program, damaged file, wrong password); `what`
    // names the document in the message.
    void Wait(const std::string& what);
    int Count() const { return static_cast<int>(pages_.size()); }  // after Wait()
    // Page `n`, read from its file; throws PdfError once it is dropped.
    Raster Page(int n) const;
    void Page(int n, Raster* into) const;
    // Deletes page `n`'s file: a long document never lies on disk whole.
    void Drop(int n);

private:
    void Scan();
    bool Ended();

    std::string dir_;
    std::vector<std::string> pages_;   // the files, page 1 first; empty while missing, "-" once dropped
    int pid_ = -1;
    int status_ = 0;
    std::string failure_;
};

}  // namespace penvane
