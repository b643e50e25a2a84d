// The two handshake stages: bind the host's tables by name and minimum
// version, then name the plug-in and hand over its four steps.

#include "HostCalls.h"
#include "HostTables.h"
#include "PlugInFrame.h"
#include "RecordFields.h"

namespace {

constexpr uint32_t kNoVersion = 0xFFFFFFFFu;   // what HFTGetVersion answers when it cannot tell
constexpr uint32_t kVersionReportingAcroSupport = 0x60000;
constexpr uint32_t kRequiredAcroSupport = 0x80000;

// Versions tried, newest first, when the host cannot report a table's own.
const uint32_t kVersionFallbackList[] = {0x50001, 0x50000, 0x40005, 0x40000, 0x20003, 0x20002, 0x20001};

struct HostTableBinding {
    const char* name;
    uint32_t minimumVersion;
    uint32_t* version;
    HFT* table;
    bool optional;
};

// Bound in this order; every row is required, so the first missing table
// ends the handshake and the rows after it are never requested.
const HostTableBinding kHostTableBindings[] = {
    {"Core", 0x50000, &gCoreVersion, &gCoreHFT, false},
    {"Cos", 0x60000, &gCosVersion, &gCosHFT, false},
    {"PDModel", 0x60000, &gPDModelVersion, &gPDModelHFT, false},
    {"PDFEditWrite", 0x60000, &gPDFEditWriteVersion, &gPDFEditWriteHFT, false},
    {"PDFEditRead", 0x60000, &gPDFEditReadVersion, &gPDFEditReadHFT, false},
    {"PDSysFont", 0x40000, &gPDSysFontVersion, &gPDSysFontHFT, false},
    {"PagePDEContent", 0x60000, &gPagePDEContentVersion, &gPagePDEContentHFT, false},
    {"AcroView", 0x60000, &gAcroViewVersion, &gAcroViewHFT, false},
    {"PDSWrite", 0x60000, &gPDSWriteVersion, &gPDSWriteHFT, false},
    {"PDSRead", 0x60000, &gPDSReadVersion, &gPDSReadHFT, false},
    {"Win", 0x50000, &gWinVersion, &gWinHFT, false},
    {"ASExtra", 0x60000, &gASExtraVersion, &gASExtraHFT, false},
};

// Byte offsets of the host's handshake records.
namespace handshakeRecord { enum : size_t { version = 0, extension = 8, core = 16, setupCallback = 24 }; }
namespace setupRecord {
enum : size_t { extensionName = 6, exportTables = 8, importTables = 16, init = 24, unload = 32 };
}

template <typename Fn>
void* Address(Fn fn)
{
    return reinterpret_cast<void*>(fn);
}

}  // namespace

bool BindHostTable(const char* name, uint32_t minimumVersion, uint32_t* outVersion, HFT* outTable)
{
    const ASAtom atom = ASAtomFromString(name);
    uint32_t version = kNoVersion;
    HFT table = nullptr;
    if (gAcroSupportVersion >= kVersionReportingAcroSupport) {
        table = ASExtensionMgrGetHFT(atom, minimumVersion);
        if (table != nullptr)
            version = HFTGetVersion(table);
    }
    if (version == kNoVersion) {
        // The version recorded is the entry that produced the table, not the
        // table's own: the host could not tell us that.
        table = nullptr;
        version = 0;
        for (uint32_t candidate : kVersionFallbackList) {
            if (candidate < minimumVersion)
                break;
            table = ASExtensionMgrGetHFT(atom, candidate);
            if (table != nullptr) {
                version = candidate;
                break;
            }
        }
    }
    *outTable = table;
    *outVersion = version;
    return version != 0;
}

ASBool CoreHandshake(uint32_t handshakeVersion, void* record)
{
    if (handshakeVersion != kHandshakeVersion || record == nullptr ||
        ReadAt<uint32_t>(record, handshakeRecord::version) != kHandshakeVersion)
        return 0;

    gExtensionID = ReadAt<ExtensionID>(record, handshakeRecord::extension);
    gCoreHFT = ReadAt<HFT>(record, handshakeRecord::core);
    gCoreVersion = kHandshakeVersion;

    // AcroSupport first: whether it can report versions decides how every
    // later table is bound.
    gAcroSupportHFT = ASExtensionMgrGetHFT(ASAtomFromString("AcroSupport"), kVersionReportingAcroSupport);
    gAcroSupportVersion = 0;
    if (gAcroSupportHFT != nullptr) {
        gAcroSupportVersion = kVersionReportingAcroSupport;
        gAcroSupportVersion = HFTGetVersion(gAcroSupportHFT);
    }
    if (!BindHostTable("AcroSupport", kRequiredAcroSupport, &gAcroSupportVersion, &gAcroSupportHFT))
        return 0;

    for (const HostTableBinding& row : kHostTableBindings)
        if (!BindHostTable(row.name, row.minimumVersion, row.version, row.table) && !row.optional)
            return 0;

    Callback setup = ASCallbackCreate(gExtensionID, Address(SetupHandshake));
    if (setup == nullptr)
        return 0;
    WriteAt(record, handshakeRecord::setupCallback, setup);
    return 1;
}

ASBool SetupHandshake(uint32_t handshakeVersion, void* record)
{
    if (handshakeVersion != kHandshakeVersion || record == nullptr)
        return 0;
    WriteAt<ASAtom>(record, setupRecord::extensionName, ASAtomFromString(kExtensionName));
    const struct {
        size_t offset;
        void* function;
    } steps[] = {
        {setupRecord::exportTables, Address(OnExportTables)},
        {setupRecord::importTables, Address(OnImportTables)},
        {setupRecord::init, Address(OnInit)},
        {setupRecord::unload, Address(OnUnload)},
    };
    bool complete = true;
    for (const auto& step : steps) {
        Callback cb = ASCallbackCreate(gExtensionID, step.function);
        WriteAt(record, step.offset, cb);
        complete = complete && cb != nullptr;
    }
    // A step the host could not be handed is a step it would call through null.
    return ToASBool(complete);
}
