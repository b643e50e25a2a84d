// Loading a PDF for signing or verifying: the file's bytes exactly as on disk,
// and qpdf's view of them. Recovery is off: a file qpdf can read only by
// repairing it would be signed or verified as something other than its bytes.
#pragma once
#ifndef POINTERHOLDER_TRANSITION
#define POINTERHOLDER_TRANSITION 4
#endif
#include <qpdf/QPDF.hh>

#include <memory>
#include <string>
#include <string_view>

namespace penvane {

struct LoadedPdf {
    std::string path;
    std::shared_ptr<const void> storage;  // keeps `bytes` alive (a mapping or a string)
    std::string_view bytes;               // the file, unchanged
    std::unique_ptr<QPDF> qpdf;
    // The second reading a verification made of every object (EveryObject.h),
    // kept with the document so that it is freed when the document is.
    std::unique_ptr<QPDF> wholeReading;
    std::string password;                 // as the user gave it (owner or user)
    // Why readers may show the pages differently (a page listed twice in the
    // page tree, which qpdf mends in memory only); empty when nothing.
    std::string pageTreeProblem;
};

// Throws PdfError naming the problem: unreadable, not a PDF, damaged (needs
// repair), protected without the right password.
LoadedPdf LoadPdf(const std::string& path, const std::string& password);
// The same over bytes already in memory: `bytes` lies in what `storage`
// keeps alive (a revision cut from a loaded file shares its mapping).
LoadedPdf LoadPdfView(const std::string& name, std::shared_ptr<const void> storage, std::string_view bytes,
                      const std::string& password);
// An earlier revision, `bytes` cut from a loaded file: its cross-reference
// chain and trailer read, its objects read when asked. Throws PdfError as
// LoadPdf does.
std::unique_ptr<QPDF> LoadRevision(const std::string& name, std::string_view bytes, const std::string& password);
LoadedPdf LoadPdfBytes(const std::string& name, std::string bytes, const std::string& password);

}  // namespace penvane
