// The function tables the host offers, by name and version. Availability and
// versions can be changed per run, so the plug-in's handshake can be tried
// against hosts that lack a table or offer an old one.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "HostAbi.h"

namespace standin {

class HostTables {
public:
    // A table of `size` entries (selector-indexed; entry 0 unused).
    void Define(const std::string& name, uint32_t version, size_t size);
    void SetEntry(const std::string& name, int selector, void* function);

    void SetAvailable(const std::string& name, bool available);
    void SetVersion(const std::string& name, uint32_t version);
    // HFTGetVersion then answers "unknown" (0xFFFFFFFF) for this table.
    void SetVersionUnknown(const std::string& name, bool unknown);

    HFT Table(const std::string& name);                 // whether offered or not
    uint32_t VersionOf(const std::string& name) const;  // 0 for an unknown name

    // The host operations.
    HFT Request(const std::string& name, uint32_t version);   // logged
    uint32_t ReportedVersion(HFT table) const;

    // Every ASExtensionMgrGetHFT request, in order: (name, version).
    const std::vector<std::pair<std::string, uint32_t>>& Requests() const { return m_requests; }
    void ClearRequests() { m_requests.clear(); }

private:
    struct TableState {
        std::vector<void*> entries;
        uint32_t version = 0;
        bool available = true;
        bool versionUnknown = false;
    };
    std::map<std::string, TableState> m_tables;
    std::vector<std::pair<std::string, uint32_t>> m_requests;
};

}  // namespace standin
