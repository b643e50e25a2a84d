#include "PluginHost.h"

#include "HostRecord.h"

namespace standin {

namespace {

using PlugInMainFn = ASBool (*)(uint32_t, uint32_t*, void**, void*);
using HandshakeFn = ASBool (*)(uint32_t, void*);
using StepFn = ASBool (*)();

namespace handshakeRecord { enum : size_t { version = 0, extension = 8, core = 16, setupCallback = 24 }; }

const size_t kStepOffsets[] = {setupRecord::exportTables, setupRecord::importTables, setupRecord::init,
                               setupRecord::unload};

}  // namespace

PluginHost::PluginHost(HostStandin& host) : m_host(host) {}

PluginHost::~PluginHost() { Free(); }

void PluginHost::Drop(Callback cb)
{
    if (cb != nullptr)
        m_host.callbacks().Destroy(cb);
}

bool PluginHost::Fail(const std::string& why)
{
    if (m_failure.empty())
        m_failure = why;
    return false;
}

bool PluginHost::Load(const std::wstring& path, uint32_t appVersion)
{
    if (m_module != nullptr)
        return Fail("load: a plug-in is already loaded");
    m_module = LoadLibraryW(path.c_str());
    if (m_module == nullptr)
        return Fail("load: LoadLibrary failed with error " + std::to_string(GetLastError()));
    m_unloaded = false;
    m_handlersBefore = m_host.HandlerCount();
    auto plugInMain = reinterpret_cast<PlugInMainFn>(reinterpret_cast<void*>(GetProcAddress(m_module, "PlugInMain")));
    if (plugInMain == nullptr)
        return Fail("load: no PlugInMain");
    void* platformData[2] = {nullptr, m_module};
    void* handshakeProc = nullptr;
    if (!plugInMain(appVersion, &m_answeredVersion, &handshakeProc, platformData))
        return Fail("PlugInMain refused");
    m_coreHandshake = handshakeProc;
    return true;
}

bool PluginHost::CoreHandshake(uint32_t version, uint32_t recordVersion)
{
    if (m_coreHandshake == nullptr)
        return Fail("CoreHandshake: no handshake function");
    // A repeated handshake replaces the setup callback: the old one is ours to drop.
    Drop(ReadAt<Callback>(m_handshakeRecord, handshakeRecord::setupCallback));
    std::memset(m_handshakeRecord, 0, sizeof m_handshakeRecord);
    WriteAt<uint32_t>(m_handshakeRecord, handshakeRecord::version, recordVersion);
    WriteAt<ExtensionID>(m_handshakeRecord, handshakeRecord::extension, m_host.NewExtension("plug-in"));
    WriteAt<HFT>(m_handshakeRecord, handshakeRecord::core, m_host.CoreTable());
    if (!reinterpret_cast<HandshakeFn>(m_coreHandshake)(version, m_handshakeRecord))
        return Fail("CoreHandshake refused");
    return true;
}

bool PluginHost::SetupHandshake(uint32_t version)
{
    void* setup = m_host.callbacks().FunctionOf(ReadAt<Callback>(m_handshakeRecord, handshakeRecord::setupCallback));
    if (setup == nullptr)
        return Fail("SetupHandshake: not handed over");
    for (size_t offset : kStepOffsets)
        Drop(ReadAt<Callback>(m_setupRecord, offset));
    std::memset(m_setupRecord, 0, sizeof m_setupRecord);
    if (!reinterpret_cast<HandshakeFn>(setup)(version, m_setupRecord))
        return Fail("SetupHandshake refused");
    return true;
}

bool PluginHost::Step(size_t offset, const char* name)
{
    void* function = m_host.callbacks().FunctionOf(ReadAt<Callback>(m_setupRecord, offset));
    if (function == nullptr)
        return Fail(std::string(name) + ": not handed over");
    if (!reinterpret_cast<StepFn>(function)())
        return Fail(std::string(name) + " refused");
    return true;
}

bool PluginHost::ExportTables() { return Step(setupRecord::exportTables, "OnExportTables"); }
bool PluginHost::ImportTables() { return Step(setupRecord::importTables, "OnImportTables"); }
bool PluginHost::Init() { return Step(setupRecord::init, "OnInit"); }

bool PluginHost::Unload()
{
    m_unloaded = true;
    return Step(setupRecord::unload, "OnUnload");
}

void PluginHost::Free()
{
    if (m_module == nullptr)
        return;
    if (!m_unloaded && m_host.callbacks().FunctionOf(ReadAt<Callback>(m_setupRecord, setupRecord::unload)))
        Unload();
    for (size_t offset : kStepOffsets)
        Drop(ReadAt<Callback>(m_setupRecord, offset));
    Drop(ReadAt<Callback>(m_handshakeRecord, handshakeRecord::setupCallback));
    std::memset(m_setupRecord, 0, sizeof m_setupRecord);
    std::memset(m_handshakeRecord, 0, sizeof m_handshakeRecord);
    FreeLibrary(m_module);
    m_module = nullptr;
    m_coreHandshake = nullptr;
}

bool PluginHost::Start(const std::wstring& path)
{
    return Load(path) && CoreHandshake() && SetupHandshake() && ExportTables() && ImportTables() && Init();
}

RegisteredHandler* PluginHost::Handler()
{
    // The record lives in the plug-in's memory: once it is gone, so is the handler.
    if (m_module == nullptr || m_host.HandlerCount() <= m_handlersBefore)
        return nullptr;
    return &m_host.Handler(m_handlersBefore);
}

}  // namespace standin
