#include "Verification.h"

#include <algorithm>
#include <map>
#include <set>

#include <qpdf/QPDFPageDocumentHelper.hh>

#include "CmsIntegrity.h"
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

std::vector<SignatureReport> FindSignatures(LoadedPdf& pdf) {
    QPDF& q = *pdf.qpdf;
    std::vector<SignatureReport> found;
    std::set<QPDFObjGen> seen;
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
            seen.insert(f.value.getObjGen());
        }
        found.push_back(r);
    }
    // Signature dictionaries that no field holds: a verifier that looked at
    // fields alone could be shown one signature while another hides.
    for (auto& obj : q.getAllObjects()) {
        if (!obj.isDictionary() || seen.count(obj.getObjGen())) continue;
        QPDFObjectHandle type = obj.getKey("/Type");
        if (!(type.isNameAndEquals("/Sig") || (obj.hasKey("/ByteRange") && obj.hasKey("/Contents")))) continue;
        SignatureReport r;
        Describe(obj, &r);
        r.heldByNoField = true;
        found.push_back(r);
    }
    std::stable_sort(found.begin(), found.end(), [](const SignatureReport& a, const SignatureReport& b) {
        long long ea = a.range ? RangeEnd(*a.range) : -1;
        long long eb = b.range ? RangeEnd(*b.range) : -1;
        return ea > eb;
    });
    // Pages' rotations for the picture.
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(q).getAllPages();
    for (auto& r : found)
        if (r.page >= 1 && r.page <= static_cast<int>(pages.size()))
            r.rotation = PageRotation(pages[r.page - 1].getObjectHandle());
    return found;
}

namespace {

VerifyReport Verify(LoadedPdf& pdf, SignatureHandler* handler) {
    QPDF& q = *pdf.qpdf;
    // qpdf's mends of the page tree while loading were never refused; from
    // here on, any warning is a repair of what this verification reads.
    q.getWarnings();
    CheckReadersAgree(pdf);
    for (auto& object : q.getAllObjects()) object.isDictionary();
    RefuseRepairs(q, pdf.path);
    VerifyReport report;
    report.path = pdf.path;
    report.fileSize = static_cast<long long>(pdf.bytes.size());
    report.signatures = FindSignatures(pdf);
    // What qpdf's form helper says of the form (a widget no field lists)
    // is no repair of what was read.
    q.getWarnings();
    const XRef xref = q.getXRefTable();

    // Coverage, then the handler.
    std::vector<SignatureReport*> needChanges;
    for (SignatureReport& r : report.signatures) {
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
        const long long end = RangeEnd(*r.range);
        r.coversWholeFile = c.wholeFile || OnlyWhitespace(pdf.bytes, end);
        if (!r.ours) {
            r.problem = CheckOtherHandler(pdf.bytes.substr(0, static_cast<size_t>(end)), *r.range, c.contents, r.subFilter,
                                          &r.integrity);
            continue;
        }
        if (!handler) throw PdfError("no handler to validate a signature with");
        r.answer = handler->Validate(c.contents, Sha1OverRanges(pdf.bytes, *r.range));
        r.valid = r.answer->digest && IsValidDigestCode(*r.answer->digest);
        if (!r.valid) r.problem = "the handler does not find the signature valid for these bytes";
        if (r.coversWholeFile) continue;
        if (!EndsRevision(pdf.bytes, end)) {
            r.valid = false;
            r.problem = "the signed range does not end a complete revision";
            continue;
        }
        needChanges.push_back(&r);
    }

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
