#include "ControlSite.h"

#include <olectl.h>

#include "FwApp.h"
#include "FwStrings.h"
#include "FwWnd.h"

namespace fw {

namespace {
LONG g_liveContainerObjects = 0;

template <class T> void SafeRelease(T*& p)
{
    if (p) {
        T* tmp = p;
        p = nullptr;
        tmp->Release();
    }
}

// The default source interface of a control: from IProvideClassInfo2, else
// from the coclass's type information.
bool FindEventInterface(IUnknown* control, IID* iid)
{
    IProvideClassInfo2* info2 = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo2, (void**)&info2))) {
        HRESULT hr = info2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, iid);
        info2->Release();
        if (SUCCEEDED(hr)) return true;
    }
    IProvideClassInfo* info = nullptr;
    if (FAILED(control->QueryInterface(IID_IProvideClassInfo, (void**)&info))) return false;
    ITypeInfo* coclass = nullptr;
    HRESULT hr = info->GetClassInfo(&coclass);
    info->Release();
    if (FAILED(hr)) return false;
    bool found = false;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(coclass->GetTypeAttr(&attr))) {
        for (UINT i = 0; i < attr->cImplTypes && !found; ++i) {
            INT flags = 0;
            if (FAILED(coclass->GetImplTypeFlags(i, &flags))) continue;
            if ((flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) != (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
                continue;
            HREFTYPE ref = 0;
            ITypeInfo* source = nullptr;
            if (SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref)) && SUCCEEDED(coclass->GetRefTypeInfo(ref, &source))) {
                TYPEATTR* sattr = nullptr;
                if (SUCCEEDED(source->GetTypeAttr(&sattr))) {
                    *iid = sattr->guid;
                    found = true;
                    source->ReleaseTypeAttr(sattr);
                }
                source->Release();
            }
        }
        coclass->ReleaseTypeAttr(attr);
    }
    coclass->Release();
    return found;
}
} // namespace

long LiveContainerObjects()
{
    return g_liveContainerObjects;
}

// The container's sink for the control's events. It is a separate object so
// that its IDispatch is not confused with the site's ambient-property one.
class EventSink final : public IDispatch {
public:
    EventSink(ControlSite* owner, REFIID iid) : m_owner(owner), m_iid(iid) { InterlockedIncrement(&g_liveContainerObjects); }
    void Orphan() { m_owner = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_iid) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_refs);
        if (n == 0) {
            InterlockedDecrement(&g_liveContainerObjects);
            delete this;
        }
        return (ULONG)n;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { if (n) *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** t) override { if (t) *t = nullptr; return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT*) override
    {
        if (result) VariantInit(result);
        if (!m_owner) return S_OK;
        return m_owner->OnControlEvent(dispid, params, excepInfo);
    }

private:
    ~EventSink() = default;
    LONG m_refs = 1;
    ControlSite* m_owner;
    IID m_iid;
};

ControlSite::ControlSite(const ControlSpec& desc)
    : m_parent(desc.parent), m_id(desc.id), m_rect(desc.rect), m_visible((desc.style & WS_VISIBLE) != 0)
{
    InterlockedIncrement(&g_liveContainerObjects);
}

ControlSite::~ControlSite()
{
    InterlockedDecrement(&g_liveContainerObjects);
}

HRESULT ControlSite::Create(const ControlSpec& desc, ControlSite** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!ControlContainmentEnabled()) return E_UNEXPECTED;
    ControlSite* site = new (std::nothrow) ControlSite(desc);
    if (!site) return E_OUTOFMEMORY;
    HRESULT hr = site->Start(desc);
    if (FAILED(hr)) {
        site->Destroy();
        site->Release();
        return hr;
    }
    *out = site;
    return S_OK;
}

HRESULT ControlSite::Start(const ControlSpec& desc)
{
    HRESULT hr = CoCreateInstance(desc.clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IOleObject,
                                  (void**)&m_object);
    if (FAILED(hr)) return hr;

    DWORD misc = 0;
    m_object->GetMiscStatus(DVASPECT_CONTENT, &misc);
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) {
        hr = m_object->SetClientSite(this);
        if (FAILED(hr)) return hr;
    }

    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(m_object->QueryInterface(IID_IPersistStreamInit, (void**)&persist))) {
        if (desc.persist && desc.persistSize) {
            IStream* stream = nullptr;
            hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
            if (SUCCEEDED(hr)) {
                ULONG written = 0;
                hr = stream->Write(desc.persist, (ULONG)desc.persistSize, &written);
                LARGE_INTEGER zero = {};
                if (SUCCEEDED(hr)) hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
                if (SUCCEEDED(hr)) hr = persist->Load(stream);
                stream->Release();
            }
        } else {
            hr = persist->InitNew();
        }
        persist->Release();
        if (FAILED(hr)) return hr;
    } else if (desc.persist && desc.persistSize) {
        return E_NOINTERFACE;  // initial state given but the control cannot take it
    }

    if (!siteFirst) {
        hr = m_object->SetClientSite(this);
        if (FAILED(hr)) return hr;
    }
    m_object->SetHostNames(L"Container", nullptr);
    m_object->QueryInterface(IID_IDispatch, (void**)&m_dispatch);
    ConnectEvents();

    hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_parent, &m_rect);
    if (FAILED(hr)) return hr;

    IOleInPlaceObject* inPlace = nullptr;
    hr = m_object->QueryInterface(IID_IOleInPlaceObject, (void**)&inPlace);
    if (FAILED(hr)) return hr;
    hr = inPlace->GetWindow(&m_hwnd);
    inPlace->Release();
    if (FAILED(hr) || !m_hwnd || !IsWindow(m_hwnd)) {
        m_hwnd = nullptr;
        return FAILED(hr) ? hr : E_FAIL;
    }

    SetWindowLongPtrW(m_hwnd, GWLP_ID, (LONG_PTR)m_id);
    const DWORD kept = WS_TABSTOP | WS_GROUP | WS_DISABLED;
    DWORD style = (DWORD)GetWindowLongPtrW(m_hwnd, GWL_STYLE);
    const DWORD wanted = (style & ~kept) | (desc.style & kept);
    // Every change of a window costs a round trip to the window system: make
    // only the ones needed (a hidden control usually comes hidden already).
    if (wanted != style) SetWindowLongPtrW(m_hwnd, GWL_STYLE, (LONG_PTR)wanted);
    if (desc.text && *desc.text) SetWindowTextA(m_hwnd, desc.text);
    if (((wanted & WS_VISIBLE) != 0) != m_visible) ::ShowWindow(m_hwnd, m_visible ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}

void ControlSite::ConnectEvents()
{
    IID events;
    if (!FindEventInterface(m_object, &events)) return;
    IConnectionPointContainer* container = nullptr;
    if (FAILED(m_object->QueryInterface(IID_IConnectionPointContainer, (void**)&container))) return;
    if (SUCCEEDED(container->FindConnectionPoint(events, &m_eventPoint))) {
        m_sink = new (std::nothrow) EventSink(this, events);
        if (!m_sink || FAILED(m_eventPoint->Advise(m_sink, &m_eventCookie))) {
            m_eventCookie = 0;
            SafeRelease(m_eventPoint);
        }
    }
    container->Release();
}

void ControlSite::Destroy()
{
    if (m_bound) {
        CWnd* bound = m_bound;
        m_bound = nullptr;
        bound->m_pCtrlSite = nullptr;
        bound->m_hWnd = nullptr;
    }
    if (m_eventPoint) {
        if (m_eventCookie) m_eventPoint->Unadvise(m_eventCookie);
        m_eventCookie = 0;
        SafeRelease(m_eventPoint);
    }
    if (m_sink) {
        m_sink->Orphan();
        SafeRelease(m_sink);
    }
    SafeRelease(m_dispatch);
    if (m_object) {
        AddRef();  // the control may drop its last reference to us while closing
        if (m_inPlace) {
            IOleInPlaceObject* inPlace = nullptr;
            if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, (void**)&inPlace))) {
                inPlace->InPlaceDeactivate();
                inPlace->Release();
            }
        }
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
        SafeRelease(m_object);
        Release();
    }
    // A control that left its window behind must not leak it.
    if (m_hwnd && IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

HRESULT ControlSite::OnControlEvent(DISPID dispid, DISPPARAMS* params, EXCEPINFO* excepInfo)
{
    CWnd* target = FwWindowFromHandle(m_parent);
    if (!target) return S_OK;
    HRESULT hr = target->DispatchEventToTable(m_id, dispid, params);
    if (hr == DISP_E_EXCEPTION && excepInfo) FillExcepInfo(excepInfo, E_FAIL, "event handler failed", nullptr);
    return FAILED(hr) ? hr : S_OK;
}

STDMETHODIMP ControlSite::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) *ppv = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) *ppv = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IOleControlSite) *ppv = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IDispatch) *ppv = static_cast<IDispatch*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ControlSite::AddRef()
{
    return (ULONG)InterlockedIncrement(&m_refs);
}

STDMETHODIMP_(ULONG) ControlSite::Release()
{
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) delete this;
    return (ULONG)n;
}

STDMETHODIMP ControlSite::GetWindow(HWND* hwnd)
{
    if (!hwnd) return E_POINTER;
    *hwnd = m_parent;
    return m_parent ? S_OK : E_FAIL;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;
    *pos = m_rect;
    *clip = m_rect;
    info->cb = sizeof(OLEINPLACEFRAMEINFO);
    info->fMDIApp = FALSE;
    info->hwndFrame = m_parent;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::OnPosRectChange(LPCRECT rect)
{
    if (!rect) return E_POINTER;
    m_rect = *rect;
    if (!m_object) return S_OK;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, (void**)&inPlace))) {
        inPlace->SetObjectRects(&m_rect, &m_rect);
        inPlace->Release();
    }
    return S_OK;
}

STDMETHODIMP ControlSite::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                 EXCEPINFO*, UINT*)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    switch (dispid) {
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_AUTOCLIP:
        V_VT(result) = VT_BOOL; V_BOOL(result) = VARIANT_TRUE; return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        V_VT(result) = VT_BOOL; V_BOOL(result) = VARIANT_FALSE; return S_OK;
    case kAmbientStartHidden:
        V_VT(result) = VT_BOOL; V_BOOL(result) = m_visible ? VARIANT_FALSE : VARIANT_TRUE; return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        V_VT(result) = VT_I4; V_I4(result) = (LONG)GetUserDefaultLCID(); return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
        V_VT(result) = VT_I4; V_I4(result) = (LONG)(0x80000000u | COLOR_BTNFACE); return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
        V_VT(result) = VT_I4; V_I4(result) = (LONG)(0x80000000u | COLOR_BTNTEXT); return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace fw
