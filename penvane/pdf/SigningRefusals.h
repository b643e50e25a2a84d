// Documents and places a signing refuses before anyone is asked to sign:
// each check throws PdfError naming what is wrong.
#pragma once
#include "SignatureFields.h"

#include <qpdf/QPDF.hh>

#include <string>
#include <vector>

namespace penvane {

// Every field's fully qualified name (UTF-8), signature fields or not.
std::vector<std::string> AllFieldNames(QPDF& qpdf);

// A new field's name must be one no field has: two fields of one name are one
// field to a reader, and the new signature would land in the other's place.
void RefuseTakenFieldName(QPDF& qpdf, const std::string& name);

// The page's visible area: its (inherited) /CropBox within its /MediaBox.
PdfRect VisibleBox(QPDFObjectHandle page);

// A certification that permits no changes (DocMDP with /P 1) is broken by
// any later signature; such a document is refused, naming the certifying field.
void RefuseCertifiedAgainstChanges(QPDF& qpdf);

}  // namespace penvane
