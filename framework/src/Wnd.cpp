#include "FwWnd.h"

#include <string>
#include <vector>

#include "ControlSite.h"
#include "FwApp.h"

namespace {
// Window property naming this module's CWnd of a window. Each module links its
// own copy of the framework, so the name carries the module: a window made by
// another module's copy is never taken for one of ours.
const wchar_t* WndProp()
{
    static const std::wstring name = [] {
        wchar_t text[64];
        wsprintfW(text, L"Penvane.Framework.CWnd.%p", (void*)AfxGetInstanceHandle());
        return std::wstring(text);
    }();
    return name.c_str();
}
const wchar_t kWndClass[] = L"Penvane.Framework.Window";

bool RegisterFrameworkClass()
{
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(AfxGetInstanceHandle(), kWndClass, &existing)) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = FwWindowProcedure;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWndClass;
    return RegisterClassExW(&wc) != 0;
}
} // namespace

LRESULT CALLBACK FwWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FwWindowFromHandle(hwnd);
    if (!wnd && message == WM_NCCREATE) {
        wnd = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (wnd) {
            wnd->m_hWnd = hwnd;
            SetPropW(hwnd, WndProp(), wnd);
        }
    }
    if (!wnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    return wnd->Dispatch(message, wParam, lParam);
}

CWnd* FwWindowFromHandle(HWND hwnd)
{
    return hwnd ? static_cast<CWnd*>(GetPropW(hwnd, WndProp())) : nullptr;
}

CWnd::CWnd()
    : m_hWnd(nullptr), m_pCtrlSite(nullptr), m_ownsSite(false), m_previousProc(nullptr), m_curMsg(0),
      m_curWParam(0), m_curLParam(0)
{
}

CWnd::~CWnd()
{
    if (m_pCtrlSite) {
        if (m_ownsSite) ReleaseSite();
        else if (m_pCtrlSite->Bound() == this) m_pCtrlSite->Bind(nullptr);
    } else if (m_hWnd && FwWindowFromHandle(m_hWnd) == this) {
        ::DestroyWindow(m_hWnd);
    }
    if (m_hWnd && FwWindowFromHandle(m_hWnd) == this) {
        // Still alive after all (destroy refused): never leave a dangling pointer behind.
        RemovePropW(m_hWnd, WndProp());
        if (m_previousProc) SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_previousProc);
    }
}

CWnd* CWnd::GetDesktopWindow()
{
    static CWnd desktop;
    desktop.m_hWnd = ::GetDesktopWindow();
    return &desktop;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const char* windowName, DWORD style,
                    const RECT& rect, HWND parent, UINT id)
{
    if (m_hWnd) return FALSE;
    if (!className) {
        if (!RegisterFrameworkClass()) return FALSE;
        className = kWndClass;
    }
    std::wstring title = fw::AnsiToWide(windowName ? windowName : "", windowName ? strlen(windowName) : 0);
    HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd = CreateWindowExW(exStyle, className, title.c_str(), style, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId,
                                AfxGetInstanceHandle(), this);
    if (!hwnd) {
        m_hWnd = nullptr;
        return FALSE;
    }
    if (!FwWindowFromHandle(hwnd)) SubclassAttached(hwnd);  // a foreign class
    return TRUE;
}

void CWnd::SubclassAttached(HWND hwnd)
{
    m_hWnd = hwnd;
    SetPropW(hwnd, WndProp(), this);
    m_previousProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)FwWindowProcedure));
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    HoldForDispatch();
    const UINT savedMsg = m_curMsg;
    const WPARAM savedW = m_curWParam;
    const LPARAM savedL = m_curLParam;
    m_curMsg = message;
    m_curWParam = wParam;
    m_curLParam = lParam;
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        // A window procedure is a C callback: nothing may unwind through it.
        result = 0;
    }
    m_curMsg = savedMsg;
    m_curWParam = savedW;
    m_curLParam = savedL;
    if (message == WM_NCDESTROY) {
        HWND gone = m_hWnd;
        if (gone) RemovePropW(gone, WndProp());
        m_hWnd = nullptr;
        m_previousProc = nullptr;
        PostNcDestroy();
    }
    ReleaseAfterDispatch();  // last: it may end this object
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (DispatchMessageToTable(message, wParam, lParam, &result)) return result;
    return Default();
}

LRESULT CWnd::Default()
{
    if (m_previousProc) return CallWindowProcW(m_previousProc, m_hWnd, m_curMsg, m_curWParam, m_curLParam);
    return DefWindowProcW(m_hWnd, m_curMsg, m_curWParam, m_curLParam);
}

// ---- containment ----

BOOL CWnd::CreateControl(REFCLSID clsid, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                         UINT id, const void* persist, size_t persistSize)
{
    return CreateControl(clsid, windowName, style, rect, parent ? parent->m_hWnd : nullptr, id, persist,
                         persistSize);
}

BOOL CWnd::CreateControl(REFCLSID clsid, const char* windowName, DWORD style, const RECT& rect, HWND parent,
                         UINT id, const void* persist, size_t persistSize)
{
    if (m_hWnd || m_pCtrlSite) return FALSE;
    fw::ControlSpec desc = {clsid, parent, id, style, rect, windowName, persist, persistSize};
    fw::ControlSite* site = nullptr;
    if (FAILED(fw::ControlSite::Create(desc, &site))) return FALSE;
    m_pCtrlSite = site;
    m_ownsSite = true;
    m_hWnd = site->Window();
    site->Bind(this);
    return TRUE;
}

void CWnd::AttachSite(fw::ControlSite* site)
{
    if (m_pCtrlSite == site) return;
    if (m_pCtrlSite) {
        // The previous site must not keep pointing at this object.
        if (m_ownsSite) ReleaseSite();
        else m_pCtrlSite->Bind(nullptr);
    }
    m_pCtrlSite = site;
    m_ownsSite = false;
    m_hWnd = site ? site->Window() : nullptr;
    if (!site) return;
    // A site points back at one object: another one bound to it (two
    // members bound to one control) lets go, so neither is left holding a
    // site that no longer knows it.
    CWnd* previous = site->Bound();
    if (previous && previous != this && !previous->m_ownsSite) {
        previous->m_pCtrlSite = nullptr;
        previous->m_hWnd = nullptr;
    }
    site->Bind(this);
}

void CWnd::ReleaseSite()
{
    fw::ControlSite* site = m_pCtrlSite;
    m_pCtrlSite = nullptr;
    m_hWnd = nullptr;
    if (!site) return;
    site->Bind(nullptr);
    site->Destroy();
    site->Release();
}

IUnknown* CWnd::GetControlUnknown() const
{
    return m_pCtrlSite ? m_pCtrlSite->ControlUnknown() : nullptr;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (m_pCtrlSite && !m_ownsSite) {
        if (m_pCtrlSite->Bound() == this) m_pCtrlSite->Bind(nullptr);
        m_pCtrlSite = nullptr;
    }
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::DestroyWindow()
{
    if (m_pCtrlSite) {
        if (!m_ownsSite) return FALSE;  // a dialog's control goes with its dialog
        ReleaseSite();
        return TRUE;
    }
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

// ---- automation ----

HRESULT CWnd::TryInvokeHelperV(DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* params,
                               va_list args, EXCEPINFO* excepInfo)
{
    IDispatch* dispatch = m_pCtrlSite ? m_pCtrlSite->ControlDispatch() : nullptr;
    if (!dispatch) return OLE_E_NOTRUNNING;
    return fw::InvokeDispatchV(dispatch, dispid, wFlags, vtRet, pvRet, params, args, excepInfo);
}

HRESULT CWnd::TryInvokeHelper(DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* params, ...)
{
    va_list args;
    va_start(args, params);
    HRESULT hr = TryInvokeHelperV(dispid, wFlags, vtRet, pvRet, params, args, nullptr);
    va_end(args);
    return hr;
}

namespace {
[[noreturn]] void ThrowDispatchFailure(HRESULT hr, EXCEPINFO& info)
{
    SCODE scode = hr;
    std::string description;
    if (hr == DISP_E_EXCEPTION) {
        if (info.scode) scode = info.scode;
        description = fw::BstrToAnsi(info.bstrDescription);
    }
    WORD code = info.wCode;
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    if (description.empty()) {
        char text[64];
        wsprintfA(text, "automation call failed (0x%08lX)", (unsigned long)scode);
        description = text;
    }
    throw COleDispatchException(scode, description, code);
}
} // namespace

void CWnd::InvokeHelper(DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* params, ...)
{
    va_list args;
    va_start(args, params);
    EXCEPINFO info = {};
    HRESULT hr = TryInvokeHelperV(dispid, wFlags, vtRet, pvRet, params, args, &info);
    va_end(args);
    if (FAILED(hr)) ThrowDispatchFailure(hr, info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
}

void CWnd::SetProperty(DISPID dispid, VARTYPE vtProp, ...)
{
    BYTE params[2] = {(BYTE)vtProp, 0};
    va_list args;
    va_start(args, vtProp);
    EXCEPINFO info = {};
    HRESULT hr = TryInvokeHelperV(dispid, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, params, args, &info);
    va_end(args);
    if (FAILED(hr)) ThrowDispatchFailure(hr, info);
}

void CWnd::GetProperty(DISPID dispid, VARTYPE vtProp, void* pvProp) const
{
    EXCEPINFO info = {};
    IDispatch* dispatch = m_pCtrlSite ? m_pCtrlSite->ControlDispatch() : nullptr;
    HRESULT hr = dispatch ? fw::InvokeDispatch(dispatch, dispid, DISPATCH_PROPERTYGET, vtProp, pvProp, &info,
                                               (const BYTE*)VTS_NONE)
                          : OLE_E_NOTRUNNING;
    if (FAILED(hr)) ThrowDispatchFailure(hr, info);
}

// ---- window helpers ----

void CWnd::ClientToScreen(LPRECT r) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(r), 2);
}

void CWnd::ScreenToClient(LPRECT r) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(r), 2);
}

void CWnd::GetWindowText(std::string& text) const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> buffer((size_t)(n > 0 ? n : 0) + 1, '\0');
    int got = ::GetWindowTextA(m_hWnd, buffer.data(), (int)buffer.size());
    text.assign(buffer.data(), (size_t)(got > 0 ? got : 0));
}

std::string CEdit::GetLine(int index, int maxChars) const
{
    if (maxChars <= 0) return std::string();
    // EM_GETLINE: the first WORD of the buffer holds its size; the text is not
    // terminated. A WORD holds at most 65535: a larger limit must not wrap.
    if (maxChars > 0xFFFF) maxChars = 0xFFFF;
    std::vector<char> buffer((size_t)maxChars + sizeof(WORD), '\0');
    *reinterpret_cast<WORD*>(buffer.data()) = (WORD)maxChars;
    LRESULT got = ::SendMessageA(m_hWnd, EM_GETLINE, (WPARAM)index, (LPARAM)buffer.data());
    if (got <= 0) return std::string();
    if (got > maxChars) got = maxChars;
    return std::string(buffer.data(), (size_t)got);
}

void CListBox::GetText(int index, std::string& text) const
{
    LRESULT n = ::SendMessageA(m_hWnd, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (n == LB_ERR) {
        text.clear();
        return;
    }
    std::vector<char> buffer((size_t)n + 1, '\0');
    LRESULT got = ::SendMessageA(m_hWnd, LB_GETTEXT, (WPARAM)index, (LPARAM)buffer.data());
    text.assign(buffer.data(), got > 0 ? (size_t)got : 0);
}
