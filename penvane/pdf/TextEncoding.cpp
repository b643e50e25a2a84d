#include "TextEncoding.h"

#include <qpdf/QUtil.hh>

namespace penvane {

std::string HostTextToUtf8(const std::string& cp1252) { return QUtil::win_ansi_to_utf8(cp1252); }

std::string HostTextToPdfText(const std::string& cp1252) {
    for (unsigned char c : cp1252)
        if (c >= 0x80) return QUtil::utf8_to_utf16(HostTextToUtf8(cp1252));
    return cp1252;
}

std::string PdfTextToUtf8(const std::string& pdfText) {
    return QUtil::is_utf16(pdfText) ? QUtil::utf16_to_utf8(pdfText) : QUtil::pdf_doc_to_utf8(pdfText);
}

}  // namespace penvane
