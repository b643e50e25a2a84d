#include "HostTables.h"

ExtensionID gExtensionID = nullptr;

HFT gCoreHFT = nullptr;            uint32_t gCoreVersion = 0;
HFT gAcroSupportHFT = nullptr;     uint32_t gAcroSupportVersion = 0;
HFT gCosHFT = nullptr;             uint32_t gCosVersion = 0;
HFT gPDModelHFT = nullptr;         uint32_t gPDModelVersion = 0;
HFT gPDFEditWriteHFT = nullptr;    uint32_t gPDFEditWriteVersion = 0;
HFT gPDFEditReadHFT = nullptr;     uint32_t gPDFEditReadVersion = 0;
HFT gPDSysFontHFT = nullptr;       uint32_t gPDSysFontVersion = 0;
HFT gPagePDEContentHFT = nullptr;  uint32_t gPagePDEContentVersion = 0;
HFT gAcroViewHFT = nullptr;        uint32_t gAcroViewVersion = 0;
HFT gPDSWriteHFT = nullptr;        uint32_t gPDSWriteVersion = 0;
HFT gPDSReadHFT = nullptr;         uint32_t gPDSReadVersion = 0;
HFT gWinHFT = nullptr;             uint32_t gWinVersion = 0;
HFT gASExtraHFT = nullptr;         uint32_t gASExtraVersion = 0;
HFT gPubSecHFT = nullptr;          uint32_t gPubSecVersion = 0;
HFT gDigSigHFT = nullptr;          uint32_t gDigSigVersion = 0;
HFT gFormsHFT = nullptr;           uint32_t gFormsVersion = 0;

namespace {

const HostTableSlot kSlots[] = {
    {"Core", &gCoreHFT, &gCoreVersion},
    {"AcroSupport", &gAcroSupportHFT, &gAcroSupportVersion},
    {"Cos", &gCosHFT, &gCosVersion},
    {"PDModel", &gPDModelHFT, &gPDModelVersion},
    {"PDFEditWrite", &gPDFEditWriteHFT, &gPDFEditWriteVersion},
    {"PDFEditRead", &gPDFEditReadHFT, &gPDFEditReadVersion},
    {"PDSysFont", &gPDSysFontHFT, &gPDSysFontVersion},
    {"PagePDEContent", &gPagePDEContentHFT, &gPagePDEContentVersion},
    {"AcroView", &gAcroViewHFT, &gAcroViewVersion},
    {"PDSWrite", &gPDSWriteHFT, &gPDSWriteVersion},
    {"PDSRead", &gPDSReadHFT, &gPDSReadVersion},
    {"Win", &gWinHFT, &gWinVersion},
    {"ASExtra", &gASExtraHFT, &gASExtraVersion},
    {"PubSecHFT", &gPubSecHFT, &gPubSecVersion},
    {"DigSigHFT", &gDigSigHFT, &gDigSigVersion},
    {"Forms", &gFormsHFT, &gFormsVersion},
};

}  // namespace

const HostTableSlot* HostTableSlots(size_t* count)
{
    *count = sizeof kSlots / sizeof kSlots[0];
    return kSlots;
}

void ClearHostBindings()
{
    for (const HostTableSlot& slot : kSlots) {
        *slot.table = nullptr;
        *slot.version = 0;
    }
    gExtensionID = nullptr;
}
