// The four steps the host calls once the handshake is done.
#include <new>

#include "DSHandler.h"
#include "Framework.h"
#include "HostCalls.h"
#include "HostTables.h"
#include "PlugInFrame.h"

namespace {

// Exists while the handler is registered: it tells OnUnload there is
// something to undo. It holds nothing.
struct HandlerInstance {};
HandlerInstance* gHandlerInstance = nullptr;

// Tables bound at exactly these versions, in this order.
struct ImportedTable {
    const char* name;
    uint32_t version;
    HFT* table;
    uint32_t* boundVersion;
};
const ImportedTable kImportedTables[] = {
    {"PubSecHFT", 1, &gPubSecHFT, &gPubSecVersion},
    {"DigSigHFT", 1, &gDigSigHFT, &gDigSigVersion},
    {"Forms", 0x10002, &gFormsHFT, &gFormsVersion},
};

}  // namespace

ASBool OnExportTables()
{
    return 1;   // the plug-in offers no table of its own
}

ASBool OnImportTables()
{
    for (const ImportedTable& wanted : kImportedTables) {
        HFT table = ASExtensionMgrGetHFT(ASAtomFromString(wanted.name), wanted.version);
        if (table == nullptr)
            return 0;
        *wanted.table = table;
        *wanted.boundVersion = wanted.version;
    }
    return 1;
}

ASBool OnInit()
{
    // A second OnInit must not replace the instance that OnUnload will need.
    if (gHandlerInstance != nullptr)
        return 0;
    // The capture control is created as a child window later; containment is
    // switched on here, not left to the application object's start-up.
    AfxEnableControlContainer();
    AfxModuleStartup();
    gHandlerInstance = new (std::nothrow) HandlerInstance;
    if (gHandlerInstance == nullptr)
        return 0;
    if (RegisterHandler())
        return 1;
    // Refused (by the host, or for want of a table, or a second time): the
    // registration has already undone itself, so nothing is left for OnUnload.
    delete gHandlerInstance;
    gHandlerInstance = nullptr;
    return 0;
}

ASBool OnUnload()
{
    if (gHandlerInstance != nullptr) {
        UnregisterHandler();
        delete gHandlerInstance;
        gHandlerInstance = nullptr;
    }
    AfxModuleShutdown();
    return 1;
}
