// CWnd: a window of our own (dialogs, control windows), a bound child control
// of a dialog, or the proxy of an ActiveX control created by class identifier.
#pragma once

#include <string>

#include "FwDispatch.h"
#include "FwTypes.h"

namespace fw {
class ControlSite;
// Container objects (sites and event sinks) alive in this module; tests
// check that it returns to zero.
long LiveContainerObjects();
}

class CDataExchange;
class CWnd;
LRESULT CALLBACK FwWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;  // destroys an ActiveX control it created, or a window it made

    HWND m_hWnd;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The desktop window, as a parent for hidden controls.
    static CWnd* GetDesktopWindow();

    // A window of the framework's own class (or `className`), whose messages go
    // through this object's message table. `parent` may be null.
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const char* windowName, DWORD style,
                  const RECT& rect, HWND parent, UINT id);

    // ---- ActiveX control containment ----
    // Creates the control `clsid` as a child of `parent` (the desktop window
    // included) and activates it in place. It stays hidden unless `style` has
    // WS_VISIBLE. With `persist` bytes the control loads them through
    // IPersistStreamInit::Load, else it is initialised with InitNew. FALSE when
    // the class is unknown, the control cannot make its window, or control
    // containment was not enabled (AfxEnableControlContainer).
    BOOL CreateControl(REFCLSID clsid, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                       UINT id, const void* persist = nullptr, size_t persistSize = 0);
    BOOL CreateControl(REFCLSID clsid, const char* windowName, DWORD style, const RECT& rect, HWND parent,
                       UINT id, const void* persist = nullptr, size_t persistSize = 0);
    // The hosted control's IUnknown (not AddRef'ed), or null.
    IUnknown* GetControlUnknown() const;

    // ---- automation on the hosted control ----
    // Invokes by DISPID (see fw::InvokeDispatchV for types). Throws
    // COleDispatchException on failure.
    void InvokeHelper(DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* params, ...);
    // The same, never throwing: the HRESULT of the call; on DISP_E_EXCEPTION the
    // callee's scode is in *excepScode when asked for.
    HRESULT TryInvokeHelper(DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* params, ...);
    HRESULT TryInvokeHelperV(DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* params,
                             va_list args, EXCEPINFO* excepInfo);
    void SetProperty(DISPID dispid, VARTYPE vtProp, ...);
    void GetProperty(DISPID dispid, VARTYPE vtProp, void* pvProp) const;

    // ---- window operations ----
    BOOL DestroyWindow();
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
    void MoveWindow(LPCRECT r, BOOL repaint = TRUE) { MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint); }
    void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
    void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
    void ClientToScreen(LPRECT r) const;
    void ScreenToClient(LPRECT r) const;
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text ? text : ""); }
    void GetWindowText(std::string& text) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) { return ::SendMessageW(m_hWnd, msg, w, l); }
    BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) { return ::PostMessageW(m_hWnd, msg, w, l); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) { return ::SetTimer(m_hWnd, id, elapse, proc); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    void EnableWindow(BOOL enable) { ::EnableWindow(m_hWnd, enable); }

    // Ties this object to an existing window without subclassing it (a child
    // control of a dialog), or to a hosted control's site.
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach();
    void AttachSite(fw::ControlSite* site);

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the previous window procedure for the message being handled.
    LRESULT Default();
    // Called after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}
    // Around each message: an object that counts references keeps itself
    // alive, since a handler may drop the last reference held elsewhere (a
    // control whose event makes its container release it).
    virtual void HoldForDispatch() {}
    virtual void ReleaseAfterDispatch() {}

    void OnTimer(UINT_PTR) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnDestroy() { Default(); }

    // Subclasses `hwnd` so that its messages reach WindowProc.
    void SubclassAttached(HWND hwnd);

    fw::ControlSite* m_pCtrlSite;  // hosted control, when this is a proxy
    bool m_ownsSite;               // created by CreateControl (else bound by a dialog)

private:
    friend LRESULT CALLBACK FwWindowProcedure(HWND, UINT, WPARAM, LPARAM);
    friend class fw::ControlSite;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void ReleaseSite();

    WNDPROC m_previousProc;
    UINT m_curMsg;
    WPARAM m_curWParam;
    LPARAM m_curLParam;
};

// The CWnd of a window made by this framework (null for any other window).
CWnd* FwWindowFromHandle(HWND hwnd);

// Thin wrappers over the standard child controls that the dialogs bind.
class CButton : public CWnd {};
class CEdit : public CWnd {
public:
    // Line `index`, at most `maxChars` characters (and at most 65535, the
    // most the system's line message carries).
    std::string GetLine(int index, int maxChars) const;
};
class CListBox : public CWnd {
public:
    int AddString(const char* text) { return (int)::SendMessageA(m_hWnd, LB_ADDSTRING, 0, (LPARAM)text); }
    int SetCurSel(int index) { return (int)::SendMessageA(m_hWnd, LB_SETCURSEL, (WPARAM)index, 0); }
    int GetCurSel() const { return (int)::SendMessageA(m_hWnd, LB_GETCURSEL, 0, 0); }
    int GetCount() const { return (int)::SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0); }
    void GetText(int index, std::string& text) const;
};
class CComboBox : public CWnd {
public:
    int AddString(const char* text) { return (int)::SendMessageA(m_hWnd, CB_ADDSTRING, 0, (LPARAM)text); }
    int SetCurSel(int index) { return (int)::SendMessageA(m_hWnd, CB_SETCURSEL, (WPARAM)index, 0); }
    int GetCurSel() const { return (int)::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0); }
    int GetCount() const { return (int)::SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0); }
};

// Data exchange: binding only (no values are transferred).
class CDataExchange {
public:
    CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_pDlgWnd(dlg), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};
// Binds `control` to child `id` of the dialog: a hosted ActiveX control's
// site when there is one, else the child window. A control already bound to
// a child of this dialog keeps it; one bound to a window of an earlier run
// is bound anew. An id with no child leaves `control` unbound (null handle).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
