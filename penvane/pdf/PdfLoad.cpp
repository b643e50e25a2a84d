#include "PdfLoad.h"

#include <qpdf/QPDFExc.hh>

#include <fstream>
#include <sstream>

#include "PdfError.h"

namespace penvane {

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PdfError(path + ": cannot be read");
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) throw PdfError(path + ": cannot be read");
    return s.str();
}

LoadedPdf LoadPdfBytes(const std::string& name, std::string bytes, const std::string& password) {
    LoadedPdf pdf;
    pdf.path = name;
    pdf.bytes = std::move(bytes);
    if (pdf.bytes.compare(0, 5, "%PDF-") != 0 && pdf.bytes.substr(0, 1024).find("%PDF-") == std::string::npos)
        throw PdfError(name + ": not a PDF file");
    pdf.qpdf = std::make_unique<QPDF>();
    pdf.qpdf->setSuppressWarnings(true);
    pdf.qpdf->setAttemptRecovery(false);
    try {
        pdf.qpdf->processMemoryFile(name.c_str(), pdf.bytes.data(), pdf.bytes.size(),
                                    password.empty() ? nullptr : password.c_str());
        // Reading every object finds damage that lies beyond the cross-reference
        // table (a wrong offset, a broken object) before anything relies on it.
        pdf.qpdf->getAllObjects();
        for (auto& obj : pdf.qpdf->getAllObjects()) {
            if (obj.isStream()) obj.getDict();
        }
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password)
            throw PdfError(name + ": the file is protected" +
                           (password.empty() ? "; give its password with --password" : " and the password is wrong"));
        throw PdfError(name + ": damaged; qpdf could read it only by repairing it (" + e.getMessageDetail() + ")");
    } catch (const std::exception& e) {
        throw PdfError(name + ": not a readable PDF (" + std::string(e.what()) + ")");
    }
    if (pdf.qpdf->anyWarnings())
        throw PdfError(name + ": damaged; qpdf could read it only by repairing it (" +
                       pdf.qpdf->getWarnings().front().getMessageDetail() + ")");
    return pdf;
}

LoadedPdf LoadPdf(const std::string& path, const std::string& password) {
    return LoadPdfBytes(path, ReadFileBytes(path), password);
}

}  // namespace penvane
