// The signature fields of a document as the host sees them: where their
// widgets sit, whether they hold a signature, and what their seed values offer.
#pragma once
#include "PdfLoad.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace penvane {

using PdfRect = std::array<double, 4>;  // x0, y0, x1, y1, normalised (x0 <= x1, y0 <= y1)

struct SignatureField {
    std::string name;                   // fully qualified, UTF-8
    QPDFObjectHandle field;             // the terminal field
    QPDFObjectHandle widget;            // its (first) widget; the field itself when merged
    int page = 0;                       // 1-based; 0 when the widget is on no page
    PdfRect rect{};
    QPDFObjectHandle value;             // /V when it is a dictionary, else null
    bool hasSeedValue = false;
    std::optional<int32_t> seedFlags;
    std::optional<std::vector<std::string>> reasons;  // UTF-8
    bool isSigned = false;
    bool IsSigned() const { return isSigned; }
};

std::vector<SignatureField> ListSignatureFields(QPDF& qpdf);

// The page's rectangle from the (inherited) /MediaBox, and its rotation in
// degrees (inherited /Rotate, reduced to 0, 90, 180 or 270).
PdfRect PageBox(QPDFObjectHandle page);
int PageRotation(QPDFObjectHandle page);
PdfRect ReadRect(QPDFObjectHandle array);   // zero rectangle when not four numbers

}  // namespace penvane
