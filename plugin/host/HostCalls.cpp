#include "HostCalls.h"

#include "HostSelectors.h"
#include "HostTables.h"

namespace {

// The entry at `selector` of a bound table, typed as the operation's
// signature; null when the table is not bound or the host left it empty.
template <typename Fn>
Fn Entry(HFT table, int selector)
{
    if (table == nullptr)
        return nullptr;
    return reinterpret_cast<Fn>(table[selector]);
}

const CosObj kNullCosObj = {0, 0};

}  // namespace

// ---- Core
ASAtom ASAtomFromString(const char* text)
{
    auto fn = Entry<ASAtom (*)(const char*)>(gCoreHFT, sel::core::ASAtomFromString);
    return fn ? fn(text) : kNullAtom;
}

Callback ASCallbackCreate(ExtensionID ext, void* function)
{
    auto fn = Entry<Callback (*)(ExtensionID, void*)>(gCoreHFT, sel::core::ASCallbackCreate);
    return fn ? fn(ext, function) : nullptr;
}

void ASCallbackDestroy(Callback cb)
{
    if (auto fn = Entry<void (*)(Callback)>(gCoreHFT, sel::core::ASCallbackDestroy))
        fn(cb);
}

HFT ASExtensionMgrGetHFT(ASAtom name, uint32_t version)
{
    auto fn = Entry<HFT (*)(ASAtom, uint32_t)>(gCoreHFT, sel::core::ASExtensionMgrGetHFT);
    return fn ? fn(name, version) : nullptr;
}

// ---- AcroSupport
void* ASmalloc(size_t size)
{
    auto fn = Entry<void* (*)(size_t)>(gAcroSupportHFT, sel::acroSupport::ASmalloc);
    return fn ? fn(size) : nullptr;
}

void ASfree(void* block)
{
    if (auto fn = Entry<void (*)(void*)>(gAcroSupportHFT, sel::acroSupport::ASfree))
        fn(block);
}

uint32_t HFTGetVersion(HFT table)
{
    auto fn = Entry<uint32_t (*)(HFT)>(gAcroSupportHFT, sel::acroSupport::HFTGetVersion);
    return fn ? fn(table) : kUnknownHftVersion;
}

// ---- Cos
int32_t CosObjTypeOf(CosObj obj)
{
    auto fn = Entry<int32_t (*)(CosObj)>(gCosHFT, sel::cos::CosObjTypeOf);
    return fn ? fn(obj) : kCosNull;
}

int32_t CosIntegerOf(CosObj obj)
{
    auto fn = Entry<int32_t (*)(CosObj)>(gCosHFT, sel::cos::CosIntegerOf);
    return fn ? fn(obj) : 0;
}

CosObj CosArrayItem(CosObj array, int32_t index)
{
    auto fn = Entry<CosObj (*)(CosObj, int32_t)>(gCosHFT, sel::cos::CosArrayItem);
    return fn ? fn(array, index) : kNullCosObj;
}

int32_t CosArrayCount(CosObj array)
{
    auto fn = Entry<int32_t (*)(CosObj)>(gCosHFT, sel::cos::CosArrayCount);
    return fn ? fn(array) : 0;
}

char* CosStringDupValue(CosObj str, int32_t* outLength)
{
    auto fn = Entry<char* (*)(CosObj, int32_t*)>(gCosHFT, sel::cos::CosStringDupValue);
    if (fn)
        return fn(str, outLength);
    if (outLength)
        *outLength = 0;
    return nullptr;
}

CosObj CosDictValueForKey(CosObj dict, const char* key)
{
    auto fn = Entry<CosObj (*)(CosObj, const char*)>(gCosHFT, sel::cos::CosDictValueForKey);
    return fn ? fn(dict, key) : kNullCosObj;
}

// ---- PDModel
CosDoc PDDocCosDocOf(PDDoc doc)
{
    auto fn = Entry<CosDoc (*)(PDDoc)>(gPDModelHFT, sel::pdModel::PDDocCosDocOf);
    return fn ? fn(doc) : nullptr;
}

int16_t PDPageRotationOf(PDPage page)
{
    auto fn = Entry<int16_t (*)(PDPage)>(gPDModelHFT, sel::pdModel::PDPageRotationOf);
    return fn ? fn(page) : 0;
}

int32_t PDTextFromHostText(int32_t form, const char* text, int32_t length, char* buffer, int32_t bufferSize)
{
    auto fn = Entry<int32_t (*)(int32_t, const char*, int32_t, char*, int32_t)>(
        gPDModelHFT, sel::pdModel::PDTextFromHostText);
    return fn ? fn(form, text, length, buffer, bufferSize) : 0;
}

// ---- AcroView
AVDoc AVAppCurrentDoc()
{
    auto fn = Entry<AVDoc (*)()>(gAcroViewHFT, sel::acroView::AVAppCurrentDoc);
    return fn ? fn() : nullptr;
}

void AVAppModalBegin(void* window)
{
    if (auto fn = Entry<void (*)(void*)>(gAcroViewHFT, sel::acroView::AVAppModalBegin))
        fn(window);
}

void AVAppModalEnd()
{
    if (auto fn = Entry<void (*)()>(gAcroViewHFT, sel::acroView::AVAppModalEnd))
        fn();
}

AVPageView AVDocCurrentPageView(AVDoc doc)
{
    auto fn = Entry<AVPageView (*)(AVDoc)>(gAcroViewHFT, sel::acroView::AVDocCurrentPageView);
    return fn ? fn(doc) : nullptr;
}

PDPage AVPageViewCurrentPage(AVPageView view)
{
    auto fn = Entry<PDPage (*)(AVPageView)>(gAcroViewHFT, sel::acroView::AVPageViewCurrentPage);
    return fn ? fn(view) : nullptr;
}

// ---- ASExtra
ASText ASTextFromCString(const char* text)
{
    auto fn = Entry<ASText (*)(const char*)>(gASExtraHFT, sel::asExtra::ASTextFromCString);
    return fn ? fn(text) : nullptr;
}

ASText ASTextRetain(ASText text)
{
    auto fn = Entry<ASText (*)(ASText)>(gASExtraHFT, sel::asExtra::ASTextRetain);
    return fn ? fn(text) : nullptr;
}

void ASTextDestroy(ASText text)
{
    if (auto fn = Entry<void (*)(ASText)>(gASExtraHFT, sel::asExtra::ASTextDestroy))
        fn(text);
}

void ASExtraScopeEnd(void* scope)
{
    if (auto fn = Entry<void (*)(void*)>(gASExtraHFT, sel::asExtra::ASExtraScopeEnd))
        fn(scope);
}

int32_t ASCabIntOf(ASCab bag, const char* key, int32_t defaultValue)
{
    auto fn = Entry<int32_t (*)(ASCab, const char*, int32_t)>(gASExtraHFT, sel::asExtra::ASCabIntOf);
    return fn ? fn(bag, key, defaultValue) : defaultValue;
}

void ASCabSetInt(ASCab bag, const char* key, int32_t value)
{
    if (auto fn = Entry<void (*)(ASCab, const char*, int32_t)>(gASExtraHFT, sel::asExtra::ASCabSetInt))
        fn(bag, key, value);
}

void ASCabSetString(ASCab bag, const char* key, char* value)
{
    if (auto fn = Entry<void (*)(ASCab, const char*, char*)>(gASExtraHFT, sel::asExtra::ASCabSetString))
        fn(bag, key, value);
}

void ASCabSetText(ASCab bag, const char* key, ASText value)
{
    if (auto fn = Entry<void (*)(ASCab, const char*, ASText)>(gASExtraHFT, sel::asExtra::ASCabSetText))
        fn(bag, key, value);
}

void ASCabSetBinary(ASCab bag, const char* key, void* data, int32_t size)
{
    if (auto fn = Entry<void (*)(ASCab, const char*, void*, int32_t)>(gASExtraHFT, sel::asExtra::ASCabSetBinary))
        fn(bag, key, data, size);
}

void* ASExtraScopeBegin(void* hostObject)
{
    auto fn = Entry<void* (*)(void*)>(gASExtraHFT, sel::asExtra::ASExtraScopeBegin);
    return fn ? fn(hostObject) : nullptr;
}

bool ASTextIsBlank(ASText text)
{
    auto fn = Entry<ASBool (*)(ASText)>(gASExtraHFT, sel::asExtra::ASTextIsBlank);
    return fn ? fn(text) != 0 : true;
}

// ---- PubSecHFT
bool PSRegisterHandler(ExtensionID ext, void* handlerRecord)
{
    auto fn = Entry<ASBool (*)(ExtensionID, void*)>(gPubSecHFT, sel::pubSec::PSRegisterHandler);
    return fn ? fn(ext, handlerRecord) != 0 : false;
}

void* PSAppearanceListOpen(void* reserved, bool flag)
{
    auto fn = Entry<void* (*)(void*, ASBool)>(gPubSecHFT, sel::pubSec::PSAppearanceListOpen);
    return fn ? fn(reserved, ToASBool(flag)) : nullptr;
}

void PSAppearanceListClose(void* list)
{
    if (auto fn = Entry<void (*)(void*)>(gPubSecHFT, sel::pubSec::PSAppearanceListClose))
        fn(list);
}

int32_t PSAppearanceListCount(void* list)
{
    auto fn = Entry<int32_t (*)(void*)>(gPubSecHFT, sel::pubSec::PSAppearanceListCount);
    return fn ? fn(list) : 0;
}

ASText PSAppearanceListTitle(void* list, int32_t index)
{
    auto fn = Entry<ASText (*)(void*, int32_t)>(gPubSecHFT, sel::pubSec::PSAppearanceListTitle);
    return fn ? fn(list, index) : nullptr;
}

// ---- DigSigHFT
CosObj DSAppearanceFromDrawing(CosDoc doc, const char* data, int32_t length, const ASFixed* rect,
                               const ASFixed* bbox)
{
    auto fn = Entry<CosObj (*)(CosDoc, const char*, int32_t, const ASFixed*, const ASFixed*)>(
        gDigSigHFT, sel::digSig::DSAppearanceFromDrawing);
    return fn ? fn(doc, data, length, rect, bbox) : kNullCosObj;
}
