// The plug-in's side of loading: the entry point, the two handshake stages
// that bind the host's tables, and the four steps the host calls afterwards.
#pragma once
#include <windows.h>

#include "HostTypes.h"

// The module's instance handle: recorded by the module entry, and again from
// the platform data that PlugInMain receives.
extern HINSTANCE gModuleInstance;

constexpr uint32_t kHandshakeVersion = 0x20000;
constexpr char kExtensionName[] = "ADBE:PenvanePlus";

ASBool CoreHandshake(uint32_t handshakeVersion, void* handshakeRecord);
ASBool SetupHandshake(uint32_t handshakeVersion, void* setupRecord);

// Obtains the host table `name` at `minimumVersion` or later, through the
// host's own version report when AcroSupport 6.0 or later is bound, else by
// walking the fallback versions. Always writes both outputs (null and 0 when
// nothing was obtained); true when a version was recorded.
bool BindHostTable(const char* name, uint32_t minimumVersion, uint32_t* outVersion, HFT* outTable);

ASBool OnExportTables();
ASBool OnImportTables();
ASBool OnInit();
ASBool OnUnload();
