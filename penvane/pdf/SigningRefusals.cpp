#include "SigningRefusals.h"

#include <algorithm>
#include <set>

#include "PdfError.h"

namespace penvane {
namespace {

void CollectNames(QPDFObjectHandle field, const std::string& parent, std::set<QPDFObjGen>& seen,
                  std::vector<std::string>& names) {
    if (!field.isDictionary()) return;
    if (field.isIndirect() && !seen.insert(field.getObjGen()).second) return;  // a tree that loops
    std::string name = parent;
    QPDFObjectHandle t = field.getKey("/T");
    if (t.isString()) name = parent.empty() ? t.getUTF8Value() : parent + "." + t.getUTF8Value();
    QPDFObjectHandle kids = field.getKey("/Kids");
    if (kids.isArray()) {
        for (int i = 0; i < kids.getArrayNItems(); ++i) {
            QPDFObjectHandle kid = kids.getArrayItem(i);
            // Kids without /T are widgets of this field, not fields of their own.
            if (kid.isDictionary() && kid.hasKey("/T")) CollectNames(kid, name, seen, names);
        }
    }
    // A field with field kids is named too: its name is their prefix.
    if (!name.empty()) names.push_back(name);
}

QPDFObjectHandle Inherited(QPDFObjectHandle page, const char* key) {
    std::set<QPDFObjGen> seen;
    for (QPDFObjectHandle node = page; node.isDictionary(); node = node.getKey("/Parent")) {
        if (node.isIndirect() && !seen.insert(node.getObjGen()).second) break;
        if (node.hasKey(key)) return node.getKey(key);
    }
    return QPDFObjectHandle::newNull();
}

}  // namespace

std::vector<std::string> AllFieldNames(QPDF& qpdf) {
    std::vector<std::string> names;
    QPDFObjectHandle form = qpdf.getRoot().getKey("/AcroForm");
    if (!form.isDictionary()) return names;
    QPDFObjectHandle fields = form.getKey("/Fields");
    if (!fields.isArray()) return names;
    std::set<QPDFObjGen> seen;
    for (int i = 0; i < fields.getArrayNItems(); ++i) CollectNames(fields.getArrayItem(i), "", seen, names);
    return names;
}

void RefuseTakenFieldName(QPDF& qpdf, const std::string& name) {
    const std::vector<std::string> names = AllFieldNames(qpdf);
    if (std::find(names.begin(), names.end(), name) != names.end())
        throw PdfError("a field named \"" + name + "\" exists already; choose another name with --name");
}

PdfRect VisibleBox(QPDFObjectHandle page) {
    PdfRect media = ReadRect(Inherited(page, "/MediaBox"));
    QPDFObjectHandle cropArray = Inherited(page, "/CropBox");
    if (!cropArray.isArray()) return media;
    PdfRect crop = ReadRect(cropArray);
    PdfRect visible = {std::max(media[0], crop[0]), std::max(media[1], crop[1]), std::min(media[2], crop[2]),
                       std::min(media[3], crop[3])};
    // A crop box outside the media box leaves nothing; readers then show the
    // media box.
    if (visible[2] <= visible[0] || visible[3] <= visible[1]) return media;
    return visible;
}

void RefuseCertifiedAgainstChanges(QPDF& qpdf) {
    QPDFObjectHandle perms = qpdf.getRoot().getKey("/Perms");
    if (!perms.isDictionary()) return;
    QPDFObjectHandle certification = perms.getKey("/DocMDP");
    if (!certification.isDictionary()) return;
    QPDFObjectHandle references = certification.getKey("/Reference");
    if (!references.isArray()) return;
    for (int i = 0; i < references.getArrayNItems(); ++i) {
        QPDFObjectHandle reference = references.getArrayItem(i);
        if (!reference.isDictionary()) continue;
        QPDFObjectHandle method = reference.getKey("/TransformMethod");
        if (!method.isName() || method.getName() != "/DocMDP") continue;
        QPDFObjectHandle params = reference.getKey("/TransformParams");
        QPDFObjectHandle p = params.isDictionary() ? params.getKey("/P") : QPDFObjectHandle::newNull();
        if (!p.isInteger() || p.getIntValue() != 1) continue;
        std::string field = "a signature";
        for (const SignatureField& f : ListSignatureFields(qpdf))
            if (certification.isIndirect() && f.value.isIndirect() && f.value.getObjGen() == certification.getObjGen())
                field = "the signature in field \"" + f.name + "\"";
        throw PdfError("the document is certified by " + field +
                       " permitting no changes (DocMDP /P 1); any new signature would break that certification");
    }
}

}  // namespace penvane
