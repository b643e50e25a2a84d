#include "PdfLoad.h"

#include <qpdf/QPDFExc.hh>

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PageTree.h"
#include "PdfError.h"

namespace penvane {

namespace {

// The file's bytes in memory of this process's own. A mapping of the file
// itself would cost no copy, but another process that truncates the file
// meanwhile turns every read of the lost pages into SIGBUS, and one that
// rewrites it changes the bytes between the parse and the digest: the
// verdict must be about one set of bytes. The memory is mapped in at once
// (a fault per page would cost more than the copy).
class Snapshot {
public:
    explicit Snapshot(size_t size) : size_(size) {
        if (size_ == 0) return;
        void* p = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        data_ = p == MAP_FAILED ? nullptr : static_cast<char*>(p);
    }
    ~Snapshot() {
        if (data_) munmap(data_, size_);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    bool Made() const { return size_ == 0 || data_; }
    char* Data() { return data_; }
    std::string_view View() const { return {data_, size_}; }
private:
    char* data_ = nullptr;
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
    auto snapshot = std::make_shared<Snapshot>(size);
    bool whole = snapshot->Made();
    for (size_t done = 0; whole && done < size;) {
        const ssize_t got = read(fd, snapshot->Data() + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) whole = false;
        else done += static_cast<size_t>(got);
    }
    // Bytes beyond the size it had when opened: it grew while being read.
    char beyond;
    if (whole && read(fd, &beyond, 1) > 0) whole = false;
    close(fd);
    if (!snapshot->Made()) throw PdfError(path + ": cannot be read (not enough memory)");
    if (!whole) throw PdfError(path + ": cannot be read (it changed while it was being read)");
    return LoadPdfView(path, snapshot, snapshot->View(), password);
}

}  // namespace penvane
