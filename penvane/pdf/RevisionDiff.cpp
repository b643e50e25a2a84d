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

class Comparison {
public:
    Comparison(QPDF& before, QPDF& after) : before_(before), after_(after) {}

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
    void Note(Kind kind, QPDFObjGen og, const std::string& what) {
        switch (kind) {
        case Kind::Signature: changes_.signatures = true; return;  // not a change to report
        case Kind::FormValue: changes_.formValues = true; break;
        case Kind::Annotation: changes_.annotations = true; break;
        case Kind::Other: changes_.other = true; break;
        }
        changes_.details.push_back("object " + std::to_string(og.getObj()) + ": " + what);
    }

    void ClassifyAdded() {
        // Signature dictionaries and signature widgets first: their appearance
        // streams (and what those alone use) belong to them.
        std::set<QPDFObjGen> belongsToSignature, belongsToAnnotation;
        for (const QPDFObjGen& og : added_) {
            QPDFObjectHandle o = after_.getObject(og);
            if (IsSignatureField(o) && IsAnnotation(o)) AppearanceStreams(o, &belongsToSignature);
            else if (IsAnnotation(o)) AppearanceStreams(o, &belongsToAnnotation);
        }
        for (const QPDFObjGen& og : added_) {
            QPDFObjectHandle o = after_.getObject(og);
            QPDFObjectHandle type = Key(o, "/Type");
            if (type.isNameAndEquals("/XRef") || type.isNameAndEquals("/ObjStm")) continue;  // file structure
            if (IsSignatureDict(o) || belongsToSignature.count(og)) Note(Kind::Signature, og, "");
            else if (IsSignatureField(o)) {
                if (IsAnnotation(o) || o.getKey("/Kids").isArray()) Note(Kind::Signature, og, "");
                else Note(Kind::Annotation, og, "signature field without a widget added");
            } else if (IsAnnotation(o) || belongsToAnnotation.count(og)) Note(Kind::Annotation, og, "annotation added");
            else if (IsField(o)) Note(Kind::Annotation, og, "form field added");
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
        return item.isIndirect() && added_.count(item.getObjGen()) && IsSignatureField(item);
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
            if (appearances.count(og)) Note(Kind::FormValue, og, "appearance of a widget or annotation changed");
            else Note(Kind::Other, og, "stream changed (page content, image, font or other resources)");
            return;
        }
        if (now.isArray()) {
            // An indirect /Annots or /Fields array.
            if (OnlySignatureFields(now, was)) Note(Kind::Signature, og, "");
            else if (IsListedAs(og, "/Annots")) Note(Kind::Annotation, og, "annotations of a page changed");
            else if (IsListedAs(og, "/Fields")) Note(Kind::Annotation, og, "form fields changed");
            else Note(Kind::Other, og, "array changed");
            return;
        }
        if (!now.isDictionary() || !was.isDictionary()) {
            Note(Kind::Other, og, "object changed");
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
            } else if (key == "/Contents" || key == "/Resources") {
                Note(Kind::Other, og, "page content " + where);
            } else {
                Note(Kind::Other, og, "page " + where);
            }
            return;
        }
        if (isRoot && key == "/AcroForm") {
            if (now.isDictionary() && !now.isIndirect() && OnlySignatureFields(now.getKey("/Fields"), Key(was, "/Fields")) &&
                SameApartFrom(now, was, {"/Fields", "/SigFlags"}))
                Note(Kind::Signature, og, "");
            else if (now.isIndirect() && !was.isIndirect() && added_.count(now.getObjGen()))
                Note(Kind::Signature, og, "");  // the added form is judged on its own
            else Note(Kind::Annotation, og, "form " + where);
            return;
        }
        if (isForm) {
            if (key == "/SigFlags") Note(Kind::Signature, og, "");
            else if (key == "/Fields" && OnlySignatureFields(now, was)) Note(Kind::Signature, og, "");
            else if (key == "/Fields") Note(Kind::Annotation, og, "form fields changed");
            else Note(Kind::Other, og, "form " + where);
            return;
        }
        if (isSigField) {
            // Signing an empty signature field: its value becomes a new
            // signature dictionary, its widget a new appearance.
            if (key == "/V" && was.isNull() && now.isIndirect() && added_.count(now.getObjGen()) && IsSignatureDict(now))
                return Note(Kind::Signature, og, "");
            if (key == "/AP" && AllAdded(now)) return Note(Kind::Signature, og, "");
        }
        if (isField) {
            if (key == "/V" || key == "/DV") Note(Kind::FormValue, og, "form value " + where);
            else if (key == "/AP" || key == "/AS") Note(Kind::FormValue, og, "appearance of a widget " + where);
            else Note(Kind::FormValue, og, "form field " + where);
            return;
        }
        if (isAnnot) {
            Note(Kind::Annotation, og, "annotation changed " + where);
            return;
        }
        if (isRoot && key == "/OCProperties") {
            Note(Kind::Other, og, "optional content state " + where);
            return;
        }
        Note(Kind::Other, og, "object changed " + where);
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
    RevisionChanges changes_;
};

}  // namespace

std::string RevisionChanges::Summary() const {
    if (OnlySignatures()) return signatures ? "signatures only" : "nothing";
    std::string s;
    auto add = [&s](const char* what) { s += (s.empty() ? "" : ", ") + std::string(what); };
    if (formValues) add("form values");
    if (annotations) add("annotations or fields");
    if (other) add("page content or other objects");
    return s;
}

RevisionChanges CompareRevisions(QPDF& before, QPDF& after) { return Comparison(before, after).Run(); }

}  // namespace penvane
