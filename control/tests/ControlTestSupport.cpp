#include "ControlTestSupport.h"

#include <cstdio>

#include "FakePad.h"
#include "FrameworkChecks.h"
#include "Framework.h"
#include "PadSettings.h"
#include "PenvanePdfCtrl.h"
#include "PenvanePdfPropPage.h"
#include "QuillixIds.h"
#include "ScreenShot.h"

namespace {

// The pad stand-in's class factory, from its module in the build tree.
IClassFactory* StandInFactory()
{
    static IClassFactory* factory = nullptr;
    if (factory) return factory;
    HMODULE module = LoadLibraryW(WinePath(QUILLIX_MODULE_PATH).c_str());
    if (!module) return nullptr;
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObjectFn>(GetProcAddress(module, "DllGetClassObject"));
    if (!get || FAILED(get(quillix::kClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
    return factory;
}

DWORD g_classCookies[2] = {};

// A pad class that cannot be created.
class MissingPadFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = (riid == IID_IUnknown || riid == IID_IClassFactory) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** ppv) override
    {
        if (ppv) *ppv = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
MissingPadFactory g_missingPad;

class ControlEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        AfxEnableControlContainer();
        // Only this module's two classes: the fake pad is made available per test.
        ASSERT_EQ(CoRegisterClassObject(CPenvanePdfCtrl::guid, &CPenvanePdfCtrl::factory, CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &g_classCookies[0]), S_OK);
        ASSERT_EQ(CoRegisterClassObject(CPenvanePdfPropPage::guid, &CPenvanePdfPropPage::factory,
                                        CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &g_classCookies[1]), S_OK);
        ASSERT_NE(StandInFactory(), nullptr) << "pad stand-in " << QUILLIX_MODULE_PATH;
        // Let the system make its lazily created helper windows now.
        DWORD cookie = 0;
        ASSERT_EQ(CoRegisterClassObject(quillix::kClsid, StandInFactory(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                        &cookie), S_OK);
        const bool warmed = testsupport::MakeLazyWindowsWith(quillix::kClsid);
        CoRevokeClassObject(cookie);
        ASSERT_TRUE(warmed);
    }
    void TearDown() override
    {
        for (DWORD cookie : g_classCookies) CoRevokeClassObject(cookie);
        OleUninitialize();
    }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new ControlEnvironment);

struct Search {
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM param)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {}, title[64] = {};
    GetClassNameW(hwnd, cls, 32);
    GetWindowTextW(hwnd, title, 64);
    if (pid == GetCurrentProcessId() && lstrcmpW(cls, L"#32770") == 0 && lstrcmpW(title, L"Signature Capture") == 0) {
        reinterpret_cast<Search*>(param)->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void ControlTest::SetUp()
{
    fake_pad::Reset();
    IClassFactory* factory = m_padKind == PadKind::Fake      ? fake_pad::Factory()
                             : m_padKind == PadKind::Missing ? static_cast<IClassFactory*>(&g_missingPad)
                                                             : StandInFactory();
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(CoRegisterClassObject(quillix::kClsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_padCookie),
              S_OK);
    m_windowsBefore = ProcessWindows();
}

void ControlTest::TearDown()
{
    PumpMessages(0);
    CoRevokeClassObject(m_padCookie);
    testsupport::ExpectNoFrameworkObjectsAlive();
    const std::set<HWND> after = ProcessWindows();
    const std::set<HWND> added = WindowsNotIn(after, m_windowsBefore);
    EXPECT_EQ(added.size(), 0u) << "windows left behind:" << DescribeWindows(added);
    EXPECT_EQ(WindowsNotIn(m_windowsBefore, after).size(), 0u) << "windows gone that were there before";
}

void ControlTestWithoutSettings::SetUp()
{
    ControlTest::SetUp();
    RemoveSettings();
}

void ControlTestWithoutSettings::TearDown()
{
    RemoveSettings();
    ControlTest::TearDown();
}

void WriteSettings(const std::string& text)
{
    ASSERT_TRUE(WriteSettingsFile(text));
}

void RemoveSettings()
{
    RemoveSettingsFile();
}

HWND WaitForCaptureDialog()
{
    for (int i = 0; i < 500; ++i) {
        Search search = {nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        HWND dlg = search.found;
        if (dlg && IsWindowVisible(dlg) && GetDlgItem(dlg, 203) && GetDlgItem(dlg, 220)) {
            Settle(dlg);
            return dlg;
        }
        Sleep(10);
    }
    return nullptr;
}

void PostStroke(HWND pad, int x, int y, int moves)
{
    PostMessageW(pad, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    for (int i = 1; i <= moves; ++i)
        PostMessageW(pad, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 3 * i, y + (i % 7) * 2));
    PostMessageW(pad, WM_LBUTTONUP, 0, MAKELPARAM(x + 3 * moves, y + (moves % 7) * 2));
}

void Settle(HWND dialog)
{
    // WM_NULL sent from another thread is handled only when the dialog's
    // thread next retrieves messages, after what was posted before.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    Sleep(20);
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

void Click(HWND dialog, int id)
{
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool WaitClosedOrCancel(HWND dialog)
{
    for (int i = 0; i < 300 && IsWindow(dialog); ++i) Sleep(10);
    if (!IsWindow(dialog)) return true;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 300 && IsWindow(dialog); ++i) Sleep(10);
    return false;
}

std::string SaveScreenshot(const char* name)
{
    const std::string unixPath = std::string(CONTROL_ARTIFACT_DIR) + "/" + name + ".png";
    CreateDirectoryW(WinePath(CONTROL_ARTIFACT_DIR).c_str(), nullptr);
    return SaveScreenAsPng(WinePath(unixPath.c_str())) ? unixPath : std::string();
}
