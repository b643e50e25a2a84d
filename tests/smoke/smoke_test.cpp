// The build-and-run chain: a Windows program under Wine loads the plug-in and
// registers the control module with the system's regsvr32.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace {

// The build tree's Unix path as the Windows side sees it (drive Z: is "/").
std::wstring WinePath(const char* unixPath)
{
    std::wstring w = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        w += (*p == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return w;
}

DWORD RunAndWait(std::wstring commandLine)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFFu;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0xFFFFFFFEu;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

} // namespace

TEST(Smoke, PluginLoadsAndExportsPlugInMain)
{
    HMODULE module = LoadLibraryW(WinePath(PENVANE_PLUGIN_PATH).c_str());
    ASSERT_NE(module, nullptr) << "LoadLibrary failed: " << GetLastError();
    EXPECT_NE(GetProcAddress(module, "PlugInMain"), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Smoke, ControlModuleExportsTheServerEntryPoints)
{
    HMODULE module = LoadLibraryW(WinePath(PENVANE_OCX_PATH).c_str());
    ASSERT_NE(module, nullptr) << "LoadLibrary failed: " << GetLastError();
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject", "DllCanUnloadNow"})
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Smoke, Regsvr32RegistersAndUnregistersTheControlModule)
{
    const std::wstring ocx = L"\"" + WinePath(PENVANE_OCX_PATH) + L"\"";
    EXPECT_EQ(RunAndWait(L"regsvr32.exe /s " + ocx), 0u);
    EXPECT_EQ(RunAndWait(L"regsvr32.exe /s /u " + ocx), 0u);
}

TEST(Smoke, Regsvr32ReportsAModuleItCannotLoad)
{
    const std::wstring missing = L"\"" + WinePath(PENVANE_OCX_PATH) + L".missing\"";
    EXPECT_EQ(RunAndWait(L"regsvr32.exe /s " + missing), 3u);
}
