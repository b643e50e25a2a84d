// A plug-in loaded the way the PDF host loads one: by file, through its
// exported PlugInMain, then the two handshake stages and the four steps over
// the stand-in's tables. Every plug-in function after CoreHandshake is reached
// through the callback handle the plug-in made for it.
//
// The stages can be run one by one and in any order (tests do), or all at
// once with Start. The stand-in is the caller's: it sets the tables, versions
// and availability the plug-in will find before the stage that needs them.
#pragma once
#include <windows.h>

#include <string>

#include "HostStandin.h"

namespace standin {

constexpr uint32_t kHostHandshakeVersion = 0x20000;

// Byte layouts the host owns during the handshake.
constexpr size_t kHandshakeRecordBytes = 32;
constexpr size_t kSetupRecordBytes = 40;
namespace setupRecord {
enum : size_t { extensionName = 6, exportTables = 8, importTables = 16, init = 24, unload = 32 };
}

class PluginHost {
public:
    explicit PluginHost(HostStandin& host);
    // Unloads a plug-in still loaded (OnUnload when it was handed over).
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // LoadLibrary, then PlugInMain offering `appVersion`. False when the file
    // does not load, exports no PlugInMain, or PlugInMain answers false.
    bool Load(const std::wstring& path, uint32_t appVersion = kHostHandshakeVersion);
    // The handshake stages, each offered `version`; the record's own version
    // field is `recordVersion`.
    bool CoreHandshake(uint32_t version = kHostHandshakeVersion, uint32_t recordVersion = kHostHandshakeVersion);
    bool SetupHandshake(uint32_t version = kHostHandshakeVersion);
    // The four steps; false also when the step was never handed over.
    bool ExportTables();
    bool ImportTables();
    bool Init();
    bool Unload();
    // OnUnload when the steps were handed over and it has not run, then
    // FreeLibrary. The step callbacks are the host's: it destroys them here.
    void Free();

    // Load through Init in order; stops at the first refusal (see Failure).
    bool Start(const std::wstring& path);

    bool Loaded() const { return m_module != nullptr; }
    uint32_t AnsweredVersion() const { return m_answeredVersion; }
    // The stage that refused, with the reason, or empty.
    const std::string& Failure() const { return m_failure; }
    const unsigned char* SetupRecord() const { return m_setupRecord; }
    // The handler this plug-in registered, or null.
    RegisteredHandler* Handler();

private:
    bool Step(size_t offset, const char* name);
    bool Fail(const std::string& why);
    void Drop(Callback cb);   // a handle the host holds; null is no handle

    HostStandin& m_host;
    HMODULE m_module = nullptr;
    void* m_coreHandshake = nullptr;
    uint32_t m_answeredVersion = 0;
    size_t m_handlersBefore = 0;
    bool m_unloaded = false;
    std::string m_failure;
    unsigned char m_handshakeRecord[kHandshakeRecordBytes] = {};
    unsigned char m_setupRecord[kSetupRecordBytes] = {};
};

}  // namespace standin
