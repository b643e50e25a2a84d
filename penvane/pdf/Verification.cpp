#include "Verification.h"

#include <algorithm>
#include <map>
#include <set>

#include <qpdf/QPDFPageDocumentHelper.hh>

#include "LaterRevisions.h"
#include "PdfError.h"
#include "TextEncoding.h"

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

// Where the object lies in the file: its own offset, or for an object in an
// object stream the stream's (`inStream` then). -1 when the table has none.
long long ObjectOffset(const std::map<QPDFObjGen, QPDFXRefEntry>& xref, int object, bool* inStream) {
    *inStream = false;
    auto entry = xref.lower_bound(QPDFObjGen(object, 0));
    if (entry == xref.end() || entry->first.getObj() != object) return -1;
    if (entry->second.getType() == 1) return entry->second.getOffset();
    if (entry->second.getType() != 2) return -1;
    *inStream = true;
    bool nested = false;
    return ObjectOffset(xref, entry->second.getObjStreamNumber(), &nested);
}

// Another handler's signature added after one of ours is not checked here,
// and its widget can show anything: it passes as "only a signature" when its
// /ByteRange at least has a signature's shape over its own revision.
void NoteUncoveredLaterSignatures(LoadedPdf& pdf, const std::map<QPDFObjGen, QPDFXRefEntry>& xref, VerifyReport* report) {
    for (SignatureReport& r : report->signatures) {
        if (!r.ours || !r.valid || !r.changes || !r.range) continue;
        const long long end = RangeEnd(*r.range);
        for (const SignatureReport& s : report->signatures) {
            if (s.ours || s.dictObject == 0) continue;
            bool inStream = false;
            const long long offset = ObjectOffset(xref, s.dictObject, &inStream);
            if (offset >= 0 && offset < end) continue;  // inside our signed revision
            Coverage c;
            c.problem = inStream ? "the signature dictionary is inside an object stream"
                                 : "/ByteRange is missing or not four integers";
            if (s.range && !inStream) c = CheckCoverage(pdf.bytes, *s.range, offset);
            if (!c.ok)
                r.changes->NoteOther("signature that covers nothing",
                                     "object " + std::to_string(s.dictObject) + ": a signature dictionary of another handler" +
                                         " added later does not cover its revision (" + c.problem + ")");
        }
    }
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
        r.problem = "no signature field holds this signature dictionary";
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

VerifyReport VerifyPdf(LoadedPdf& pdf, SignatureHandler* handler) {
    QPDF& q = *pdf.qpdf;
    VerifyReport report;
    report.path = pdf.path;
    report.fileSize = static_cast<long long>(pdf.bytes.size());
    report.signatures = FindSignatures(pdf);
    std::map<QPDFObjGen, QPDFXRefEntry> xref = q.getXRefTable();
    std::map<long long, std::shared_ptr<LoadedPdf>> revisions;  // by end offset

    for (SignatureReport& r : report.signatures) {
        if (!r.ours) continue;
        if (!r.problem.empty()) continue;
        if (!r.range) {
            r.problem = "/ByteRange is missing or not four integers";
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
        const long long end = (*r.range)[2] + (*r.range)[3];
        r.coversWholeFile = c.wholeFile || OnlyWhitespace(pdf.bytes, end);
        if (!handler) throw PdfError("no handler to validate a signature with");
        std::string digest = Sha1OverRanges(pdf.bytes, *r.range);
        r.answer = handler->Validate(c.contents, digest);
        r.valid = r.answer->digest && IsValidDigestCode(*r.answer->digest);
        if (!r.valid) r.problem = "the handler does not find the signature valid for these bytes";
        if (!r.coversWholeFile) {
            // Revisions cut from the file at the ends of signed ranges and
            // updates, loaded once for every signature that needs them.
            auto load = [&](long long at) -> LoadedPdf& {
                if (at == report.fileSize) return pdf;
                auto& revision = revisions[at];
                if (!revision)
                    revision = std::make_shared<LoadedPdf>(
                        LoadPdfView(pdf.path + " (revision ending at " + std::to_string(at) + ")", pdf.storage,
                                    pdf.bytes.substr(0, static_cast<size_t>(at)), q.getTrimmedUserPassword()));
                return *revision;
            };
            try {
                r.changes = CompareRevisions(*load(end).qpdf, q);
            } catch (const PdfError& e) {
                // The signed range does not end a complete revision.
                r.valid = false;
                r.problem = "the signed range does not end a complete revision";
                continue;
            }
            for (const std::string& problem : CheckLaterRevisions(pdf.bytes, end, load)) r.changes->NoteStructure(problem);
        }
    }
    NoteUncoveredLaterSignatures(pdf, xref, &report);
    return report;
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
