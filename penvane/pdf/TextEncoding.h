// Text conversions at the host boundary: the handler's bags hold 8-bit
// strings in the host code page (Windows-1252); the PDF holds text strings
// (PDFDocEncoding or UTF-16BE with its byte order mark).
#pragma once
#include <string>

namespace penvane {

std::string HostTextToUtf8(const std::string& cp1252);
// PDF text bytes for an 8-bit host string: unchanged when plain ASCII,
// else UTF-16BE with a byte order mark.
std::string HostTextToPdfText(const std::string& cp1252);
std::string PdfTextToUtf8(const std::string& pdfText);

}  // namespace penvane
