// The host operations as the plug-in calls them: plain functions with the
// interface's exact signatures, each forwarding to the live host. Without a
// live host every operation answers its neutral value.
#include "HostCodePage.h"
#include "HostStandin.h"

namespace standin {

namespace {

HostStandin* H() { return HostStandin::Current(); }

// ---- Core
ASAtom AtomFromString(const char* text) { return H() ? H()->atoms().FromString(text) : kNullAtom; }
Callback CallbackCreate(ExtensionID ext, void* function) { return H() ? H()->callbacks().Create(ext, function) : nullptr; }
void CallbackDestroy(Callback cb) { if (H()) H()->callbacks().Destroy(cb); }
HFT ExtensionMgrGetHFT(ASAtom name, uint32_t version)
{
    if (!H() || !H()->atoms().IsKnown(name))
        return nullptr;
    return H()->tables().Request(H()->atoms().NameOf(name), version);
}

// ---- AcroSupport
void* Malloc(size_t size) { return H() ? H()->memory().Allocate(size) : nullptr; }
void Free(void* block) { if (H()) H()->memory().Free(block); }
uint32_t GetVersion(HFT table) { return H() ? H()->tables().ReportedVersion(table) : kUnknownVersion; }

// ---- Cos
int32_t ObjTypeOf(CosObj obj) { return H() ? H()->cos().TypeOf(obj) : kCosNull; }
int32_t IntegerOf(CosObj obj) { return H() ? H()->cos().IntegerOf(obj) : 0; }
CosObj ArrayItem(CosObj array, int32_t index) { return H() ? H()->cos().ArrayItem(array, index) : HostCos::Null(); }
int32_t ArrayCount(CosObj array) { return H() ? H()->cos().ArrayCount(array) : 0; }
char* StringDupValue(CosObj str, int32_t* outLength)
{
    if (H())
        return H()->cos().StringDupValue(str, outLength);
    if (outLength)
        *outLength = 0;
    return nullptr;
}
CosObj DictValueForKey(CosObj dict, const char* key) { return H() ? H()->cos().DictValueForKey(dict, key) : HostCos::Null(); }

// ---- PDModel
CosDoc DocCosDocOf(PDDoc doc) { return H() ? H()->viewer().CosDocOf(doc) : nullptr; }
int16_t PageRotationOf(PDPage page) { return H() ? H()->viewer().RotationOf(page) : 0; }
int32_t TextFromHostText(int32_t form, const char* text, int32_t length, char* buffer, int32_t bufferSize)
{
    return PdTextFromHostText(form, text, length, buffer, bufferSize);
}

// ---- AcroView
AVDoc AppCurrentDoc() { return H() ? H()->viewer().CurrentDoc() : nullptr; }
void AppModalBegin(void* window) { if (H()) H()->viewer().ModalBegin(window); }
void AppModalEnd() { if (H()) H()->viewer().ModalEnd(); }
AVPageView DocCurrentPageView(AVDoc doc) { return H() ? H()->viewer().CurrentPageView(doc) : nullptr; }
PDPage PageViewCurrentPage(AVPageView view) { return H() ? H()->viewer().PageViewCurrentPage(view) : nullptr; }

// ---- ASExtra
ASText TextFromCString(const char* text) { return H() ? H()->texts().FromCString(text) : nullptr; }
ASText TextRetain(ASText text) { return H() ? H()->texts().Retain(text) : nullptr; }
void TextDestroy(ASText text) { if (H()) H()->texts().Destroy(text); }
void ScopeEnd(void* scope) { if (H()) H()->EndScope(scope); }
int32_t CabIntOf(ASCab bag, const char* key, int32_t defaultValue)
{
    return H() ? H()->bags().IntOf(bag, key, defaultValue) : defaultValue;
}
void CabSetInt(ASCab bag, const char* key, int32_t value) { if (H()) H()->bags().SetInt(bag, key, value); }
void CabSetString(ASCab bag, const char* key, char* value) { if (H()) H()->bags().SetString(bag, key, value); }
void CabSetText(ASCab bag, const char* key, ASText value) { if (H()) H()->bags().SetText(bag, key, value); }
void CabSetBinary(ASCab bag, const char* key, void* data, int32_t size)
{
    if (H())
        H()->bags().SetBinary(bag, key, data, size);
}
void* ScopeBegin(void* hostObject) { return H() ? H()->BeginScope(hostObject) : nullptr; }
ASBool TextIsBlank(ASText text) { return H() ? (H()->texts().IsBlank(text) ? 1 : 0) : 1; }

// ---- PubSecHFT
ASBool RegisterHandler(ExtensionID ext, void* record) { return H() ? H()->RegisterHandler(ext, record) : 0; }
void* AppearanceListOpen(void* reserved, ASBool flag) { return H() ? H()->viewer().OpenAppearanceList(reserved, flag) : nullptr; }
void AppearanceListClose(void* list) { if (H()) H()->viewer().CloseAppearanceList(list); }
int32_t AppearanceListCount(void* list) { return H() ? H()->viewer().AppearanceCount(list) : 0; }
ASText AppearanceListTitle(void* list, int32_t index)
{
    std::string title;
    if (!H() || !H()->viewer().AppearanceTitle(list, index, &title))
        return nullptr;
    return H()->texts().Create(Utf8ToUtf16(title));
}

// ---- DigSigHFT
CosObj AppearanceFromDrawing(CosDoc doc, const char* data, int32_t length, const ASFixed* rect, const ASFixed* bbox)
{
    if (!H() || !H()->viewer().DocumentOfCosDoc(doc))
        return HostCos::Null();
    return H()->cos().NewFormObject(doc, data, length, rect, bbox);
}

template <typename Fn>
void* Address(Fn fn) { return reinterpret_cast<void*>(fn); }

}  // namespace

void InstallHostEntries(HostTables& t)
{
    t.SetEntry("Core", core::ASAtomFromString, Address(AtomFromString));
    t.SetEntry("Core", core::ASCallbackCreate, Address(CallbackCreate));
    t.SetEntry("Core", core::ASCallbackDestroy, Address(CallbackDestroy));
    t.SetEntry("Core", core::ASExtensionMgrGetHFT, Address(ExtensionMgrGetHFT));

    t.SetEntry("AcroSupport", acroSupport::ASmalloc, Address(Malloc));
    t.SetEntry("AcroSupport", acroSupport::ASfree, Address(Free));
    t.SetEntry("AcroSupport", acroSupport::HFTGetVersion, Address(GetVersion));

    t.SetEntry("Cos", cos::CosObjTypeOf, Address(ObjTypeOf));
    t.SetEntry("Cos", cos::CosIntegerOf, Address(IntegerOf));
    t.SetEntry("Cos", cos::CosArrayItem, Address(ArrayItem));
    t.SetEntry("Cos", cos::CosArrayCount, Address(ArrayCount));
    t.SetEntry("Cos", cos::CosStringDupValue, Address(StringDupValue));
    t.SetEntry("Cos", cos::CosDictValueForKey, Address(DictValueForKey));

    t.SetEntry("PDModel", pdModel::PDDocCosDocOf, Address(DocCosDocOf));
    t.SetEntry("PDModel", pdModel::PDPageRotationOf, Address(PageRotationOf));
    t.SetEntry("PDModel", pdModel::PDTextFromHostText, Address(TextFromHostText));

    t.SetEntry("AcroView", acroView::AVAppCurrentDoc, Address(AppCurrentDoc));
    t.SetEntry("AcroView", acroView::AVAppModalBegin, Address(AppModalBegin));
    t.SetEntry("AcroView", acroView::AVAppModalEnd, Address(AppModalEnd));
    t.SetEntry("AcroView", acroView::AVDocCurrentPageView, Address(DocCurrentPageView));
    t.SetEntry("AcroView", acroView::AVPageViewCurrentPage, Address(PageViewCurrentPage));

    t.SetEntry("ASExtra", asExtra::ASTextFromCString, Address(TextFromCString));
    t.SetEntry("ASExtra", asExtra::ASTextDestroy, Address(TextDestroy));
    t.SetEntry("ASExtra", asExtra::ASTextRetain, Address(TextRetain));
    t.SetEntry("ASExtra", asExtra::ASExtraScopeEnd, Address(ScopeEnd));
    t.SetEntry("ASExtra", asExtra::ASCabIntOf, Address(CabIntOf));
    t.SetEntry("ASExtra", asExtra::ASCabSetInt, Address(CabSetInt));
    t.SetEntry("ASExtra", asExtra::ASCabSetString, Address(CabSetString));
    t.SetEntry("ASExtra", asExtra::ASCabSetText, Address(CabSetText));
    t.SetEntry("ASExtra", asExtra::ASCabSetBinary, Address(CabSetBinary));
    t.SetEntry("ASExtra", asExtra::ASExtraScopeBegin, Address(ScopeBegin));
    t.SetEntry("ASExtra", asExtra::ASTextIsBlank, Address(TextIsBlank));

    t.SetEntry("PubSecHFT", pubSec::PSRegisterHandler, Address(RegisterHandler));
    t.SetEntry("PubSecHFT", pubSec::PSAppearanceListOpen, Address(AppearanceListOpen));
    t.SetEntry("PubSecHFT", pubSec::PSAppearanceListClose, Address(AppearanceListClose));
    t.SetEntry("PubSecHFT", pubSec::PSAppearanceListCount, Address(AppearanceListCount));
    t.SetEntry("PubSecHFT", pubSec::PSAppearanceListTitle, Address(AppearanceListTitle));

    t.SetEntry("DigSigHFT", digSig::DSAppearanceFromDrawing, Address(AppearanceFromDrawing));
}

}  // namespace standin
