// The PDF host as a library: the function tables a plug-in binds, with the
// state behind them (memory, atoms, texts, bags, Cos objects, documents and
// viewer, appearances, callbacks, registered handlers). One host exists at a
// time, because the host operations carry no context of their own.
#pragma once
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Atoms.h"
#include "HostAbi.h"
#include "HostBags.h"
#include "HostCallbacks.h"
#include "HostCos.h"
#include "HostHandlers.h"
#include "HostMemory.h"
#include "HostTables.h"
#include "HostTexts.h"
#include "HostViewer.h"

namespace standin {

class HostStandin {
public:
    // Throws std::logic_error when another host is alive.
    HostStandin();
    ~HostStandin();
    HostStandin(const HostStandin&) = delete;
    HostStandin& operator=(const HostStandin&) = delete;

    static HostStandin* Current();

    HostMemory& memory() { return m_memory; }
    Atoms& atoms() { return m_atoms; }
    HostTexts& texts() { return m_texts; }
    HostBags& bags() { return m_bags; }
    HostCos& cos() { return m_cos; }
    HostViewer& viewer() { return m_viewer; }
    HostCallbacks& callbacks() { return m_callbacks; }
    HostTables& tables() { return m_tables; }

    // What a handshake hands a plug-in: its extension identifier and "Core".
    ExtensionID NewExtension(const std::string& name);
    HFT CoreTable() { return m_tables.Table("Core"); }

    // Handler registration.
    void SetRefuseRegistration(bool refuse) { m_refuseRegistration = refuse; }
    // A refusing host that first filled the record's hostExtension word with
    // a table of its own holding `word` at byte 0x100 (null: fill nothing).
    void SetRefusalTableWord(void* word) { m_refusalTableWord = word; }
    ASBool RegisterHandler(ExtensionID ext, void* record);
    size_t HandlerCount() const { return m_handlers.size(); }
    RegisteredHandler& Handler(size_t index) { return *m_handlers.at(index); }

    // Scopes opened around validity texts.
    void* BeginScope(void* hostObject);
    void EndScope(void* scope);               // unknown scopes ignored
    size_t LiveScopes() const { return m_scopes.size(); }

private:
    struct Extension { std::string name; };
    struct Scope { void* hostObject; };

    HostMemory m_memory;
    Atoms m_atoms;
    HostTexts m_texts;
    HostBags m_bags{m_memory, m_texts};
    HostCos m_cos{m_memory};
    HostViewer m_viewer;
    HostCallbacks m_callbacks;
    HostTables m_tables;
    std::vector<std::unique_ptr<Extension>> m_extensions;
    std::vector<std::unique_ptr<RegisteredHandler>> m_handlers;
    std::unordered_map<void*, std::unique_ptr<Scope>> m_scopes;
    bool m_refuseRegistration = false;
    void* m_refusalTableWord = nullptr;
    std::vector<std::unique_ptr<unsigned char[]>> m_refusalTables;
};

// Fills the host's tables with its operations (HostEntries.cpp).
void InstallHostEntries(HostTables& tables);

}  // namespace standin
