#include "PdfLoad.h"

#include <qpdf/QPDFExc.hh>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PageTree.h"
#include "PdfError.h"

namespace penvane {

namespace {

// The file mapped read-only: verifying a large file costs no copy of it.
class Mapping {
public:
    Mapping(void* data, size_t size) : data_(data), size_(size) {}
    ~Mapping() {
        if (size_) munmap(data_, size_);
    }
    std::string_view View() const { return {static_cast<const char*>(data_), size_}; }
private:
    void* data_;
    size_t size_;
};

}  // namespace

LoadedPdf LoadPdfBytes(const std::string& name, std::string bytes, const std::string& password) {
    auto storage = std::make_shared<const std::string>(std::move(bytes));
    std::string_view view = *storage;
    return LoadPdfView(name, storage, view, password);
}

std::unique_ptr<QPDF> LoadRevision(const std::string& name, std::string_view bytes, const std::string& password) {
    auto q = std::make_unique<QPDF>();
    q->setSuppressWarnings(true);
    q->setAttemptRecovery(false);
    try {
        q->processMemoryFile(name.c_str(), bytes.data(), bytes.size(), password.empty() ? nullptr : password.c_str());
        // A trailer that names no catalog (an update whose trailer lost /Root
        // or /Prev) is found here rather than by whatever asks for it first.
        q->getRoot();
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password)
            throw PdfError(name + ": the file is protected" +
                           (password.empty() ? "; give its password with --password" : " and the password is wrong"));
        throw PdfError(name + ": damaged; qpdf could read it only by repairing it (" + e.getMessageDetail() + ")");
    } catch (const std::exception& e) {
        throw PdfError(name + ": not a readable PDF (" + std::string(e.what()) + ")");
    }
    if (q->anyWarnings())
        throw PdfError(name + ": damaged; qpdf could read it only by repairing it (" +
                       q->getWarnings().front().getMessageDetail() + ")");
    return q;
}

LoadedPdf LoadPdfView(const std::string& name, std::shared_ptr<const void> storage, std::string_view bytes,
                      const std::string& password) {
    LoadedPdf pdf;
    pdf.path = name;
    pdf.storage = std::move(storage);
    pdf.bytes = bytes;
    if (pdf.bytes.substr(0, 1024).find("%PDF-") == std::string_view::npos)
        throw PdfError(name + ": not a PDF file");
    pdf.password = password;
    pdf.qpdf = LoadRevision(name, bytes, password);
    // The page tree as the file lists it, before qpdf mends it in memory.
    try {
        pdf.pageTreeProblem = ListPages(pdf.qpdf->getRoot().getKey("/Pages")).problem;
    } catch (const std::exception& e) {
        throw PdfError(name + ": damaged; its page tree cannot be read (" + std::string(e.what()) + ")");
    }
    // The page tree too is read on first use, and every command uses it: a
    // file without one is refused here rather than failing later with qpdf's
    // own exception. qpdf keeps the pages it found, so later calls do not read
    // the tree again. Its warnings about a tree it mends (a page without
    // /Type, say) do not refuse the file: they never did.
    try {
        pdf.qpdf->getAllPages();
    } catch (const std::exception& e) {
        throw PdfError(name + ": damaged; its page tree cannot be read (" + std::string(e.what()) + ")");
    }
    return pdf;
}

LoadedPdf LoadPdf(const std::string& path, const std::string& password) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st{};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) close(fd);
        throw PdfError(path + ": cannot be read");
    }
    const size_t size = static_cast<size_t>(st.st_size);
    // Mapped in at once: verifying touches nearly every byte (the digests),
    // and one pass over the page cache costs far less than a fault per page.
    void* data = size ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0) : nullptr;
    close(fd);
    if (data == MAP_FAILED) throw PdfError(path + ": cannot be read");
    auto mapping = std::make_shared<const Mapping>(data, size);
    return LoadPdfView(path, mapping, mapping->View(), password);
}

}  // namespace penvane
