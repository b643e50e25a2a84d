// One typed call per host operation, made through the bound table and the
// operation's selector. A call whose table is not bound, or whose entry the
// host left empty, does nothing and answers the neutral value given beside it
// (null, 0, false, the null atom or the null Cos object), so an incomplete host
// is met with a clean refusal rather than a jump through a null pointer.
#pragma once
#include "HostTypes.h"

// Core
ASAtom   ASAtomFromString(const char* text);                              // kNullAtom
Callback ASCallbackCreate(ExtensionID ext, void* function);               // null
void     ASCallbackDestroy(Callback cb);
HFT      ASExtensionMgrGetHFT(ASAtom name, uint32_t version);             // null

// AcroSupport
void*    ASmalloc(size_t size);                                           // null
void     ASfree(void* block);
uint32_t HFTGetVersion(HFT table);                                        // kUnknownHftVersion

// Cos
int32_t  CosObjTypeOf(CosObj obj);                                        // kCosNull
int32_t  CosIntegerOf(CosObj obj);                                        // 0
CosObj   CosArrayItem(CosObj array, int32_t index);                       // null object {0, 0}
int32_t  CosArrayCount(CosObj array);                                     // 0
char*    CosStringDupValue(CosObj str, int32_t* outLength);               // null, *outLength 0
CosObj   CosDictValueForKey(CosObj dict, const char* key);                // null object {0, 0}

// PDModel
CosDoc   PDDocCosDocOf(PDDoc doc);                                        // null
int16_t  PDPageRotationOf(PDPage page);                                   // 0
int32_t  PDTextFromHostText(int32_t form, const char* text, int32_t length,
                            char* buffer, int32_t bufferSize);            // 0

// AcroView
AVDoc      AVAppCurrentDoc();                                             // null
void       AVAppModalBegin(void* window);
void       AVAppModalEnd();
AVPageView AVDocCurrentPageView(AVDoc doc);                               // null
PDPage     AVPageViewCurrentPage(AVPageView view);                        // null

// ASExtra
ASText   ASTextFromCString(const char* text);                             // null
ASText   ASTextRetain(ASText text);                                       // null
void     ASTextDestroy(ASText text);
void     ASExtraScopeEnd(void* scope);
int32_t  ASCabIntOf(ASCab bag, const char* key, int32_t defaultValue);    // defaultValue
void     ASCabSetInt(ASCab bag, const char* key, int32_t value);
void     ASCabSetString(ASCab bag, const char* key, char* value);
void     ASCabSetText(ASCab bag, const char* key, ASText value);
void     ASCabSetBinary(ASCab bag, const char* key, void* data, int32_t size);
void*    ASExtraScopeBegin(void* hostObject);                             // null
bool     ASTextIsBlank(ASText text);                                      // true

// PubSecHFT
bool     PSRegisterHandler(ExtensionID ext, void* handlerRecord);         // false
void*    PSAppearanceListOpen(void* reserved, bool flag);                 // null
void     PSAppearanceListClose(void* list);
int32_t  PSAppearanceListCount(void* list);                               // 0
ASText   PSAppearanceListTitle(void* list, int32_t index);                // null

// DigSigHFT
CosObj   DSAppearanceFromDrawing(CosDoc doc, const char* data, int32_t length,
                                 const ASFixed* rect, const ASFixed* bbox); // null object {0, 0}
