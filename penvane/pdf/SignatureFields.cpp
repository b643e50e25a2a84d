#include "SignatureFields.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <map>

namespace penvane {
namespace {

QPDFObjectHandle Inherited(QPDFObjectHandle node, const char* key) {
    // Page-tree inheritance; the depth guard stops a /Parent loop.
    for (int depth = 0; depth < 64 && node.isDictionary(); ++depth) {
        if (node.hasKey(key)) return node.getKey(key);
        node = node.getKey("/Parent");
    }
    return QPDFObjectHandle::newNull();
}

void ReadSeedValue(QPDFObjectHandle field, SignatureField* out) {
    QPDFObjectHandle sv = field.getKey("/SV");
    if (!sv.isDictionary()) return;
    out->hasSeedValue = true;
    QPDFObjectHandle ff = sv.getKey("/Ff");
    if (ff.isInteger()) out->seedFlags = static_cast<int32_t>(ff.getIntValue());
    QPDFObjectHandle reasons = sv.getKey("/Reasons");
    if (reasons.isArray()) {
        std::vector<std::string> list;
        for (auto& r : reasons.aitems())
            if (r.isString()) list.push_back(r.getUTF8Value());
        out->reasons = list;
    }
}

}  // namespace

PdfRect ReadRect(QPDFObjectHandle array) {
    PdfRect r{};
    if (!array.isArray() || array.getArrayNItems() != 4) return r;
    for (int i = 0; i < 4; ++i) {
        QPDFObjectHandle v = array.getArrayItem(i);
        if (!v.isNumber()) return PdfRect{};
        r[i] = v.getNumericValue();
    }
    if (r[0] > r[2]) std::swap(r[0], r[2]);
    if (r[1] > r[3]) std::swap(r[1], r[3]);
    return r;
}

PdfRect PageBox(QPDFObjectHandle page) { return ReadRect(Inherited(page, "/MediaBox")); }

int PageRotation(QPDFObjectHandle page) {
    QPDFObjectHandle rotate = Inherited(page, "/Rotate");
    if (!rotate.isInteger()) return 0;
    long long r = ((rotate.getIntValue() % 360) + 360) % 360;
    return r % 90 == 0 ? static_cast<int>(r) : 0;
}

std::vector<SignatureField> ListSignatureFields(QPDF& qpdf) {
    std::map<QPDFObjGen, int> pageOfWidget;
    int number = 0;
    for (auto& page : QPDFPageDocumentHelper(qpdf).getAllPages()) {
        ++number;
        QPDFObjectHandle annots = page.getObjectHandle().getKey("/Annots");
        if (!annots.isArray()) continue;
        for (auto& a : annots.aitems())
            if (a.isIndirect() && !pageOfWidget.count(a.getObjGen())) pageOfWidget[a.getObjGen()] = number;
    }

    std::vector<SignatureField> fields;
    QPDFAcroFormDocumentHelper acroForm(qpdf);
    for (auto& f : acroForm.getFormFields()) {
        if (f.getFieldType() != "/Sig") continue;
        SignatureField field;
        field.name = f.getFullyQualifiedName();
        field.field = f.getObjectHandle();
        // A widget kid without a name of its own is not the field: the value
        // and the seed value belong to the named parent.
        for (int depth = 0; depth < 32 && !field.field.hasKey("/T") && field.field.getKey("/Parent").isDictionary(); ++depth)
            field.field = field.field.getKey("/Parent");
        auto widgets = acroForm.getAnnotationsForField(f);
        field.widget = widgets.empty() ? field.field : widgets.front().getObjectHandle();
        auto page = pageOfWidget.find(field.widget.getObjGen());
        if (page != pageOfWidget.end()) field.page = page->second;
        else if (field.widget.getKey("/P").isIndirect()) {
            // A widget missing from its page's /Annots still names its page.
            QPDFObjGen p = field.widget.getKey("/P").getObjGen();
            int n = 0;
            for (auto& pg : QPDFPageDocumentHelper(qpdf).getAllPages()) {
                ++n;
                if (pg.getObjectHandle().getObjGen() == p) field.page = n;
            }
        }
        field.rect = ReadRect(field.widget.getKey("/Rect"));
        QPDFObjectHandle v = f.getInheritableFieldValue("/V");
        field.value = v.isDictionary() ? v : QPDFObjectHandle::newNull();
        field.isSigned = v.isDictionary();
        ReadSeedValue(field.field, &field);
        fields.push_back(field);
    }
    return fields;
}

}  // namespace penvane
