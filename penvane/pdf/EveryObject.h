#pragma once
// Every object of a document read once, in a qpdf instance of its own, so
// that it can run on another core while the verification reads the fields
// and hashes the signed bytes: in a document with large arrays (a font's
// widths, say) this read costs more than everything else a verification of
// a small file does.
#include <string>
#include <string_view>
#include <vector>

#include <memory>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjGen.hh>

namespace penvane {

struct EveryObjectReading {
    // Dictionaries that look like signature dictionaries (/Type /Sig, or
    // /ByteRange and /Contents), in the order of the cross-reference table.
    std::vector<QPDFObjGen> signatureLike;
    // The instance that read them: freeing its objects costs as much as a
    // good part of reading them, so the caller decides when that happens.
    std::unique_ptr<QPDF> reader;
};

// A dictionary that looks like a signature dictionary, whoever holds it.
bool LooksLikeSignature(QPDFObjectHandle object);

// Reads every object of the document in `bytes` (as LoadRevision does, with
// `password`). Throws PdfError naming `name` when qpdf could read any of
// them only by repairing it: a verdict on such a file would be a verdict on
// qpdf's guess.
EveryObjectReading ReadEveryObject(const std::string& name, std::string_view bytes, const std::string& password);

}  // namespace penvane
