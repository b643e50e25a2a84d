#include "QuillixTestSupport.h"

#include "Framework.h"
#include "QuillixIds.h"

namespace quillix::testing {

std::wstring WinePath(const char* unixPath)
{
    std::wstring w = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        w += (*p == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return w;
}

std::string SampleStrokeFile()
{
    std::wstring w = WinePath(QUILLIX_SAMPLE_STROKES);
    return std::string(w.begin(), w.end());
}

DWORD RunProcess(const std::wstring& commandLine, std::string* output)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return 0xFFFFFFFFu;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;
    BOOL started =
        CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return 0xFFFFFFFFu;
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    CloseHandle(readEnd);
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0xFFFFFFFEu;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (output) *output = text;
    return code;
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
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS)
        return false;
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

void PumpMessages(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms) Sleep(5);
    } while (GetTickCount() - start < ms);
}

namespace {
BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::set<HWND>*>(param)->insert(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    reinterpret_cast<std::set<HWND>*>(param)->insert(hwnd);
    EnumChildWindows(hwnd, CollectChild, param);
    return TRUE;
}
} // namespace

std::set<HWND> ProcessWindows()
{
    std::set<HWND> windows;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    // Children of the desktop made by this process are top-level windows too.
    return windows;
}

void Environment::SetUp()
{
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    AfxEnableControlContainer();
    if (!StandinRegistered()) {
        ASSERT_EQ(RegisterStandin(), 0u) << "regsvr32 quillix.dll";
    }
    CWnd warm;
    ASSERT_TRUE(warm.CreateControl(kClsid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), 1));
    warm.DestroyWindow();
    PumpMessages(50);
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
    std::set<HWND> after = ProcessWindows();
    size_t added = 0;
    for (HWND h : after)
        if (!m_windowsBefore.count(h)) ++added;
    EXPECT_EQ(added, 0u) << "windows left behind";
}

} // namespace quillix::testing
