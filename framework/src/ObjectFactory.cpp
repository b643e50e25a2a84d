#include "FwObjectFactory.h"

#include "FwApp.h"

namespace {
// Constant-initialised: factories may link themselves in before any dynamic
// initialiser of this file runs.
COleObjectFactory* g_firstFactory = nullptr;
} // namespace

COleObjectFactory::COleObjectFactory(REFCLSID clsid, fw::CreateObjectFn create, const char* progId)
    : m_clsid(clsid), m_create(create), m_lpszProgID(progId), m_next(nullptr), m_cookie(0)
{
    // Append, so that registration follows declaration order.
    COleObjectFactory** slot = &g_firstFactory;
    while (*slot) slot = &(*slot)->m_next;
    *slot = this;
}

COleObjectFactory::~COleObjectFactory()
{
    for (COleObjectFactory** slot = &g_firstFactory; *slot; slot = &(*slot)->m_next) {
        if (*slot == this) {
            *slot = m_next;
            break;
        }
    }
}

BOOL COleObjectFactory::UpdateRegistry(BOOL)
{
    return TRUE;
}

BOOL COleObjectFactory::UpdateRegistryAll(BOOL bRegister)
{
    for (COleObjectFactory* f = g_firstFactory; f; f = f->m_next)
        if (!f->UpdateRegistry(bRegister)) return FALSE;
    return TRUE;
}

HRESULT COleObjectFactory::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (COleObjectFactory* f = g_firstFactory; f; f = f->m_next) {
        if (f->m_clsid != clsid) continue;
        if (!AfxModuleStartup()) return E_UNEXPECTED;
        return f->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT COleObjectFactory::CanUnloadNow()
{
    if (AfxOleGetObjectCount() != 0) return S_FALSE;
    AfxModuleShutdown();
    return S_OK;
}

HRESULT COleObjectFactory::RegisterAll()
{
    for (COleObjectFactory* f = g_firstFactory; f; f = f->m_next) {
        if (f->m_cookie) continue;
        HRESULT hr = CoRegisterClassObject(f->m_clsid, static_cast<IClassFactory*>(f), CLSCTX_INPROC_SERVER,
                                           REGCLS_MULTIPLEUSE, &f->m_cookie);
        if (FAILED(hr)) {
            f->m_cookie = 0;
            RevokeAll();
            return hr;
        }
    }
    return S_OK;
}

void COleObjectFactory::RevokeAll()
{
    for (COleObjectFactory* f = g_firstFactory; f; f = f->m_next) {
        if (f->m_cookie) CoRevokeClassObject(f->m_cookie);
        f->m_cookie = 0;
    }
}

STDMETHODIMP COleObjectFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP COleObjectFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!m_create) return E_UNEXPECTED;
    try {
        return m_create(riid, ppv);
    } catch (...) {
        return E_UNEXPECTED;  // a constructor that throws must not unwind into COM
    }
}

STDMETHODIMP COleObjectFactory::LockServer(BOOL lock)
{
    if (lock) AfxOleLockApp();
    else AfxOleUnlockApp();
    return S_OK;
}
