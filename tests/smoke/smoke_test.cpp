// The build-and-run chain: a Windows program under Wine loads the plug-in and
// registers the control module with the system's regsvr32.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

#include "SharedTestSupport.h"

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
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s " + ocx, nullptr), 0u);
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u " + ocx, nullptr), 0u);
}

TEST(Smoke, Regsvr32ReportsAModuleItCannotLoad)
{
    const std::wstring missing = L"\"" + WinePath(PENVANE_OCX_PATH) + L".missing\"";
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s " + missing, nullptr), 3u);
}
