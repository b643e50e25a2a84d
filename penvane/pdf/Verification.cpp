#include "Verification.h"

#include <algorithm>
#include <exception>
#include <future>
#include <map>
#include <set>

#include <qpdf/QPDFPageDocumentHelper.hh>

#include "CmsIntegrity.h"
#include "Concurrently.h"
#include "EveryObject.h"
#include "LaterRevisions.h"
#include "PdfError.h"
#include "ReaderAgreement.h"
#include "TextEncoding.h"
#include "UpdateChain.h"

namespace penvane {
namespace {

const char kOurFilter[] = "/Orvel.PenvanePlus";

std::string Text(QPDFObjectHandle dict, const char* key) {
    QPDFObjectHandle v = dict.getKey(key);
    return v.isString() ? v.getUTF8Value() : std::string();
}

bool ReadRange(QPDFObjectHandle array, ByteRange* out) {
    if (!array.isArray() || array.getArrayNItems() != 4) return false;
    for (int i = 0; i < 4; ++i) {
        QPDFObjectHandle v = array.getArrayItem(i);
        if (!v.isInteger()) return false;
        (*out)[i] = v.getIntValue();
    }
    return true;
}

void Describe(QPDFObjectHandle dict, SignatureReport* r) {
    r->dictObject = dict.getObjGen().getObj();
    r->dictGeneration = dict.getObjGen().getGen();
    QPDFObjectHandle filter = dict.getKey("/Filter"), sub = dict.getKey("/SubFilter");
    r->filter = filter.isName() ? filter.getName() : "";
    r->subFilter = sub.isName() ? sub.getName() : "";
    r->ours = r->filter == kOurFilter;
    r->reason = Text(dict, "/Reason");
    r->name = Text(dict, "/Name");
    r->location = Text(dict, "/Location");
    r->contactInfo = Text(dict, "/ContactInfo");
    r->time = Text(dict, "/M");
    ByteRange range{};
    if (ReadRange(dict.getKey("/ByteRange"), &range)) r->range = range;
}

const std::set<std::string> kCmsFormats = {"/adbe.pkcs7.detached", "/ETSI.CAdES.detached", "/adbe.pkcs7.sha1",
                                           "/ETSI.RFC3161"};

// Another handler's signature: its integrity where its format allows a
// check. Empty when it holds (or nothing could be checked), else why not.
std::string CheckOtherHandler(std::string_view file, const ByteRange& range, const std::string& contents,
                              const std::string& subFilter, std::string* integrity) {
    if (!kCmsFormats.count(subFilter)) {
        *integrity = "integrity not checked (its format is not one this tool reads), signer not judged";
        return std::string();
    }
    CmsIntegrity c = CheckCmsIntegrity(file, range, contents, subFilter.substr(1));
    if (c.result == CmsIntegrity::IntegrityChecked) {
        *integrity = "integrity checked, signer not judged";
        return std::string();
    }
    *integrity = "not valid: " + c.problem;
    return "its signature is not valid (" + c.problem + ")";
}

// Whether a signature dictionary added by a later update counts as a
// signature: its /ByteRange covers exactly the revision that update makes,
// with the gap on its own /Contents, and another handler's, in a CMS format,
// holds its integrity.
std::string CheckLaterSignature(std::string_view bytes, long long revisionEnd, const XRef& xref, QPDFObjGen og,
                                QPDFObjectHandle dict, std::string* integrity) {
    ByteRange range{};
    if (!ReadRange(dict.getKey("/ByteRange"), &range))
        return "its signature does not cover its revision (/ByteRange is missing or not four integers)";
    auto entry = xref.find(og);
    if (entry == xref.end() || entry->second.getType() != 1)
        return "its signature dictionary is inside an object stream";
    if (RangeEnd(range) != revisionEnd)
        return "its signature does not cover its revision (its signed bytes end at " + std::to_string(RangeEnd(range)) +
               ", its revision at " + std::to_string(revisionEnd) + ")";
    std::string_view revision = bytes.substr(0, static_cast<size_t>(revisionEnd));
    Coverage c = CheckCoverage(revision, range, entry->second.getOffset());
    if (!c.ok) return "its signature does not cover its revision (" + c.problem + ")";
    QPDFObjectHandle filter = dict.getKey("/Filter"), sub = dict.getKey("/SubFilter");
    if (filter.isNameAndEquals(kOurFilter)) {
        *integrity = "this handler's signature, verified on its own";
        return std::string();
    }
    const std::string subFilter = sub.isName() ? sub.getName() : "";
    // A signature whose integrity nothing here can check proves nothing
    // about what its widget shows: it counts as no signature.
    if (!kCmsFormats.count(subFilter))
        return "its signature's format (" + (subFilter.empty() ? std::string("no /SubFilter") : subFilter) +
               ") cannot be checked here";
    return CheckOtherHandler(revision, range, c.contents, subFilter, integrity);
}

void RefuseRepairs(QPDF& q, const std::string& path) {
    if (q.anyWarnings())
        throw PdfError(path + ": damaged; qpdf could read it only by repairing it (" +
                       q.getWarnings().front().getMessageDetail() + ")");
}

}  // namespace

bool IsValidDigestCode(int32_t code) { return code == 4 || code == 5 || code == 7; }

namespace {

// The signatures the form's fields hold, in the fields' order; `seen` gets
// their dictionaries.
std::vector<SignatureReport> FieldSignatures(QPDF& q, std::set<QPDFObjGen>* seen) {
    std::vector<SignatureReport> found;
    for (const SignatureField& f : ListSignatureFields(q)) {
        if (!f.IsSigned()) continue;
        SignatureReport r;
        r.field = f.name;
        r.page = f.page;
        r.rect = f.rect;
        Describe(f.value, &r);
        if (!f.value.isIndirect()) {
            r.problem = "the signature dictionary is not an indirect object";
            r.dictObject = r.dictGeneration = 0;
        } else {
            seen->insert(f.value.getObjGen());
        }
        found.push_back(r);
    }
    return found;
}

// A signature dictionary that no field holds: a verifier that looked at
// fields alone could be shown one signature while another hides.
SignatureReport UnheldSignature(QPDFObjectHandle obj) {
    SignatureReport r;
    Describe(obj, &r);
    r.heldByNoField = true;
    return r;
}

bool EndsLater(const SignatureReport& a, const SignatureReport& b) {
    long long ea = a.range ? RangeEnd(*a.range) : -1;
    long long eb = b.range ? RangeEnd(*b.range) : -1;
    return ea > eb;
}

// Pages' rotations for the picture.
void SetRotations(QPDF& q, std::vector<SignatureReport>& found) {
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(q).getAllPages();
    for (auto& r : found)
        if (r.page >= 1 && r.page <= static_cast<int>(pages.size()))
            r.rotation = PageRotation(pages[r.page - 1].getObjectHandle());
}

}  // namespace

std::vector<SignatureReport> FindSignatures(LoadedPdf& pdf) {
    QPDF& q = *pdf.qpdf;
    std::set<QPDFObjGen> seen;
    std::vector<SignatureReport> found = FieldSignatures(q, &seen);
    for (auto& obj : q.getAllObjects())
        if (!seen.count(obj.getObjGen()) && LooksLikeSignature(obj)) found.push_back(UnheldSignature(obj));
    std::stable_sort(found.begin(), found.end(), EndsLater);
    SetRotations(q, found);
    return found;
}

namespace {

// A signature on its way through the checks.
struct Judged {
    SignatureReport report;
    std::string contents;         // the gap's bytes, once coverage holds
    std::string digest;           // ours: SHA-1 of the signed bytes
    std::exception_ptr failure;   // of the digest or the other handler's check
    bool needsChanges = false;    // ours, signed over a revision that later ones follow

    explicit Judged(SignatureReport r) : report(std::move(r)) {}
};

// Coverage of each signature in `all` from `first` on, read from the
// document in order; then the digests over the signed bytes, each over most
// of the file, side by side (they touch only the bytes; another handler's
// signature is judged there whole); then the handler, in order.
void Judge(LoadedPdf& pdf, const XRef& xref, SignatureHandler* handler, std::vector<Judged>& all, size_t first) {
    QPDF& q = *pdf.qpdf;
    std::vector<Judged*> covered;
    for (size_t i = first; i < all.size(); ++i) {
        SignatureReport& r = all[i].report;
        if (!r.problem.empty()) continue;
        if (!r.range) {
            if (r.ours) r.problem = "/ByteRange is missing or not four integers";
            continue;
        }
        QPDFObjectHandle dict = q.getObject(r.dictObject, r.dictGeneration);
        QPDFObjectHandle contents = dict.getKey("/Contents");
        if (!contents.isString()) {
            r.problem = "/Contents is missing or not a string";
            continue;
        }
        auto entry = xref.find(dict.getObjGen());
        long long dictOffset = entry != xref.end() && entry->second.getType() == 1 ? entry->second.getOffset() : -1;
        Coverage c = CheckCoverage(pdf.bytes, *r.range, dictOffset);
        if (!c.ok) {
            r.problem = entry != xref.end() && entry->second.getType() == 2
                            ? "the signature dictionary is inside an object stream"
                            : c.problem;
            continue;
        }
        // The string qpdf read as this dictionary's /Contents must be the gap.
        if (!q.isEncrypted() && contents.getStringValue() != c.contents) {
            r.problem = "the gap in /ByteRange is not this dictionary's /Contents";
            continue;
        }
        r.coversWholeFile = c.wholeFile || OnlyWhitespace(pdf.bytes, RangeEnd(*r.range));
        all[i].contents = std::move(c.contents);
        covered.push_back(&all[i]);
    }

    const std::string_view bytes = pdf.bytes;
    ForEachConcurrently(covered.size(), [&covered, bytes](size_t i) {
        Judged& j = *covered[i];
        SignatureReport& r = j.report;
        try {
            if (r.ours) j.digest = Sha1OverRanges(bytes, *r.range);
            else
                r.problem = CheckOtherHandler(bytes.substr(0, static_cast<size_t>(RangeEnd(*r.range))), *r.range,
                                              j.contents, r.subFilter, &r.integrity);
        } catch (...) {
            j.failure = std::current_exception();
        }
    });

    for (Judged* j : covered) {
        if (j->failure) std::rethrow_exception(j->failure);
        SignatureReport& r = j->report;
        if (!r.ours) continue;
        if (!handler) throw PdfError("no handler to validate a signature with");
        r.answer = handler->Validate(j->contents, j->digest);
        r.valid = r.answer->digest && IsValidDigestCode(*r.answer->digest);
        if (!r.valid) r.problem = "the handler does not find the signature valid for these bytes";
        if (r.coversWholeFile) continue;
        if (!EndsRevision(pdf.bytes, RangeEnd(*r.range))) {
            r.valid = false;
            r.problem = "the signed range does not end a complete revision";
            continue;
        }
        j->needsChanges = true;
    }
}

VerifyReport Verify(LoadedPdf& pdf, SignatureHandler* handler) {
    QPDF& q = *pdf.qpdf;
    // Every object is read, in an instance of its own on another core, while
    // this one reads the fields and judges their signatures: any object qpdf
    // could read only by repairing it refuses the file, and the dictionaries
    // that look like signatures come from that reading too.
    std::future<EveryObjectReading> everyObject =
        std::async(std::launch::async, [&pdf] { return ReadEveryObject(pdf.path, pdf.bytes, pdf.password); });
    // Structures readers resolve differently are named first; then a refusal
    // for a repair comes before any other failure, as it would had the whole
    // document been read before the fields.
    CheckReadersAgree(pdf);
    auto refusal = [&everyObject](std::exception_ptr failure) {
        everyObject.get();
        std::rethrow_exception(failure);
    };

    std::vector<Judged> all;
    std::set<QPDFObjGen> seen;
    XRef xref;
    try {
        for (SignatureReport& r : FieldSignatures(q, &seen)) all.emplace_back(std::move(r));
        // What qpdf's form helper says of the form (a widget no field lists)
        // is no repair of what was read.
        q.getWarnings();
        xref = q.getXRefTable();
        Judge(pdf, xref, handler, all, 0);
    } catch (...) {
        refusal(std::current_exception());
    }
    const size_t held = all.size();
    EveryObjectReading reading = everyObject.get();
    pdf.wholeReading = std::move(reading.reader);
    for (const QPDFObjGen& og : reading.signatureLike)
        if (!seen.count(og)) all.emplace_back(UnheldSignature(q.getObject(og)));
    Judge(pdf, xref, handler, all, held);

    std::stable_sort(all.begin(), all.end(),
                     [](const Judged& a, const Judged& b) { return EndsLater(a.report, b.report); });
    VerifyReport report;
    report.path = pdf.path;
    report.fileSize = static_cast<long long>(pdf.bytes.size());
    report.signatures.reserve(all.size());
    for (Judged& j : all) report.signatures.push_back(std::move(j.report));
    SetRotations(q, report.signatures);
    std::vector<SignatureReport*> needChanges;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].needsChanges) needChanges.push_back(&report.signatures[i]);

    // The revisions after the earliest signed one, each compared once.
    // A dictionary no field holds: a later update that took its field away
    // is a change after signing; without one it was never a signature.
    auto settleUnheld = [&] {
        for (SignatureReport& r : report.signatures) {
            if (!r.heldByNoField || !r.problem.empty()) continue;
            if (r.valid && r.changes && r.ChangedAfterSigning()) continue;
            r.valid = false;
            r.problem = "no signature field holds this signature dictionary";
        }
    };
    if (!needChanges.empty()) {
        long long earliest = report.fileSize;
        for (SignatureReport* r : needChanges) earliest = std::min(earliest, RangeEnd(*r->range));
        const std::string_view bytes = pdf.bytes;
        std::vector<UpdateVerdict> updates = CompareLaterUpdates(
            pdf, earliest,
            [bytes](long long revisionEnd, const XRef& x, QPDFObjGen og, QPDFObjectHandle dict, std::string* integrity) {
                return CheckLaterSignature(bytes, revisionEnd, x, og, dict, integrity);
            });
        for (SignatureReport* r : needChanges) {
            const long long end = RangeEnd(*r->range);
            bool atRevision = end == earliest;
            RevisionChanges changes;
            for (const UpdateVerdict& u : updates) {
                atRevision = atRevision || u.end == end;
                if (u.start >= end) changes.Merge(u.changes);
            }
            if (!atRevision) {
                r->valid = false;
                r->problem = "the signed range does not end a complete revision";
                continue;
            }
            r->changes = changes;
        }
    }
    settleUnheld();
    RefuseRepairs(q, pdf.path);
    return report;
}

}  // namespace

VerifyReport VerifyPdf(LoadedPdf& pdf, SignatureHandler* handler) {
    try {
        return Verify(pdf, handler);
    } catch (const PdfError&) {
        throw;
    } catch (const std::exception& e) {
        // qpdf's own errors come from deep inside a damaged object.
        throw PdfError(pdf.path + ": damaged; " + e.what());
    }
}

int VerifyReport::ExitCode() const {
    int ours = 0;
    for (const SignatureReport& r : signatures) {
        if (!r.ours) continue;
        ++ours;
        if (!r.valid || r.ChangedAfterSigning()) return 1;
    }
    return ours > 0 ? 0 : 1;
}

}  // namespace penvane
