// Binds every table of a host stand-in into the plug-in's globals, the way
// the handshake leaves them: by name through the host's own
// ASExtensionMgrGetHFT, versions from HFTGetVersion.
#pragma once
#include "HostCalls.h"
#include "HostStandin.h"
#include "HostTables.h"

// The name of a table the host does not offer, or null when all are bound.
inline const char* BindHostStandin(standin::HostStandin& host)
{
    ClearHostBindings();
    gExtensionID = host.NewExtension("ADBE:PenvanePlus");
    gCoreHFT = host.CoreTable();
    gAcroSupportHFT = ASExtensionMgrGetHFT(ASAtomFromString("AcroSupport"), 1);
    size_t count = 0;
    const HostTableSlot* slots = HostTableSlots(&count);
    for (size_t i = 0; i < count; ++i) {
        *slots[i].table = ASExtensionMgrGetHFT(ASAtomFromString(slots[i].name), 1);
        if (*slots[i].table == nullptr)
            return slots[i].name;
        *slots[i].version = HFTGetVersion(*slots[i].table);
    }
    return nullptr;
}
