#include "FwPropertyPage.h"

#include "FwApp.h"

namespace {
LONG g_livePages = 0;
}

COlePropertyPage::COlePropertyPage(UINT templateId, UINT captionId)
    : CDialog(templateId), m_captionId(captionId), m_refs(1), m_site(nullptr)
{
    InterlockedIncrement(&g_livePages);
    AfxOleLockApp();
}

COlePropertyPage::~COlePropertyPage()
{
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    ReleaseObjects();
    if (m_site) m_site->Release();
    InterlockedDecrement(&g_livePages);
    AfxOleUnlockApp();
}

long COlePropertyPage::LiveObjects()
{
    return g_livePages;
}

STDMETHODIMP COlePropertyPage::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyPage) {
        *ppv = static_cast<IPropertyPage*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COlePropertyPage::AddRef()
{
    return (ULONG)InterlockedIncrement(&m_refs);
}

STDMETHODIMP_(ULONG) COlePropertyPage::Release()
{
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) {
        m_refs = 1;
        delete this;
    }
    return (ULONG)n;
}

STDMETHODIMP COlePropertyPage::SetPageSite(IPropertyPageSite* site)
{
    if (site) site->AddRef();
    if (m_site) m_site->Release();
    m_site = site;
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Activate(HWND parent, LPCRECT rect, BOOL)
{
    if (!rect) return E_POINTER;
    if (m_hWnd) return E_UNEXPECTED;
    if (!CreateModeless(parent)) return E_FAIL;
    ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Deactivate()
{
    if (!m_hWnd) return E_UNEXPECTED;
    ::DestroyWindow(m_hWnd);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::GetPageInfo(PROPPAGEINFO* info)
{
    if (!info) return E_POINTER;
    *info = PROPPAGEINFO();
    info->cb = sizeof(PROPPAGEINFO);
    wchar_t caption[256] = {};
    int n = LoadStringW(AfxGetResourceHandle(), m_captionId, caption, 256);
    const size_t bytes = ((n > 0 ? (size_t)n : 0) + 1) * sizeof(wchar_t);
    info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!info->pszTitle) return E_OUTOFMEMORY;
    memcpy(info->pszTitle, caption, bytes);
    // The size in pixels: the template's dialog units as its font maps them,
    // measured on a hidden instance when the page is not showing.
    RECT r = {0, 0, 0, 0};
    if (m_hWnd) {
        ::GetWindowRect(m_hWnd, &r);
    } else if (CreateModeless(::GetDesktopWindow())) {
        ::GetWindowRect(m_hWnd, &r);
        ::DestroyWindow(m_hWnd);
    }
    info->size.cx = r.right - r.left;
    info->size.cy = r.bottom - r.top;
    return S_OK;
}

void COlePropertyPage::ReleaseObjects()
{
    for (IUnknown* o : m_objects) o->Release();
    m_objects.clear();
}

STDMETHODIMP COlePropertyPage::SetObjects(ULONG count, IUnknown** objects)
{
    if (count && !objects) return E_POINTER;
    ReleaseObjects();
    for (ULONG i = 0; i < count; ++i) {
        if (!objects[i]) continue;
        objects[i]->AddRef();
        m_objects.push_back(objects[i]);
    }
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Show(UINT cmd)
{
    if (!m_hWnd) return E_UNEXPECTED;
    ::ShowWindow(m_hWnd, (int)cmd);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Move(LPCRECT rect)
{
    if (!rect) return E_POINTER;
    if (!m_hWnd) return E_UNEXPECTED;
    ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Apply()
{
    if (m_hWnd) UpdateData(TRUE);
    return S_OK;
}
