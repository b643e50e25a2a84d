// The plain C types that cross the boundary between the plug-in and its host.
// Widths are fixed by the host's binary interface; nothing here is C++-only.
#pragma once
#include <cstddef>
#include <cstdint>

extern "C" {

typedef uint16_t ASBool;          // 0 false, 1 true, in both directions
typedef uint16_t ASAtom;
typedef void** HFT;               // indexed by the selector itself; entry 0 unused
typedef void* ExtensionID;
typedef void* Callback;           // opaque: only the host knows how to call it
typedef int32_t ASFixed;          // 16.16 fixed point
typedef void* CosDoc;
typedef void* PDDoc;
typedef void* PDPage;
typedef void* AVDoc;
typedef void* AVPageView;
typedef void* ASText;
typedef void* ASCab;

}  // extern "C"

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


constexpr ASAtom kNullAtom = 0xFFFF;
constexpr uint32_t kUnknownHftVersion = 0xFFFFFFFFu;

// Cos type codes as CosObjTypeOf answers them.
enum CosType : int32_t {
    kCosNull = 0,
    kCosInteger = 1,
    kCosFixed = 2,
    kCosBoolean = 3,
    kCosName = 4,
    kCosString = 5,
    kCosDict = 6,
    kCosArray = 7,
    kCosStream = 8,
};

// Form of PDTextFromHostText that yields FE FF UTF-16BE text.
constexpr int32_t kPdTextUnicode = 1;

inline ASBool ToASBool(bool value) { return value ? 1 : 0; }
