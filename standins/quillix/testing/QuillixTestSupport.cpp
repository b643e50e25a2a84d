#include "QuillixTestSupport.h"

#include "Framework.h"
#include "FrameworkChecks.h"
#include "QuillixIds.h"

namespace quillix::testing {

std::string SampleStrokeFile()
{
    std::wstring w = WinePath(QUILLIX_SAMPLE_STROKES);
    return std::string(w.begin(), w.end());
}

namespace {
DWORD Regsvr32(const wchar_t* flags)
{
    return RunProcess(std::wstring(L"regsvr32.exe ") + flags + L" \"" + WinePath(QUILLIX_MODULE_PATH) + L"\"",
                      nullptr);
}
} // namespace

DWORD RegisterStandin() { return Regsvr32(L"/s"); }
DWORD UnregisterStandin() { return Regsvr32(L"/s /u"); }

bool StandinRegistered()
{
    const std::wstring key = L"CLSID\\" + fw::AnsiToWide(std::string(kClsidText)) + L"\\InprocServer32";
    const std::optional<std::wstring> path = FindString(key, nullptr);
    return path && GetFileAttributesW(path->c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Environment::SetUp()
{
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    AfxEnableControlContainer();
    if (!StandinRegistered()) {
        ASSERT_EQ(RegisterStandin(), 0u) << "regsvr32 quillix.dll";
    }
    ASSERT_TRUE(testsupport::MakeLazyWindowsWith(kClsid));
}

void Environment::TearDown()
{
    // Lets the control module go before OLE does.
    CoFreeUnusedLibraries();
    OleUninitialize();
}

void LeakCheckedTest::SetUp() { m_windowsBefore = ProcessWindows(); }

void LeakCheckedTest::TearDown()
{
    PumpMessages(0);
    EXPECT_EQ(fw::LiveContainerObjects(), 0) << "container sites or sinks still alive";
    // The control module answers S_OK only with no control and no lock left.
    if (HMODULE module = GetModuleHandleW(L"quillix.dll")) {
        using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
        auto canUnload = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        ASSERT_NE(canUnload, nullptr);
        EXPECT_EQ(canUnload(), S_OK) << "pad controls still alive";
    }
    const std::set<HWND> added = WindowsNotIn(ProcessWindows(), m_windowsBefore);
    EXPECT_EQ(added.size(), 0u) << "windows left behind:" << DescribeWindows(added);
}

} // namespace quillix::testing
