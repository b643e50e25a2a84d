#include "UpdateChain.h"

#include "PdfError.h"
#include "ReaderAgreement.h"

namespace penvane {
namespace {

// The entries of `after` that differ from `before`.
XRef Differences(const XRef& before, const XRef& after) {
    XRef out;
    for (auto& [og, e] : after) {
        auto it = before.find(og);
        if (it == before.end() || !SameEntry(it->second, e)) out.emplace(og, e);
    }
    return out;
}

void RefuseWarnings(QPDF& q, const std::string& name) {
    if (q.anyWarnings())
        throw PdfError(name + ": damaged; qpdf could read it only by repairing it (" +
                       q.getWarnings().front().getMessageDetail() + ")");
}

}  // namespace

std::vector<UpdateVerdict> CompareLaterUpdates(LoadedPdf& pdf, long long signedEnd, const LaterSignatureCheck& check) {
    const long long size = static_cast<long long>(pdf.bytes.size());
    std::string trailing;
    std::vector<LaterUpdate> updates = SplitLaterUpdates(pdf.bytes, signedEnd, &trailing);
    const XRef latestXref = pdf.qpdf->getXRefTable();
    auto name = [&](long long end) { return pdf.path + " (revision ending at byte " + std::to_string(end) + ")"; };
    // The revision that ends at `end`; null for the whole document.
    auto load = [&](long long end) -> std::unique_ptr<QPDF> {
        if (end == size) return nullptr;
        return LoadRevision(name(end), pdf.bytes.substr(0, static_cast<size_t>(end)), pdf.password);
    };

    EdgeCache cache;
    std::unique_ptr<QPDF> beforeQ = load(signedEnd);
    QPDF* bq = beforeQ ? beforeQ.get() : pdf.qpdf.get();
    auto before = std::make_unique<RevisionGraph>(*bq, bq->getXRefTable(), *pdf.qpdf, latestXref);
    try {
        CheckEntries(pdf.bytes, *bq, before->xref(), before->xref());
    } catch (const PdfError& e) {
        throw PdfError(name(signedEnd) + ": " + e.what());
    }
    before->Walk(cache);
    RefuseWarnings(*bq, name(signedEnd));

    std::vector<UpdateVerdict> out;
    for (const LaterUpdate& u : updates) {
        UpdateVerdict v;
        v.start = u.start;
        v.end = u.end;
        if (!u.hasOwnXref()) {
            // Nothing a strict reader sees, everything a repairing one does.
            for (const std::string& p : CheckUpdate(pdf.bytes, u, *bq)) v.changes.NoteStructure(p);
            out.push_back(std::move(v));
            continue;
        }
        std::unique_ptr<QPDF> afterQ = load(u.end);
        QPDF* aq = afterQ ? afterQ.get() : pdf.qpdf.get();
        auto after = std::make_unique<RevisionGraph>(*aq, aq->getXRefTable(), *pdf.qpdf, latestXref);
        for (const std::string& p : CheckUpdate(pdf.bytes, u, *aq)) v.changes.NoteStructure(p);
        try {
            CheckEntries(pdf.bytes, *aq, Differences(before->xref(), after->xref()), after->xref());
        } catch (const PdfError& e) {
            throw PdfError(name(u.end) + ": " + e.what());
        }
        UpdateFacts facts;
        facts.xrefOffset = u.xref;
        const XRef& xref = after->xref();
        const long long end = u.end;
        facts.checkSignature = [&](QPDFObjGen og, QPDFObjectHandle dict, std::string* integrity) {
            return check(end, xref, og, dict, integrity);
        };
        v.changes.Merge(CompareUpdate(*before, *after, cache, facts));
        RefuseWarnings(*aq, name(u.end));
        out.push_back(std::move(v));
        before = std::move(after);
        beforeQ = std::move(afterQ);
        bq = aq;
    }
    if (!trailing.empty()) {
        UpdateVerdict v;
        v.start = updates.empty() ? signedEnd : updates.back().end;
        v.end = size;
        v.changes.NoteStructure(trailing);
        out.push_back(std::move(v));
    }
    return out;
}

}  // namespace penvane
