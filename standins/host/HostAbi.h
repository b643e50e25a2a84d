// The host's own statement of the binary interface it offers to a plug-in:
// widths, selectors and record offsets, written independently of the plug-in's
// headers so that a mismatch between the two shows up as a failing test.
#pragma once
#include <cstddef>
#include <cstdint>

// The one struct type of the interface. Plug-in and host headers both state
// it, under one guard, so that a test linking both sees a single type.
#ifndef PENVANE_COSOBJ_DEFINED
#define PENVANE_COSOBJ_DEFINED
extern "C" {
struct CosObj {
    uint32_t a;
    uint32_t b;
};
}
#endif

namespace standin {

using ASBool = uint16_t;
using ASAtom = uint16_t;
using HFT = void**;
using ExtensionID = void*;
using Callback = void*;
using ASFixed = int32_t;
using ASText = void*;
using ASCab = void*;
using CosDoc = void*;
using PDDoc = void*;
using PDPage = void*;
using AVDoc = void*;
using AVPageView = void*;

using CosObj = ::CosObj;

constexpr ASAtom kNullAtom = 0xFFFF;
constexpr uint32_t kUnknownVersion = 0xFFFFFFFFu;

enum CosType : int32_t {
    kCosNull = 0, kCosInteger = 1, kCosFixed = 2, kCosBoolean = 3, kCosName = 4,
    kCosString = 5, kCosDict = 6, kCosArray = 7, kCosStream = 8,
};

// Selectors: a table is indexed by the selector itself.
namespace core { enum { ASAtomFromString = 5, ASCallbackCreate = 8, ASCallbackDestroy = 9, ASExtensionMgrGetHFT = 10, Size = 11 }; }
namespace acroSupport { enum { ASmalloc = 1, ASfree = 3, HFTGetVersion = 103, Size = 104 }; }
namespace cos { enum { CosObjTypeOf = 2, CosIntegerOf = 16, CosArrayItem = 25, CosArrayCount = 29, CosStringDupValue = 57, CosDictValueForKey = 85, Size = 86 }; }
namespace pdModel { enum { PDDocCosDocOf = 78, PDPageRotationOf = 142, PDTextFromHostText = 304, Size = 305 }; }
namespace acroView { enum { AVAppCurrentDoc = 12, AVAppModalBegin = 36, AVAppModalEnd = 38, AVDocCurrentPageView = 49, AVPageViewCurrentPage = 109, Size = 110 }; }
namespace asExtra {
// ASTextDestroy: the release of a text the caller owns (not on the interface
// page, which lists no way to give a text back).
enum { ASTextFromCString = 10, ASTextDestroy = 11, ASTextRetain = 37, ASExtraScopeEnd = 43, ASCabIntOf = 51, ASCabSetInt = 52,
       ASCabSetString = 68, ASCabSetText = 71, ASCabSetBinary = 75, ASExtraScopeBegin = 80, ASTextIsBlank = 90, Size = 91 };
}
namespace pubSec { enum { PSRegisterHandler = 1, PSAppearanceListOpen = 8, PSAppearanceListClose = 9, PSAppearanceListCount = 11, PSAppearanceListTitle = 13, Size = 14 }; }
namespace digSig { enum { DSAppearanceFromDrawing = 32, Size = 33 }; }
// Tables that are bound but never called still get a few (empty) entries.
constexpr size_t kEmptyTableSize = 16;

// The handler record and the host-owned table its hostExtension word points to.
namespace handlerRecord {
constexpr size_t kSize = 296;
constexpr size_t kHostExtension = 0x10;
constexpr size_t kEngine = 0x20;
enum Offset : size_t {
    onCreateEngine = 0x28, onDestroyEngine = 0x30, onQueryBool = 0x38, onQueryAtom = 0x40,
    onQueryInt = 0x48, onQueryText = 0x50, onPrepareOperation = 0x58, onReadyCheck = 0x60,
    onOperationAvailable = 0x68, onReservedQuery = 0x70, onSignatureProperties = 0x78,
    onLogIn = 0x80, onSignatureValue = 0x88, onValidate = 0x98, onValidityText = 0xB0,
    onLayerStream = 0xB8, onValidityLayer = 0xC0, onAppearanceObject = 0xC8,
    onStubObject = 0xD8, onStubTriple = 0xE0, onStubItem = 0xE8,
};
}  // namespace handlerRecord
constexpr size_t kHostExtensionTableBytes = 0x110;   // at least 0x108
constexpr size_t kHostExtensionCheckOffset = 0x100;

}  // namespace standin
