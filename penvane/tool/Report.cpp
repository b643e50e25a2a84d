#include "Report.h"

#include <cstdio>

#include "TextEncoding.h"

namespace penvane {
namespace {

using nlohmann::json;

std::string Num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string RectText(const PdfRect& r) {
    return Num(r[0]) + "," + Num(r[1]) + "," + Num(r[2]) + "," + Num(r[3]);
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

const RenderComparison* CheckOf(const RenderChecks* checks, size_t index) {
    if (!checks) return nullptr;
    auto it = checks->find(index);
    return it == checks->end() ? nullptr : &it->second;
}

std::string PagesText(int n) { return std::to_string(n) + (n == 1 ? " page" : " pages"); }

std::string RenderCheckText(const RenderComparison& c) {
    const size_t found = c.Findings().size();
    return "     render check at " + std::to_string(c.dpi) + " dpi, every page of both versions (" +
           PagesText(c.signedPages) + " signed, " + PagesText(c.currentPages) + " now): " +
           (found ? std::to_string(found) + (found == 1 ? " difference" : " differences")
                  : std::string("no difference")) +
           " that later signatures do not account for\n";
}

json RenderCheckJson(const RenderComparison& c) {
    json differences = json::array(), appearances = json::array();
    for (const PageComparison& p : c.pages) {
        const char* what = nullptr;
        switch (p.state) {
        case PageComparison::State::Same: break;
        case PageComparison::State::Changed: what = "area"; break;
        case PageComparison::State::Added: what = "page added"; break;
        case PageComparison::State::Removed: what = "page removed"; break;
        case PageComparison::State::Resized: what = "page size"; break;
        }
        if (what && p.state == PageComparison::State::Changed) {
            for (const PdfRect& r : p.areaPoints)
                differences.push_back({{"kind", "rendered page"}, {"page", p.page}, {"what", what}, {"area", r}});
        } else if (what) {
            json d{{"kind", "rendered page"}, {"page", p.page}, {"what", what}};
            if (!p.areaPoints.empty()) d["area"] = p.areaPoints[0];
            differences.push_back(d);
        }
        for (size_t i = 0; i < p.widgets.size(); ++i) {
            if (p.overContent[i].Empty()) continue;
            differences.push_back({{"kind", "rendered page"},
                                   {"page", p.page},
                                   {"what", "later signature over signed content"},
                                   {"field", c.widgets[p.widgets[i]].field},
                                   {"area", p.overContentPoints[i]}});
        }
        for (size_t i = 0; i < p.widgets.size(); ++i) {
            if (p.widgetAreas[i].Empty()) continue;
            const LaterWidget& w = c.widgets[p.widgets[i]];
            appearances.push_back({{"page", p.page}, {"field", w.field}, {"name", w.signer}, {"rect", w.rect}});
        }
    }
    return json{{"dpi", c.dpi},
                {"signedPages", c.signedPages},
                {"currentPages", c.currentPages},
                {"signedBytes", c.signedEnd},
                {"changed", c.Changed()},
                {"differences", differences},
                {"laterSignatureAppearances", appearances}};
}

std::string HandlerText(const SignatureReport& s, size_t index) {
    if (!s.answer || !s.answer->texts[index]) return std::string();
    return HostTextToUtf8(*s.answer->texts[index]);
}

}  // namespace

std::string FieldsText(const std::string& path, const std::vector<SignatureField>& fields) {
    std::string out = path + ": " + std::to_string(fields.size()) + " signature field(s)\n";
    for (const SignatureField& f : fields) {
        out += "  " + Quoted(f.name) + "  page " + (f.page ? std::to_string(f.page) : std::string("none")) +
               "  rect " + RectText(f.rect) + "  " + (f.IsSigned() ? "signed" : "unsigned");
        if (f.reasons) {
            out += "  reasons:";
            for (const std::string& r : *f.reasons) out += " " + Quoted(r);
        }
        out += "\n";
    }
    return out;
}

json FieldsJson(const std::string& path, const std::vector<SignatureField>& fields) {
    json list = json::array();
    for (const SignatureField& f : fields) {
        json j{{"name", f.name}, {"page", f.page}, {"rect", f.rect}, {"signed", f.IsSigned()}};
        if (f.reasons) j["reasons"] = *f.reasons;
        if (f.seedFlags) j["seedFlags"] = *f.seedFlags;
        list.push_back(j);
    }
    return json{{"file", path}, {"fields", list}};
}

std::string Verdict(const SignatureReport& s) {
    if (!s.ours) {
        std::string v = "not this handler's signature (" + (s.filter.empty() ? std::string("no /Filter") : s.filter) + ")";
        if (!s.problem.empty()) return v + "; not valid: " + s.problem;
        return v + "; " + (s.integrity.empty() ? std::string("not checked") : s.integrity);
    }
    if (!s.valid) return "INVALID: " + s.problem;
    if (s.ChangedAfterSigning())
        return "valid for its revision, changed after signing: " + s.changes->Summary();
    if (s.changes) return "valid; followed by " + s.changes->Summary();
    return "valid";
}

std::string VerifyText(const VerifyReport& report, const RenderChecks* checks) {
    std::string out = report.path + ": " + std::to_string(report.signatures.size()) + " signature(s), newest first\n";
    int n = 0;
    for (const SignatureReport& s : report.signatures) {
        out += "  " + std::to_string(++n) + ". " +
               (s.field.empty() ? std::string("no field") : "field " + Quoted(s.field)) +
               (s.page ? " (page " + std::to_string(s.page) + ")" : std::string()) + ": " + Verdict(s) + "\n";
        // The handler answers its texts whatever it found; they are shown for
        // the signatures it found valid only.
        std::string text = HandlerText(s, 0);
        if (s.valid && !text.empty()) out += "     handler: " + text + " (" + HandlerText(s, 1) + ")\n";
        if (s.ours) {
            out += "     signed " + s.time + "; reason " + Quoted(s.reason) + ", name " + Quoted(s.name) +
                   ", location " + Quoted(s.location) + ", contact " + Quoted(s.contactInfo) + "\n";
        }
        if (s.range) {
            const ByteRange& r = *s.range;
            out += "     signed bytes 0.." + std::to_string(r[1]) + " and " + std::to_string(r[2]) + ".." +
                   std::to_string(RangeEnd(r)) + " of " + std::to_string(report.fileSize) +
                   (s.coversWholeFile ? " (the whole file but the value)\n" : "\n");
        }
        if (s.changes) {
            for (const std::string& d : s.changes->details) out += "     changed after: " + d + "\n";
            for (const LaterSignature& l : s.changes->laterSignatures)
                out += "     signed after: field " + Quoted(l.field) + " (" + (l.filter.empty() ? "no /Filter" : l.filter) +
                       "; " + l.integrity + ") draws " +
                       (l.page ? "on page " + std::to_string(l.page) + " at " + RectText(l.rect) : std::string("on no page")) + "\n";
        }
        if (const RenderComparison* c = CheckOf(checks, static_cast<size_t>(n - 1))) out += RenderCheckText(*c);
    }
    if (report.signatures.empty()) out += "  no signatures\n";
    return out;
}

json VerifyJson(const VerifyReport& report, const RenderChecks* checks) {
    json list = json::array();
    for (const SignatureReport& s : report.signatures) {
        const RenderComparison* check = CheckOf(checks, list.size());
        json j{{"field", s.field},       {"page", s.page},          {"rect", s.rect},
               {"filter", s.filter},     {"subFilter", s.subFilter}, {"thisHandler", s.ours},
               {"valid", s.valid},       {"verdict", Verdict(s)},   {"changedAfterSigning", s.ChangedAfterSigning()},
               {"reason", s.reason},     {"name", s.name},          {"location", s.location},
               {"contactInfo", s.contactInfo}, {"time", s.time}};
        if (!s.problem.empty() && s.ours) j["problem"] = s.problem;
        if (s.range) j["byteRange"] = *s.range;
        j["coversWholeFile"] = s.coversWholeFile;
        if (s.changes)
            j["laterRevisions"] = json{{"summary", s.changes->Summary()},
                                       {"signaturesAdded", s.changes->signatures},
                                       {"formValues", s.changes->formValues},
                                       {"annotations", s.changes->annotations},
                                       {"other", s.changes->other},
                                       {"structure", s.changes->structure},
                                       {"kinds", s.changes->kinds},
                                       {"details", s.changes->details}};
        if (s.changes) {
            json later = json::array();
            for (const LaterSignature& l : s.changes->laterSignatures)
                later.push_back(json{{"field", l.field}, {"page", l.page}, {"rect", l.rect}, {"object", l.dictObject},
                                     {"filter", l.filter}, {"subFilter", l.subFilter}, {"integrity", l.integrity}});
            j["laterRevisions"]["laterSignatures"] = later;
        }
        if (!s.ours && !s.integrity.empty()) j["integrity"] = s.integrity;
        if (s.answer) {
            json results = json::object();
            if (s.answer->digest) results["digest"] = *s.answer->digest;
            if (s.answer->trustFlags) results["trustFlags"] = *s.answer->trustFlags;
            if (s.answer->id) results["id"] = *s.answer->id;
            // The handler answers its texts (its "is Valid" wording among
            // them) whatever it found, and before this tool's own checks have
            // had their say: like the text report, they are shown for
            // signatures found valid only. The results stay: they are what
            // the handler found.
            json texts = json::object();
            for (size_t i = 0; i < 3 && s.valid; ++i)
                if (s.answer->texts[i]) texts[std::to_string(8 + i)] = HostTextToUtf8(*s.answer->texts[i]);
            j["handler"] = json{{"results", results}, {"texts", texts}};
        }
        if (check) j["renderCheck"] = RenderCheckJson(*check);
        list.push_back(j);
    }
    return json{{"file", report.path}, {"signatures", list}, {"exitCode", report.ExitCode()}};
}

}  // namespace penvane
