#include "RegistrationReport.h"

#include <cstdio>
#include <cstring>

namespace standin {

using namespace handlerRecord;

const RecordCallbackName kRecordCallbacks[21] = {
    {onCreateEngine, "onCreateEngine"}, {onDestroyEngine, "onDestroyEngine"}, {onQueryBool, "onQueryBool"},
    {onQueryAtom, "onQueryAtom"}, {onQueryInt, "onQueryInt"}, {onQueryText, "onQueryText"},
    {onPrepareOperation, "onPrepareOperation"}, {onReadyCheck, "onReadyCheck"},
    {onOperationAvailable, "onOperationAvailable"}, {onReservedQuery, "onReservedQuery"},
    {onSignatureProperties, "onSignatureProperties"}, {onLogIn, "onLogIn"}, {onSignatureValue, "onSignatureValue"},
    {onValidate, "onValidate"}, {onValidityText, "onValidityText"}, {onLayerStream, "onLayerStream"},
    {onValidityLayer, "onValidityLayer"}, {onAppearanceObject, "onAppearanceObject"},
    {onStubObject, "onStubObject"}, {onStubTriple, "onStubTriple"}, {onStubItem, "onStubItem"},
};

namespace {

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// Describes the registered handler; true when it is complete.
bool DescribeHandler(HostStandin& host, RegisteredHandler& handler, std::ostream& out)
{
    bool complete = true;
    std::string missing;
    int present = 0;
    for (const RecordCallbackName& callback : kRecordCallbacks) {
        if (handler.HasCallback(callback.offset))
            ++present;
        else
            missing += std::string(" ") + callback.name;
    }
    out << "callbacks: " << present << " of 21" << (missing.empty() ? "" : "; missing:" + missing) << "\n";
    complete = complete && missing.empty();

    std::string name = "(none)";
    if (handler.HasCallback(onQueryAtom)) {
        ASAtom atom = handler.QueryAtom(nullptr, "PubSecHandlerName");
        if (atom != kNullAtom)
            name = host.atoms().NameOf(atom);
    }
    out << "handler: " << name << "\n";
    complete = complete && name != "(none)";

    const bool engine = handler.RecordWord(kEngine) != 0;
    out << "engine: " << (engine ? "present" : "missing") << "\n";
    complete = complete && engine;

    uint64_t check = 0;
    std::memcpy(&check, static_cast<unsigned char*>(handler.HostExtensionTable()) + kHostExtensionCheckOffset,
                sizeof check);
    const bool checkLive = host.callbacks().FunctionOf(reinterpret_cast<Callback>(static_cast<uintptr_t>(check)));
    out << "host extension check: " << (checkLive ? "present" : "missing") << "\n";
    return complete && checkLive;
}

}  // namespace

bool ReportRegistration(HostStandin& host, const std::wstring& path, std::ostream& out)
{
    PluginHost plugin(host);
    const bool started = plugin.Start(path);
    if (plugin.Loaded())
        out << "handshake version: " << Hex(plugin.AnsweredVersion()) << "\n";
    bool ok = started;
    if (started) {
        out << "steps: OnExportTables, OnImportTables, OnInit answered true\n";
        RegisteredHandler* handler = plugin.Handler();
        if (handler == nullptr) {
            out << "handler: none registered\n";
            ok = false;
        } else {
            try {
                ok = DescribeHandler(host, *handler, out) && ok;
            } catch (const std::exception& error) {
                out << "handler: " << error.what() << "\n";
                ok = false;
            }
        }
    }
    const bool unloaded = !plugin.Loaded() || plugin.Unload();
    plugin.Free();
    if (!unloaded)
        ok = false;
    const size_t callbacks = host.callbacks().Live(), blocks = host.memory().LiveBlocks(),
                 texts = host.texts().LiveTexts();
    out << "after unload: callbacks live " << callbacks << ", memory blocks live " << blocks << ", texts live "
        << texts << "\n";
    ok = ok && callbacks == 0 && blocks == 0 && texts == 0 && host.callbacks().StrayDestroys() == 0;
    out << "result: " << (ok ? "ok" : "failed" + (plugin.Failure().empty() ? "" : ": " + plugin.Failure())) << "\n";
    return ok;
}

}  // namespace standin
