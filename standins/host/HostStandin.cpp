#include "HostStandin.h"

#include <cstring>
#include <stdexcept>

namespace standin {

namespace {
HostStandin* g_current = nullptr;

struct TableDefinition {
    const char* name;
    uint32_t version;
    size_t size;
};

// Versions a current host would offer; tests lower or withdraw them per run.
const TableDefinition kTables[] = {
    {"Core", 0x60000, core::Size},
    {"AcroSupport", 0x80000, acroSupport::Size},
    {"Cos", 0x80000, cos::Size},
    {"PDModel", 0x80000, pdModel::Size},
    {"PDFEditWrite", 0x80000, kEmptyTableSize},
    {"PDFEditRead", 0x80000, kEmptyTableSize},
    {"PDSysFont", 0x80000, kEmptyTableSize},
    {"PagePDEContent", 0x80000, kEmptyTableSize},
    {"AcroView", 0x80000, acroView::Size},
    {"PDSWrite", 0x80000, kEmptyTableSize},
    {"PDSRead", 0x80000, kEmptyTableSize},
    {"Win", 0x80000, kEmptyTableSize},
    {"ASExtra", 0x80000, asExtra::Size},
    {"PubSecHFT", 0x20000, pubSec::Size},
    {"DigSigHFT", 0x20000, digSig::Size},
    {"Forms", 0x20000, kEmptyTableSize},
};
}  // namespace

HostStandin::HostStandin()
{
    if (g_current)
        throw std::logic_error("another host stand-in is alive");
    for (const TableDefinition& table : kTables)
        m_tables.Define(table.name, table.version, table.size);
    InstallHostEntries(m_tables);
    g_current = this;
}

HostStandin::~HostStandin()
{
    if (g_current == this)
        g_current = nullptr;
}

HostStandin* HostStandin::Current() { return g_current; }

ExtensionID HostStandin::NewExtension(const std::string& name)
{
    m_extensions.push_back(std::make_unique<Extension>(Extension{name}));
    return m_extensions.back().get();
}

ASBool HostStandin::RegisterHandler(ExtensionID ext, void* record)
{
    if (record == nullptr)
        return 0;
    if (m_refuseRegistration) {
        if (m_refusalTableWord) {
            m_refusalTables.push_back(std::make_unique<unsigned char[]>(kHostExtensionTableBytes));
            unsigned char* table = m_refusalTables.back().get();
            std::memset(table, 0, kHostExtensionTableBytes);
            std::memcpy(table + kHostExtensionCheckOffset, &m_refusalTableWord, sizeof m_refusalTableWord);
            std::memcpy(static_cast<unsigned char*>(record) + handlerRecord::kHostExtension, &table, sizeof table);
        }
        return 0;
    }
    m_handlers.push_back(std::make_unique<RegisteredHandler>(m_callbacks, ext, record));
    return 1;
}

void* HostStandin::BeginScope(void* hostObject)
{
    auto scope = std::make_unique<Scope>(Scope{hostObject});
    void* handle = scope.get();
    m_scopes.emplace(handle, std::move(scope));
    return handle;
}

void HostStandin::EndScope(void* scope) { m_scopes.erase(scope); }

}  // namespace standin
