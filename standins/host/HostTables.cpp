#include "HostTables.h"

namespace standin {

void HostTables::Define(const std::string& name, uint32_t version, size_t size)
{
    TableState& table = m_tables[name];
    table.entries.assign(size < 1 ? 1 : size, nullptr);
    table.version = version;
}

void HostTables::SetEntry(const std::string& name, int selector, void* function)
{
    auto it = m_tables.find(name);
    if (it == m_tables.end() || selector <= 0)
        return;
    std::vector<void*>& entries = it->second.entries;
    // Growing would move the table under a plug-in that already holds it.
    if (static_cast<size_t>(selector) < entries.size())
        entries[static_cast<size_t>(selector)] = function;
}

void HostTables::SetAvailable(const std::string& name, bool available)
{
    auto it = m_tables.find(name);
    if (it != m_tables.end())
        it->second.available = available;
}

void HostTables::SetVersion(const std::string& name, uint32_t version)
{
    auto it = m_tables.find(name);
    if (it != m_tables.end())
        it->second.version = version;
}

void HostTables::SetVersionUnknown(const std::string& name, bool unknown)
{
    auto it = m_tables.find(name);
    if (it != m_tables.end())
        it->second.versionUnknown = unknown;
}

HFT HostTables::Table(const std::string& name)
{
    auto it = m_tables.find(name);
    return it == m_tables.end() ? nullptr : it->second.entries.data();
}

uint32_t HostTables::VersionOf(const std::string& name) const
{
    auto it = m_tables.find(name);
    return it == m_tables.end() ? 0 : it->second.version;
}

HFT HostTables::Request(const std::string& name, uint32_t version)
{
    m_requests.emplace_back(name, version);
    auto it = m_tables.find(name);
    if (it == m_tables.end() || !it->second.available || it->second.version < version)
        return nullptr;
    return it->second.entries.data();
}

uint32_t HostTables::ReportedVersion(HFT table) const
{
    for (const auto& entry : m_tables)
        if (entry.second.entries.data() == table)
            return entry.second.versionUnknown ? kUnknownVersion : entry.second.version;
    return kUnknownVersion;
}

}  // namespace standin
