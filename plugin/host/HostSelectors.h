// Selectors of the host operations the plug-in calls, per table.
#pragma once

namespace sel {
namespace core { enum { ASAtomFromString = 5, ASCallbackCreate = 8, ASCallbackDestroy = 9, ASExtensionMgrGetHFT = 10 }; }
namespace acroSupport { enum { ASmalloc = 1, ASfree = 3, HFTGetVersion = 103 }; }
namespace cos {
enum { CosObjTypeOf = 2, CosIntegerOf = 16, CosArrayItem = 25, CosArrayCount = 29,
       CosStringDupValue = 57, CosDictValueForKey = 85 };
}
namespace pdModel { enum { PDDocCosDocOf = 78, PDPageRotationOf = 142, PDTextFromHostText = 304 }; }
namespace acroView {
enum { AVAppCurrentDoc = 12, AVAppModalBegin = 36, AVAppModalEnd = 38, AVDocCurrentPageView = 49,
       AVPageViewCurrentPage = 109 };
}
namespace asExtra {
// ASTextDestroy is the one operation here that the interface page does not
// list; without it no text the plug-in owns could ever be given back.
enum { ASTextFromCString = 10, ASTextDestroy = 11, ASTextRetain = 37, ASExtraScopeEnd = 43, ASCabIntOf = 51,
       ASCabSetInt = 52, ASCabSetString = 68, ASCabSetText = 71, ASCabSetBinary = 75,
       ASExtraScopeBegin = 80, ASTextIsBlank = 90 };
}
namespace pubSec {
enum { PSRegisterHandler = 1, PSAppearanceListOpen = 8, PSAppearanceListClose = 9,
       PSAppearanceListCount = 11, PSAppearanceListTitle = 13 };
}
namespace digSig { enum { DSAppearanceFromDrawing = 32 }; }
}  // namespace sel
