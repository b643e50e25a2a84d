#include "TestSupport.h"

#include <vector>

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
    auto* windows = reinterpret_cast<std::set<HWND>*>(param);
    windows->insert(hwnd);
    EnumChildWindows(hwnd, CollectChild, param);
    return TRUE;
}

// OLE, containment and the in-process test classes, for the whole program.
class FrameworkEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        AfxEnableControlContainer();
        ASSERT_EQ(COleObjectFactory::RegisterAll(), S_OK);
        // Let the system make its lazily created helper windows now, so that
        // they do not count as left behind by the first test.
        CWnd warm;
        ASSERT_TRUE(warm.CreateControl(CFwTestCtrl::guid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), 1));
        warm.DestroyWindow();
        PumpMessages(50);
    }
    void TearDown() override
    {
        COleObjectFactory::RevokeAll();
        OleUninitialize();
    }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new FrameworkEnvironment);

} // namespace

std::set<HWND> ProcessWindows()
{
    std::set<HWND> windows;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string DescribeWindows(const std::set<HWND>& windows)
{
    std::string text;
    for (HWND hwnd : windows) {
        char cls[128] = {}, title[128] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        GetWindowTextA(hwnd, title, sizeof title);
        text += std::string(" [") + cls + " \"" + title + "\"]";
    }
    return text;
}

void FrameworkTest::SetUp()
{
    m_windowsBefore = ProcessWindows();
}

void FrameworkTest::TearDown()
{
    PumpMessages(0);
    EXPECT_EQ(COleControl::LiveObjects(), 0) << "controls still alive";
    EXPECT_EQ(fw::LiveContainerObjects(), 0) << "container sites or sinks still alive";
    EXPECT_EQ(COlePropertyPage::LiveObjects(), 0) << "property pages still alive";
    EXPECT_EQ(AfxOleGetObjectCount(), 0) << "module objects or locks outstanding";
    std::set<HWND> after = ProcessWindows();
    std::set<HWND> added, removed;
    for (HWND h : after)
        if (!m_windowsBefore.count(h)) added.insert(h);
    for (HWND h : m_windowsBefore)
        if (!after.count(h)) removed.insert(h);
    EXPECT_TRUE(added.empty()) << "windows left behind:" << DescribeWindows(added);
    EXPECT_TRUE(removed.empty()) << "windows gone that were there before:" << removed.size();
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

std::wstring WinePath(const char* unixPath)
{
    std::wstring w = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        w += (*p == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return w;
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
    BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
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
