// Modal dialogs from templates that host ActiveX controls, driven from a
// second thread with posted messages, as a person would drive them.
#include <atomic>
#include <thread>

#include "TestSupport.h"

namespace {

class TestDialog : public CDialog {
public:
    explicit TestDialog(UINT templateId) : CDialog(templateId) {}
    std::atomic<int> ticks{0};
    std::atomic<int> privateMessages{0};
    long acceptedPoints = -1;
    long eventPoints = -1;
    short initialLevel = -1;
    bool tabOrderKept = false;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, kTestControlId, m_control);
        DDX_Control(dx, kTestAcceptId, m_accept);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_control.GetProperty(20, VT_I2, &initialLevel);
        // Template order Cancel, control, Accept is also the window (tab) order.
        HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
        tabOrderKept = ::GetWindow(cancel, GW_HWNDNEXT) == m_control.GetSafeHwnd() &&
                       ::GetWindow(m_control.GetSafeHwnd(), GW_HWNDNEXT) == m_accept.GetSafeHwnd();
        SetTimer(1, 20);
        return TRUE;
    }
    void OnTimer(UINT_PTR id)
    {
        ++ticks;
        PostMessage(kTestPrivateMessage, 0, 0);
        CDialog::OnTimer(id);
    }
    LRESULT OnPrivate(WPARAM, LPARAM)
    {
        ++privateMessages;
        return 0;
    }
    void OnAccept()
    {
        m_control.InvokeHelper(10, DISPATCH_METHOD, VT_I4, &acceptedPoints, (const BYTE*)VTS_NONE);
        KillTimer(1);
        EndDialog(IDOK);
    }
    void OnStrokeEnded(long points) { eventPoints = points; }

    CWnd m_control;
    CButton m_accept;
    DECLARE_MESSAGE_MAP()
    DECLARE_EVENTSINK_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
    ON_WM_TIMER()
    ON_MESSAGE(kTestPrivateMessage, OnPrivate)
    ON_BN_CLICKED(kTestAcceptId, OnAccept)
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(TestDialog, CDialog)
    ON_EVENT(TestDialog, kTestControlId, 3, OnStrokeEnded, VTS_I4)
END_EVENTSINK_MAP()

struct Search {
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {}, title[128] = {};
    GetClassNameW(hwnd, cls, 32);
    GetWindowTextW(hwnd, title, 128);
    if (pid == GetCurrentProcessId() && lstrcmpW(cls, L"#32770") == 0 && lstrcmpW(title, search->caption) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Waits for this process's dialog (ctest runs other test programs beside
// us) to be shown with its hosted control made.
HWND WaitForDialog(const wchar_t* caption)
{
    for (int i = 0; i < 500; ++i) {
        Search search = {caption, nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        HWND dlg = search.found;
        if (dlg && IsWindowVisible(dlg) && GetDlgItem(dlg, kTestControlId)) return dlg;
        Sleep(10);
    }
    return nullptr;
}

// The person at the dialog: waits for it, optionally drags on the control,
// presses `button`; closes it with Cancel if the press did not end it.
void Drive(TestDialog* dialog, int moves, int button)
{
    HWND dlg = WaitForDialog(L"Framework Test Dialog");
    if (!dlg) return;
    for (int i = 0; i < 500 && dialog->ticks < 1; ++i) Sleep(10);
    if (moves >= 0) {
        HWND control = GetDlgItem(dlg, kTestControlId);
        PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        for (int i = 1; i <= moves; ++i) PostMessageW(control, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5 + i, 5 + i));
        PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5 + moves, 5 + moves));
    }
    PostMessageW(GetDlgItem(dlg, button), BM_CLICK, 0, 0);
    for (int i = 0; i < 300 && IsWindow(dlg); ++i) Sleep(10);
    if (IsWindow(dlg)) PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
}

class Dialog : public FrameworkTest {};

TEST_F(Dialog, MouseDragOnTheHostedControlThenAccept)
{
    TestDialog dialog(kTestDialog);
    std::thread person(Drive, &dialog, 8, kTestAcceptId);
    INT_PTR result = dialog.DoModal();
    person.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.initialLevel, 7) << "initial stream of the template's control";
    EXPECT_TRUE(dialog.tabOrderKept);
    EXPECT_EQ(dialog.acceptedPoints, 10) << "down, eight moves, up";
    EXPECT_EQ(dialog.eventPoints, 10) << "event from the hosted control";
    EXPECT_GE(dialog.ticks.load(), 1);
    EXPECT_GE(dialog.privateMessages.load(), 1);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

TEST_F(Dialog, CancelButtonEndsWithTwo)
{
    TestDialog dialog(kTestDialog);
    std::thread person(Drive, &dialog, -1, IDCANCEL);
    INT_PTR result = dialog.DoModal();
    person.join();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.acceptedPoints, -1);
}

TEST_F(Dialog, SecondRunOfTheSameObjectBindsTheNewChildren)
{
    TestDialog dialog(kTestDialog);
    for (int run = 0; run < 2; ++run) {
        dialog.tabOrderKept = false;
        std::thread person(Drive, &dialog, -1, IDCANCEL);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        person.join();
        EXPECT_TRUE(dialog.tabOrderKept) << "run " << run << ": the Accept button is bound to its live window";
    }
}

TEST_F(Dialog, TemplateThatCannotBeCreatedReturnsNeitherOneNorTwo)
{
    for (UINT id : {(UINT)kTestDialogUnknownControl, (UINT)kTestDialogWindowless, 999u}) {
        TestDialog dialog(id);
        EXPECT_EQ(dialog.DoModal(), -1) << "template " << id;
        EXPECT_EQ(dialog.ticks.load(), 0);
    }
}

} // namespace
