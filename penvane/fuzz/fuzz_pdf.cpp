// libFuzzer target for the tool's PDF side: the input is a PDF file's bytes.
// It is loaded as `penvane verify` and `penvane fields` load a file, its
// signature fields and signature dictionaries are listed, every byte range is
// checked and hashed, and the whole verification runs with a handler that
// answers at once (valid for any value that is not empty), so that coverage,
// the signed revision and the comparison of revisions are reached as well.
//
// The only acceptable failure is PdfError: any other exception would end a
// run over several files without their verdicts, so it escapes here and the
// fuzzer reports it. A few facts every report must satisfy are checked too.
#include <cstdlib>
#include <string>

#include "ByteRange.h"
#include "InstantHandler.h"
#include "PdfError.h"
#include "Report.h"
#include "SignatureFields.h"
#include "Verification.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

using namespace penvane;

namespace {

void Check(bool fact) {
    if (!fact) std::abort();
}

void Exercise(LoadedPdf& pdf) {
    const long long size = static_cast<long long>(pdf.bytes.size());
    std::vector<SignatureField> fields = ListSignatureFields(*pdf.qpdf);
    FieldsJson(pdf.path, fields).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    FieldsText(pdf.path, fields);
    for (auto& page : QPDFPageDocumentHelper(*pdf.qpdf).getAllPages()) {
        PdfRect box = PageBox(page.getObjectHandle());
        Check(box[0] <= box[2] && box[1] <= box[3]);
        int rotation = PageRotation(page.getObjectHandle());
        Check(rotation % 90 == 0 && rotation >= 0 && rotation < 360);
    }

    // Every range as found, whoever's signature it is.
    auto xref = pdf.qpdf->getXRefTable();
    for (const SignatureReport& s : FindSignatures(pdf)) {
        if (!s.range) continue;
        auto entry = xref.find(QPDFObjGen(s.dictObject, s.dictGeneration));
        long long offset = entry != xref.end() && entry->second.getType() == 1 ? entry->second.getOffset() : -1;
        Coverage c = CheckCoverage(pdf.bytes, *s.range, offset);
        if (!c.ok) continue;
        const ByteRange& r = *s.range;
        Check(r[0] == 0 && r[1] < r[2] && RangeEnd(r) <= size);
        Check(Sha1OverRanges(pdf.bytes, r).size() == kDigestLength);
    }

    InstantHandler handler;
    VerifyReport report = VerifyPdf(pdf, &handler);
    for (const SignatureReport& s : report.signatures) {
        Verdict(s);
        if (!s.valid) continue;
        // Valid only when the range held and the handler was asked.
        Check(s.ours && s.range && s.answer && RangeEnd(*s.range) <= size);
        Check(s.coversWholeFile || s.changes);
    }
    VerifyText(report);
    VerifyJson(report).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        LoadedPdf pdf = LoadPdfBytes("input.pdf", std::string(reinterpret_cast<const char*>(data), size), "");
        Exercise(pdf);
    } catch (const PdfError&) {
        // A clean refusal.
    }
    return 0;
}
