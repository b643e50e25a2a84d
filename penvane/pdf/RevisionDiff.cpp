#include "RevisionDiff.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <map>
#include <set>

namespace penvane {
namespace {

enum class Kind { Signature, FormValue, Annotation, Other };

bool SameEntry(const QPDFXRefEntry& a, const QPDFXRefEntry& b) {
    if (a.getType() != b.getType()) return false;
    if (a.getType() == 1) return a.getOffset() == b.getOffset();
    if (a.getType() == 2) return a.getObjStreamNumber() == b.getObjStreamNumber() && a.getObjStreamIndex() == b.getObjStreamIndex();
    return true;
}

// A key of what may not be a dictionary (a stream's from its dictionary). qpdf answers a key asked of any
// other object with a type warning, which it throws as an exception when the
// object does not know its document (a direct null, say).
QPDFObjectHandle Key(QPDFObjectHandle o, const std::string& key) {
    if (o.isStream()) return o.getDict().getKey(key);
    return o.isDictionary() ? o.getKey(key) : QPDFObjectHandle::newNull();
}

std::string ObjectText(QPDFObjectHandle obj) {
    if (!obj.isStream()) return obj.unparseResolved();
    auto data = obj.getRawStreamData();
    return obj.getDict().unparse() + "\nstream\n" +
           std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

bool IsSignatureDict(QPDFObjectHandle o) {
    if (!o.isDictionary()) return false;
    // A signature dictionary is no field or annotation: one that is both
    // would let anything an annotation shows pass as a signature.
    for (const char* key : {"/FT", "/T", "/Kids", "/Parent", "/Subtype", "/Rect", "/AP"})
        if (o.hasKey(key)) return false;
    QPDFObjectHandle type = o.getKey("/Type");
    return type.isNameAndEquals("/Sig") || type.isNameAndEquals("/DocTimeStamp") ||
           (o.hasKey("/ByteRange") && o.hasKey("/Contents") && o.hasKey("/Filter"));
}

bool IsSignatureField(QPDFObjectHandle o) {
    for (int depth = 0; depth < 32 && o.isDictionary(); ++depth) {
        QPDFObjectHandle ft = o.getKey("/FT");
        if (ft.isName()) return ft.isNameAndEquals("/Sig");
        o = o.getKey("/Parent");
    }
    return false;
}

// A field's /V, inherited from its parents.
QPDFObjectHandle FieldValue(QPDFObjectHandle o) {
    for (int depth = 0; depth < 32 && o.isDictionary(); ++depth) {
        if (o.hasKey("/V")) return o.getKey("/V");
        o = o.getKey("/Parent");
    }
    return QPDFObjectHandle::newNull();
}

bool IsField(QPDFObjectHandle o) {
    return o.isDictionary() && (o.hasKey("/FT") || o.hasKey("/T") || !Key(o.getKey("/Parent"), "/FT").isNull());
}

bool IsAnnotation(QPDFObjectHandle o) {
    return o.isDictionary() && (o.getKey("/Type").isNameAndEquals("/Annot") || o.getKey("/Subtype").isName()) &&
           o.hasKey("/Rect");
}

// Streams named by an annotation's /AP, in every state.
void AppearanceStreams(QPDFObjectHandle annot, std::set<QPDFObjGen>* out) {
    QPDFObjectHandle ap = Key(annot, "/AP");
    if (!ap.isDictionary()) return;
    for (auto& key : ap.getKeys()) {
        QPDFObjectHandle v = ap.getKey(key);
        if (v.isStream()) out->insert(v.getObjGen());
        else if (v.isDictionary())
            for (auto& state : v.getKeys())
                if (v.getKey(state).isStream()) out->insert(v.getKey(state).getObjGen());
    }
}

// Every indirect object reachable from `from` (bounded), into `out`.
void Reachable(QPDFObjectHandle from, std::set<QPDFObjGen>* out, int depth = 0) {
    if (depth > 32) return;
    if (from.isIndirect()) {
        if (!out->insert(from.getObjGen()).second) return;
    }
    QPDFObjectHandle dict = from.isStream() ? from.getDict() : from;
    if (dict.isDictionary()) {
        for (auto& key : dict.getKeys())
            if (key != "/Parent" && key != "/P") Reachable(dict.getKey(key), out, depth + 1);
    } else if (dict.isArray()) {
        for (auto& item : dict.aitems()) Reachable(item, out, depth + 1);
    }
}

// What the objects of a document are for, as far as naming a change needs it.
struct Roles {
    std::set<QPDFObjGen> pageContent, resources, optionalContent, appearances;

    void Collect(QPDF& q) {
        QPDFObjectHandle oc = q.getRoot().getKey("/OCProperties");
        Reachable(oc, &optionalContent);
        for (auto& page : QPDFPageDocumentHelper(q).getAllPages()) {
            QPDFObjectHandle p = page.getObjectHandle();
            QPDFObjectHandle contents = p.getKey("/Contents");
            if (contents.isIndirect()) pageContent.insert(contents.getObjGen());
            if (contents.isArray())
                for (auto& c : contents.aitems())
                    if (c.isIndirect()) pageContent.insert(c.getObjGen());
            // Inherited through the page tree; the depth guard stops a /Parent loop.
            QPDFObjectHandle node = p;
            for (int depth = 0; depth < 64 && node.isDictionary() && !node.hasKey("/Resources"); ++depth)
                node = node.getKey("/Parent");
            if (node.isDictionary()) Reachable(node.getKey("/Resources"), &resources);
            // What the appearances of the page's annotations draw with.
            QPDFObjectHandle annots = p.getKey("/Annots");
            if (!annots.isArray()) continue;
            for (auto& a : annots.aitems()) {
                std::set<QPDFObjGen> streams;
                AppearanceStreams(a, &streams);
                for (const QPDFObjGen& og : streams) Reachable(q.getObject(og).getDict().getKey("/Resources"), &resources);
                appearances.insert(streams.begin(), streams.end());
            }
        }
        // Optional content groups are named by resources (/Properties) too.
        for (const QPDFObjGen& og : resources) {
            QPDFObjectHandle o = q.getObject(og);
            if (o.isDictionary() && (o.getKey("/Type").isNameAndEquals("/OCG") || o.getKey("/Type").isNameAndEquals("/OCMD")))
                optionalContent.insert(og);
        }
    }
};

class Comparison {
public:
    Comparison(QPDF& before, QPDF& after) : before_(before), after_(after) {
        roles_.Collect(before_);
        roles_.Collect(after_);
    }

    RevisionChanges Run() {
        auto xb = before_.getXRefTable();
        auto xa = after_.getXRefTable();
        auto changedEntry = [&](const QPDFObjGen& og, const QPDFXRefEntry& e) {
            auto old = xb.find(og);
            if (old == xb.end()) return true;
            if (!SameEntry(old->second, e)) return true;
            // An object inside an object stream changes with its container.
            if (e.getType() == 2) {
                QPDFObjGen container(e.getObjStreamNumber(), 0);
                auto cb = xb.find(container), ca = xa.find(container);
                return cb == xb.end() || ca == xa.end() || !SameEntry(cb->second, ca->second);
            }
            return false;
        };
        for (auto& [og, e] : xa) {
            if (e.getType() == 0) continue;
            if (!xb.count(og) || xb.at(og).getType() == 0) added_.insert(og);
            else if (changedEntry(og, e) &&
                     ObjectText(before_.getObject(og)) != ObjectText(after_.getObject(og)))
                changed_.insert(og);
        }
        for (auto& [og, e] : xb)
            if (e.getType() != 0 && (!xa.count(og) || xa.at(og).getType() == 0))
                Note(Kind::Other, og, "removed");

        ClassifyAdded();
        for (const QPDFObjGen& og : changed_) ClassifyChanged(og);
        return changes_;
    }

private:
    // `label` names the kind of change for a person (see RevisionChanges::kinds).
    void Note(Kind kind, QPDFObjGen og, const std::string& what, const char* label = nullptr) {
        switch (kind) {
        case Kind::Signature: changes_.signatures = true; return;  // not a change to report
        case Kind::FormValue: changes_.formValues = true; break;
        case Kind::Annotation: changes_.annotations = true; break;
        case Kind::Other: changes_.other = true; break;
        }
        if (!label) label = kind == Kind::FormValue ? "form field" : kind == Kind::Annotation ? "annotation" : "other objects";
        changes_.NoteKind(label);
        changes_.details.push_back("object " + std::to_string(og.getObj()) + ": " + what);
    }

    void ClassifyAdded() {
        // Signature dictionaries and signature widgets first: their appearance
        // streams (and what those alone use) belong to them.
        std::set<QPDFObjGen> belongsToSignature, belongsToAnnotation;
        for (const QPDFObjGen& og : added_) {
            QPDFObjectHandle o = after_.getObject(og);
            if (IsSignatureField(o) && IsAnnotation(o) && HoldsAddedSignature(o)) AppearanceStreams(o, &belongsToSignature);
            else if (IsAnnotation(o)) AppearanceStreams(o, &belongsToAnnotation);
        }
        for (const QPDFObjGen& og : added_) {
            QPDFObjectHandle o = after_.getObject(og);
            QPDFObjectHandle type = Key(o, "/Type");
            if (type.isNameAndEquals("/XRef") || type.isNameAndEquals("/ObjStm")) continue;  // file structure
            if (IsSignatureDict(o) || belongsToSignature.count(og)) Note(Kind::Signature, og, "");
            else if (IsSignatureField(o)) {
                if (!HoldsAddedSignature(o)) Note(Kind::Annotation, og, "signature field without a signature added", "form field");
                else if (IsAnnotation(o) || o.getKey("/Kids").isArray()) Note(Kind::Signature, og, "");
                else Note(Kind::Annotation, og, "signature field without a widget added");
            } else if (IsAnnotation(o) || belongsToAnnotation.count(og)) Note(Kind::Annotation, og, "annotation added");
            else if (IsField(o)) Note(Kind::Annotation, og, "form field added", "form field");
            else if (roles_.pageContent.count(og)) Note(Kind::Other, og, "page content stream added", "page content");
            else if (roles_.appearances.count(og))
                Note(Kind::FormValue, og, "appearance stream added", "widget appearance");
            else if (NoteByRole(og, "object added")) continue;
            else if (IsAcroForm(og) && OnlySignatureFields(Key(o, "/Fields"), QPDFObjectHandle::newArray()))
                Note(Kind::Signature, og, "");
            else Note(Kind::Other, og, o.isStream() ? "stream added" : "object added");
        }
    }

    bool IsAcroForm(QPDFObjGen og) {
        QPDFObjectHandle form = after_.getRoot().getKey("/AcroForm");
        return form.isIndirect() && form.getObjGen() == og;
    }

    bool IsAddedSignatureWidgetOrField(QPDFObjectHandle item) {
        return item.isIndirect() && added_.count(item.getObjGen()) && IsSignatureField(item) && HoldsAddedSignature(item);
    }

    // A signature field (or a widget of one) whose value is a signature
    // dictionary added after the earlier revision. An empty signature field
    // added later is a field like any other: its appearance can show
    // anything.
    bool HoldsAddedSignature(QPDFObjectHandle o) {
        QPDFObjectHandle v = FieldValue(o);
        return v.isIndirect() && added_.count(v.getObjGen()) && IsSignatureDict(v);
    }

    // The new array keeps every old item and adds only new signature fields
    // or widgets.
    bool OnlySignatureFields(QPDFObjectHandle now, QPDFObjectHandle was) {
        if (!now.isArray()) return false;
        std::multiset<std::string> old;
        if (was.isArray())
            for (auto& item : was.aitems()) old.insert(item.unparse());
        for (auto& item : now.aitems()) {
            auto it = old.find(item.unparse());
            if (it != old.end()) old.erase(it);
            else if (!IsAddedSignatureWidgetOrField(item)) return false;
        }
        return old.empty();
    }

    std::set<QPDFObjGen> Pages() {
        std::set<QPDFObjGen> pages;
        for (auto& p : QPDFPageDocumentHelper(after_).getAllPages()) pages.insert(p.getObjectHandle().getObjGen());
        return pages;
    }

    void ClassifyChanged(QPDFObjGen og) {
        QPDFObjectHandle now = after_.getObject(og), was = before_.getObject(og);
        const bool isPage = Pages().count(og) > 0;
        if (now.isStream()) {
            std::set<QPDFObjGen> appearances;
            for (auto& page : QPDFPageDocumentHelper(after_).getAllPages()) {
                QPDFObjectHandle annots = page.getObjectHandle().getKey("/Annots");
                if (annots.isArray())
                    for (auto& a : annots.aitems()) AppearanceStreams(a, &appearances);
            }
            if (appearances.count(og))
                Note(Kind::FormValue, og, "appearance of a widget or annotation changed", "widget appearance");
            else if (roles_.pageContent.count(og)) Note(Kind::Other, og, "page content stream changed", "page content");
            else if (!NoteByRole(og, "stream changed")) Note(Kind::Other, og, "stream changed");
            return;
        }
        if (now.isArray()) {
            // An indirect /Annots or /Fields array.
            if (OnlySignatureFields(now, was)) Note(Kind::Signature, og, "");
            else if (IsListedAs(og, "/Annots")) Note(Kind::Annotation, og, "annotations of a page changed");
            else if (IsListedAs(og, "/Fields")) Note(Kind::Annotation, og, "form fields changed", "form field");
            else if (!NoteByRole(og, "array changed")) Note(Kind::Other, og, "array changed");
            return;
        }
        if (!now.isDictionary() || !was.isDictionary()) {
            if (!NoteByRole(og, "object changed")) Note(Kind::Other, og, "object changed");
            return;
        }
        const bool isRoot = after_.getRoot().getObjGen() == og;
        const bool isForm = IsAcroForm(og);
        const bool isField = IsField(now) || IsField(was);
        const bool isSigField = IsSignatureField(now);
        const bool isAnnot = IsAnnotation(now) || IsAnnotation(was);
        std::set<std::string> keys;
        for (auto& k : now.getKeys()) keys.insert(k);
        for (auto& k : was.getKeys()) keys.insert(k);
        for (const std::string& key : keys) {
            QPDFObjectHandle a = now.getKey(key), b = was.getKey(key);
            if (a.unparseResolved() == b.unparseResolved()) continue;
            ClassifyKey(og, key, a, b, isPage, isRoot, isForm, isField, isSigField, isAnnot);
        }
    }

    // Names a change by what the object is for; false when it is for nothing
    // named here.
    bool NoteByRole(QPDFObjGen og, const std::string& what) {
        if (roles_.optionalContent.count(og)) Note(Kind::Other, og, "optional content state: " + what, "optional content state");
        else if (roles_.resources.count(og)) Note(Kind::Other, og, "resources: " + what, "resources");
        else return false;
        return true;
    }

    bool IsListedAs(QPDFObjGen og, const char* key) {
        if (std::string(key) == "/Fields") {
            QPDFObjectHandle fields = Key(after_.getRoot().getKey("/AcroForm"), "/Fields");
            return fields.isIndirect() && fields.getObjGen() == og;
        }
        for (auto& page : QPDFPageDocumentHelper(after_).getAllPages()) {
            QPDFObjectHandle annots = page.getObjectHandle().getKey(key);
            if (annots.isIndirect() && annots.getObjGen() == og) return true;
        }
        return false;
    }

    void ClassifyKey(QPDFObjGen og, const std::string& key, QPDFObjectHandle now, QPDFObjectHandle was,
                     bool isPage, bool isRoot, bool isForm, bool isField, bool isSigField, bool isAnnot) {
        const std::string where = "(" + key + ")";
        if (isPage) {
            if (key == "/Annots") {
                if (OnlySignatureFields(now, was)) Note(Kind::Signature, og, "");
                else Note(Kind::Annotation, og, "annotations of a page changed");
            } else if (key == "/Contents") {
                Note(Kind::Other, og, "page content " + where, "page content");
            } else if (key == "/Resources") {
                Note(Kind::Other, og, "page content " + where, "resources");
            } else {
                Note(Kind::Other, og, "page " + where, "page content");
            }
            return;
        }
        if (isRoot && key == "/AcroForm") {
            if (now.isDictionary() && !now.isIndirect() && OnlySignatureFields(now.getKey("/Fields"), Key(was, "/Fields")) &&
                SameApartFrom(now, was, {"/Fields", "/SigFlags"}))
                Note(Kind::Signature, og, "");
            else if (now.isIndirect() && !was.isIndirect() && added_.count(now.getObjGen()))
                Note(Kind::Signature, og, "");  // the added form is judged on its own
            else Note(Kind::Annotation, og, "form " + where, "form field");
            return;
        }
        if (isForm) {
            if (key == "/SigFlags") Note(Kind::Signature, og, "");
            else if (key == "/Fields" && OnlySignatureFields(now, was)) Note(Kind::Signature, og, "");
            else if (key == "/Fields") Note(Kind::Annotation, og, "form fields changed", "form field");
            else Note(Kind::Other, og, "form " + where, "form field");
            return;
        }
        if (isSigField) {
            // Signing an empty signature field: its value becomes a new
            // signature dictionary, its widget a new appearance.
            if (key == "/V" && was.isNull() && now.isIndirect() && added_.count(now.getObjGen()) && IsSignatureDict(now))
                return Note(Kind::Signature, og, "");
            // Its first appearance comes in the update that signs it; a
            // signed field's appearance replaced later is a change.
            if (key == "/AP" && AllAdded(now) && SignedNowUnsignedBefore(og)) return Note(Kind::Signature, og, "");
        }
        if (isField) {
            if (key == "/V" || key == "/DV") Note(Kind::FormValue, og, "form value " + where, "form value");
            else if (key == "/AP" || key == "/AS") Note(Kind::FormValue, og, "appearance of a widget " + where, "widget appearance");
            else Note(Kind::FormValue, og, "form field " + where);
            return;
        }
        if (isAnnot) {
            Note(Kind::Annotation, og, "annotation changed " + where);
            return;
        }
        if (isRoot && key == "/OCProperties") {
            Note(Kind::Other, og, "optional content state " + where, "optional content state");
            return;
        }
        if (!NoteByRole(og, "object changed " + where)) Note(Kind::Other, og, "object changed " + where);
    }

    // The field (or the widget's field) holds a signature dictionary added
    // after the earlier revision and held none there.
    bool SignedNowUnsignedBefore(QPDFObjGen og) {
        return !FieldValue(before_.getObject(og)).isDictionary() && HoldsAddedSignature(after_.getObject(og));
    }

    bool AllAdded(QPDFObjectHandle ap) {
        if (!ap.isDictionary()) return false;
        std::set<QPDFObjGen> streams;
        QPDFObjectHandle holder = QPDFObjectHandle::newDictionary();
        holder.replaceKey("/AP", ap);
        AppearanceStreams(holder, &streams);
        for (const QPDFObjGen& s : streams)
            if (!added_.count(s)) return false;
        return !streams.empty();
    }

    static bool SameApartFrom(QPDFObjectHandle a, QPDFObjectHandle b, std::set<std::string> except) {
        std::set<std::string> keys;
        for (auto& k : a.getKeys()) keys.insert(k);
        if (b.isDictionary())
            for (auto& k : b.getKeys()) keys.insert(k);
        for (const std::string& k : keys)
            if (!except.count(k) && a.getKey(k).unparseResolved() != Key(b, k).unparseResolved()) return false;
        return true;
    }

    QPDF& before_;
    QPDF& after_;
    std::set<QPDFObjGen> added_, changed_;
    Roles roles_;
    RevisionChanges changes_;
};

}  // namespace

std::string RevisionChanges::Summary() const {
    if (OnlySignatures()) return signatures ? "signatures only" : "nothing";
    std::string s;
    auto add = [&s](const std::string& what) { s += (s.empty() ? "" : ", ") + what; };
    if (formValues) add("form values");
    if (annotations) add("annotations or fields");
    if (other) add("page content or other objects");
    if (structure) add("bytes outside a proper update");
    std::string named;
    for (const std::string& k : kinds) named += (named.empty() ? "" : ", ") + k;
    return named.empty() ? s : s + " (" + named + ")";
}

void RevisionChanges::NoteKind(const std::string& kind) {
    for (const std::string& k : kinds)
        if (k == kind) return;
    kinds.push_back(kind);
}

void RevisionChanges::NoteStructure(const std::string& problem) {
    structure = true;
    NoteKind("file structure");
    details.push_back(problem);
}

void RevisionChanges::NoteOther(const std::string& kind, const std::string& detail) {
    other = true;
    NoteKind(kind);
    details.push_back(detail);
}

RevisionChanges CompareRevisions(QPDF& before, QPDF& after) { return Comparison(before, after).Run(); }

}  // namespace penvane
