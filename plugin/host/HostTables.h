// The host function tables the plug-in has bound, each with the version it
// was bound at. An unbound table is a null pointer with version 0.
#pragma once
#include "HostTypes.h"

extern ExtensionID gExtensionID;

extern HFT gCoreHFT;            extern uint32_t gCoreVersion;
extern HFT gAcroSupportHFT;     extern uint32_t gAcroSupportVersion;
extern HFT gCosHFT;             extern uint32_t gCosVersion;
extern HFT gPDModelHFT;         extern uint32_t gPDModelVersion;
extern HFT gPDFEditWriteHFT;    extern uint32_t gPDFEditWriteVersion;
extern HFT gPDFEditReadHFT;     extern uint32_t gPDFEditReadVersion;
extern HFT gPDSysFontHFT;       extern uint32_t gPDSysFontVersion;
extern HFT gPagePDEContentHFT;  extern uint32_t gPagePDEContentVersion;
extern HFT gAcroViewHFT;        extern uint32_t gAcroViewVersion;
extern HFT gPDSWriteHFT;        extern uint32_t gPDSWriteVersion;
extern HFT gPDSReadHFT;         extern uint32_t gPDSReadVersion;
extern HFT gWinHFT;             extern uint32_t gWinVersion;
extern HFT gASExtraHFT;         extern uint32_t gASExtraVersion;
extern HFT gPubSecHFT;          extern uint32_t gPubSecVersion;
extern HFT gDigSigHFT;          extern uint32_t gDigSigVersion;
extern HFT gFormsHFT;           extern uint32_t gFormsVersion;

// One row per table: its host name and where its pointer and version live.
struct HostTableSlot {
    const char* name;
    HFT* table;
    uint32_t* version;
};

// All sixteen tables, in no particular order of binding.
const HostTableSlot* HostTableSlots(size_t* count);

// Returns every table to "not bound" and forgets the extension identifier.
void ClearHostBindings();
