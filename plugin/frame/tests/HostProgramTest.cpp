// The deliverable as a file: what it exports, and the host program that
// loads it in a process of its own.
#include <windows.h>

#include "LoadedPlugin.h"

namespace {

std::vector<std::string> ExportedNames(HMODULE module)
{
    auto* base = reinterpret_cast<const unsigned char*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (entry.VirtualAddress == 0)
        return names;
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.push_back(reinterpret_cast<const char*>(base + nameOffsets[i]));
    // Exports by ordinal only would not show among the names.
    if (exports->NumberOfFunctions != exports->NumberOfNames)
        names.push_back("(" + std::to_string(exports->NumberOfFunctions - exports->NumberOfNames) + " by ordinal)");
    return names;
}

TEST(PluginFile, ExportsPlugInMainAndNothingElse)
{
    HMODULE module = LoadLibraryExW(WinePath(PENVANE_PLUGIN_PATH).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_EQ(ExportedNames(module), std::vector<std::string>{"PlugInMain"});
    FreeLibrary(module);
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

TEST(HostProgram, ReportsTheRegisteredHandlerAndExitsZero)
{
    std::string output;
    EXPECT_EQ(RunProcess(Quoted(WinePath(PENVANE_HOST_PROGRAM_PATH)) + L" " + Quoted(WinePath(PENVANE_PLUGIN_PATH)),
                         &output),
              0u)
        << output;
    for (const char* line : {"handshake version: 0x20000\r\n", "callbacks: 21 of 21\r\n",
                             "handler: Orvel.PenvanePlus\r\n", "engine: present\r\n",
                             "host extension check: present\r\n",
                             "after unload: callbacks live 0, memory blocks live 0, texts live 0\r\n",
                             "result: ok\r\n"})
        EXPECT_NE(output.find(line), std::string::npos) << line << "in:\n" << output;
}

TEST(HostProgram, ExitsNonZeroWhenThePluginDoesNotGoThrough)
{
    const std::wstring program = Quoted(WinePath(PENVANE_HOST_PROGRAM_PATH));
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        const char* says;
    } cases[] = {
        {Quoted(WinePath(PENVANE_PLUGIN_PATH) + L".missing"), 1, "result: failed: load: LoadLibrary failed"},
        {L"kernel32.dll", 1, "result: failed: load: no PlugInMain"},
        {L"", 2, "usage: penvane-host"},
    };
    for (const auto& c : cases) {
        std::string output;
        EXPECT_EQ(RunProcess(program + L" " + c.arguments, &output), c.exitCode) << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
    }
}

}  // namespace
