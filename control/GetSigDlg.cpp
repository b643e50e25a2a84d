#include "GetSigDlg.h"

#include <algorithm>

#include "CaptureLayout.h"
#include "PadSettings.h"
#include "PenvanePdfIds.h"
#include "QuillixIds.h"
#include "Resource.h"

namespace {

const UINT_PTR kTimerId = 1;
const UINT kTimerPeriodMs = 2000;
// A line of the contact and location entries: a 256-character buffer,
// terminated after the characters read.
const int kMaxLineChars = 255;

// The client area of `child` relative to the client origin of `dialog`.
RECT ClientRectInParent(HWND child, HWND dialog)
{
    RECT r;
    ::GetClientRect(child, &r);
    ::MapWindowPoints(child, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ShiftDown(HWND dialog, int id, int16_t shift)
{
    HWND child = ::GetDlgItem(dialog, id);
    if (!child) return;
    RECT r = ClientRectInParent(child, dialog);
    ::MoveWindow(child, r.left, r.top + shift, r.right - r.left, r.bottom - r.top, TRUE);
}

bool HasVisibleStyle(const CWnd& control)
{
    return control.GetSafeHwnd() && (::GetWindowLongW(control.GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
}

} // namespace

BEGIN_MESSAGE_MAP(GetSigDlg, CDialog)
    ON_BN_CLICKED(IDC_ACCEPT, OnAccept)
    ON_BN_CLICKED(IDC_ERASE, OnErase)
    ON_WM_TIMER()
    ON_MESSAGE(WM_CAPTURE_TICK, OnCaptureTick)
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(GetSigDlg, CDialog)
    ON_EVENT(GetSigDlg, IDC_PAD, quillix::eventid::PadNotify, OnPadNotify, VTS_NONE)
END_EVENTSINK_MAP()

GetSigDlg::GetSigDlg() : CDialog(IDD_GETSIGDLG, nullptr) {}

void GetSigDlg::DoDataExchange(CDataExchange* dx)
{
    // Binding only: no values go to or come from the controls here.
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_ERASE, m_erase);
    DDX_Control(dx, IDC_ACCEPT, m_accept);
    DDX_Control(dx, IDC_PAD, m_pad);
    DDX_Control(dx, IDC_REASON_PICK, m_reasonPick);
    DDX_Control(dx, IDC_REASON_LIST, m_reasonList);
    DDX_Control(dx, IDC_REASON_ENTRY, m_reasonEntry);
    DDX_Control(dx, IDC_CONTACT, m_contactEntry);
    DDX_Control(dx, IDC_LOCATION, m_locationEntry);
    DDX_Control(dx, IDC_CONTACT_LABEL, m_contactLabel);
    DDX_Control(dx, IDC_LOCATION_LABEL, m_locationLabel);
}

BOOL GetSigDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // A pad that refuses a call here throws; the framework then ends the
    // dialog with -1, which the capture control reports as no capture.
    FitToPad();
    FillReasonControls();
    m_timerId = SetTimer(kTimerId, kTimerPeriodMs);
    StartCapture();
    return TRUE;  // the focus goes to the first tab stop, Cancel
}

void GetSigDlg::FitToPad()
{
    RECT desktop;
    ::GetClientRect(::GetDesktopWindow(), &desktop);
    RECT client;
    GetClientRect(&client);
    const RECT pad = ClientRectInParent(m_pad.GetSafeHwnd(), m_hWnd);

    penvane::CaptureLayoutInput in;
    in.desktopWidth = desktop.right - desktop.left;
    in.desktopHeight = desktop.bottom - desktop.top;
    in.clientWidth = client.right - client.left;
    in.clientHeight = client.bottom - client.top;
    in.pad = {pad.left, pad.top, pad.right - pad.left, pad.bottom - pad.top};
    in.padExtentX = m_pad.GetPadExtentX();
    in.padExtentY = m_pad.GetPadExtentY();
    const penvane::CaptureLayout layout = penvane::ComputeCaptureLayout(in);

    MoveWindow(layout.dialog.x, layout.dialog.y, layout.dialog.width, layout.dialog.height, TRUE);
    m_pad.MoveWindow(layout.pad.x, layout.pad.y, layout.pad.width, layout.pad.height, TRUE);
    for (int id : {IDC_ACCEPT, IDC_ERASE, IDCANCEL, IDC_CONTACT, IDC_LOCATION, IDC_CONTACT_LABEL, IDC_LOCATION_LABEL})
        ShiftDown(m_hWnd, id, layout.controlShift);
    m_contactLabel.SetWindowText("Contact");
    m_locationLabel.SetWindowText("Location");
    for (int id : {IDC_REASON_LIST, IDC_REASON_PICK, IDC_REASON_ENTRY})
        ShiftDown(m_hWnd, id, layout.controlShift);
}

void GetSigDlg::FillReasonControls()
{
    for (const char* reason : penvane::kPredefinedReasons) {
        m_reasonList.AddString(reason);
        m_reasonList.SetCurSel(0);
    }
    // The capture control keeps m_numReasons equal to the array's size and
    // within its limit; a caller that does not is offered only the entries
    // that exist, and no more than that limit, so that filling the boxes
    // stays short and Cancel is answered at once.
    const size_t offered =
        std::min({(size_t)std::max(m_numReasons, 0), m_reasons.size(), (size_t)penvanepdf::kMaxReasons});
    for (size_t i = 0; i < offered; ++i) {
        m_reasonPick.AddString(m_reasons[i].c_str());
        m_reasonEntry.AddString(m_reasons[i].c_str());
    }
    // Both sort their items: item 0 is the alphabetically first reason.
    // Selected once, at the end: each selection sets the entry's text anew,
    // which costs far more than adding an item.
    if (offered) {
        m_reasonPick.SetCurSel(0);
        m_reasonEntry.SetCurSel(0);
    }
    for (CWnd* control : {(CWnd*)&m_reasonList, (CWnd*)&m_reasonPick, (CWnd*)&m_reasonEntry, (CWnd*)&m_contactEntry,
                          (CWnd*)&m_locationEntry, (CWnd*)&m_contactLabel, (CWnd*)&m_locationLabel})
        control->ShowWindow(SW_HIDE);
    switch (penvane::ChooseReasonControl(m_reasonRequired, m_numReasons)) {
    case penvane::ReasonControl::PredefinedList: m_reasonList.ShowWindow(SW_SHOW); break;
    case penvane::ReasonControl::PickList: m_reasonPick.ShowWindow(SW_SHOW); break;
    case penvane::ReasonControl::EntryCombo: m_reasonEntry.ShowWindow(SW_SHOW); break;
    case penvane::ReasonControl::None: break;
    }
}

void GetSigDlg::StartCapture()
{
    m_pad.SetCaptureState(1);
    m_pad.EnablePadFeature(1);
    m_pad.SetPadFeatureFlag(1);
}

void GetSigDlg::OnTimer(UINT_PTR id)
{
    PostMessage(WM_CAPTURE_TICK, 0, 0);
    CDialog::OnTimer(id);
}

LRESULT GetSigDlg::OnCaptureTick(WPARAM, LPARAM)
{
    return 0;
}

void GetSigDlg::OnErase()
{
    try {
        m_pad.ClearPad();
    } catch (...) {
        // nothing was erased; the signer can try again or cancel
    }
}

std::string GetSigDlg::ChosenReason()
{
    std::string reason = penvane::kDefaultReason;
    if (HasVisibleStyle(m_reasonList)) {
        const int selected = m_reasonList.GetCurSel();
        if (selected >= 0) m_reasonList.GetText(selected, reason);
    }
    if (HasVisibleStyle(m_reasonPick)) m_reasonPick.GetWindowText(reason);
    if (HasVisibleStyle(m_reasonEntry)) m_reasonEntry.GetWindowText(reason);
    return reason;
}

void GetSigDlg::OnAccept()
{
    UpdateData(TRUE);
    std::string signature;
    short points = 0;
    try {
        m_pad.SetCaptureState(0);
        points = m_pad.GetPointCount();
        if (penvane::MeetsMinPoints(points, m_minPoints)) signature = m_pad.GetSignatureString();
    } catch (...) {
        // A pad that fails to answer yields no signature: a rejection, never
        // an accepted capture with an empty string.
        Reject();
        return;
    }
    if (!penvane::MeetsMinPoints(points, m_minPoints)) {
        Reject();
        return;
    }
    m_sigString = signature;
    m_reason = ChosenReason();
    m_contactInfo = m_contactEntry.GetLine(0, kMaxLineChars);
    m_location = m_locationEntry.GetLine(0, kMaxLineChars);
    KillTimer(m_timerId);
    EndDialog(IDOK);
}

void GetSigDlg::Reject()
{
    try {
        m_pad.ClearPad();
    } catch (...) {
    }
    m_sigString.clear();
    EndDialog(IDCANCEL);
}

void GetSigDlg::OnCancel()
{
    try {
        m_pad.SetCaptureState(0);
    } catch (...) {
    }
    try {
        m_pad.ClearPad();
    } catch (...) {
    }
    m_sigString.clear();
    KillTimer(m_timerId);
    EndDialog(IDCANCEL);
}

void GetSigDlg::OnOK()
{
    // Enter outside a push button. Ending with 1 here would report an
    // accepted capture without reading the pad (an empty signature string);
    // accepting by accident while choosing a reason is no better. Enter does
    // nothing: the signer presses Accept.
}
