#include "FwOleControl.h"

#include <new>

#include "ConnectionPoint.h"
#include "ControlSite.h"
#include "FwApp.h"

namespace {
LONG g_liveControls = 0;
const size_t kMaxPersistedBytes = 16u << 20;  // refuse absurd streams instead of exhausting memory

template <class T> void SafeRelease(T*& p)
{
    if (p) {
        T* tmp = p;
        p = nullptr;
        tmp->Release();
    }
}
} // namespace

COleControl::COleControl()
    : m_pClientSite(nullptr), m_refs(1), m_dispatchIid(IID_IDispatch), m_eventsIid(GUID_NULL),
      m_eventPoint(nullptr), m_inPlaceSite(nullptr), m_adviseHolder(nullptr), m_viewSink(nullptr),
      m_viewAspects(0), m_viewFlags(0), m_typeInfo(nullptr), m_freezeCount(0), m_dirty(false)
{
    m_extent.cx = 2540;  // one inch, in HIMETRIC
    m_extent.cy = 2540;
    InterlockedIncrement(&g_liveControls);
    AfxOleLockApp();
}

COleControl::~COleControl()
{
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    delete m_eventPoint;
    SafeRelease(m_inPlaceSite);
    SafeRelease(m_pClientSite);
    SafeRelease(m_adviseHolder);
    SafeRelease(m_viewSink);
    SafeRelease(m_typeInfo);
    InterlockedDecrement(&g_liveControls);
    AfxOleUnlockApp();
}

long COleControl::LiveObjects()
{
    return g_liveControls;
}

void COleControl::InitializeIIDs(const IID* dispatchIid, const IID* eventsIid)
{
    if (dispatchIid) m_dispatchIid = *dispatchIid;
    if (eventsIid) {
        m_eventsIid = *eventsIid;
        delete m_eventPoint;
        m_eventPoint = new fw::ConnectionPoint(static_cast<IConnectionPointContainer*>(this), m_eventsIid);
    }
}

size_t COleControl::ConnectedSinkCount() const
{
    return m_eventPoint ? m_eventPoint->Count() : 0;
}

void COleControl::FireEvent(DISPID dispid, const BYTE* params, ...)
{
    if (!m_eventPoint || m_freezeCount > 0) return;
    va_list args;
    va_start(args, params);
    fw::DispArgs built;
    HRESULT hr = built.Build(params, args);
    va_end(args);
    if (FAILED(hr)) return;
    AddRef();  // a handler may release the last outside reference
    for (IDispatch* sink : m_eventPoint->Snapshot()) {
        DISPPARAMS dp = built.Params(false);
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr);
        sink->Release();
    }
    Release();
}

// ---- IUnknown ----

STDMETHODIMP COleControl::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_dispatchIid) *ppv = static_cast<IDispatch*>(this);
    else if (riid == IID_IOleObject) *ppv = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) *ppv = static_cast<IOleInPlaceObject*>(this);
    else if (riid == IID_IOleInPlaceActiveObject) *ppv = static_cast<IOleInPlaceActiveObject*>(this);
    else if (riid == IID_IOleControl) *ppv = static_cast<IOleControl*>(this);
    else if (riid == IID_IPersist || riid == IID_IPersistStreamInit) *ppv = static_cast<IPersistStreamInit*>(this);
    else if (riid == IID_IViewObject || riid == IID_IViewObject2) *ppv = static_cast<IViewObject2*>(this);
    else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) *ppv = static_cast<IProvideClassInfo2*>(this);
    else if (riid == IID_IConnectionPointContainer && m_eventPoint) *ppv = static_cast<IConnectionPointContainer*>(this);
    else if (riid == IID_ISpecifyPropertyPages) *ppv = static_cast<ISpecifyPropertyPages*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControl::AddRef()
{
    return (ULONG)InterlockedIncrement(&m_refs);
}

STDMETHODIMP_(ULONG) COleControl::Release()
{
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) {
        m_refs = 1;  // guard against re-entry while tearing down
        if (m_eventPoint) m_eventPoint->DisconnectAll();
        delete this;
    }
    return (ULONG)n;
}

// ---- IDispatch ----

ITypeInfo* COleControl::DispatchTypeInfo()
{
    if (m_typeInfo) return m_typeInfo;
    ITypeLib* lib = nullptr;
    if (SUCCEEDED(GetTypeLib(LOCALE_USER_DEFAULT, &lib)) && lib) {
        lib->GetTypeInfoOfGuid(m_dispatchIid, &m_typeInfo);
        lib->Release();
    }
    return m_typeInfo;
}

HRESULT COleControl::GetTypeLib(LCID, ITypeLib** lib)
{
    if (lib) *lib = nullptr;
    return TYPE_E_LIBNOTREGISTERED;
}

STDMETHODIMP COleControl::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP COleControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* ti = DispatchTypeInfo();
    if (!ti) return TYPE_E_ELEMENTNOTFOUND;
    ti->AddRef();
    *info = ti;
    return S_OK;
}

STDMETHODIMP COleControl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    if (count == 0) return S_OK;
    if (ITypeInfo* ti = DispatchTypeInfo()) return DispGetIDsOfNames(ti, names, count, ids);
    // No type library: the table's names (parameter names are unknown).
    HRESULT hr = S_OK;
    ids[0] = DISPID_UNKNOWN;
    for (const fw::DispatchMap* map = GetDispatchMap(); map && ids[0] == DISPID_UNKNOWN;
         map = map->base ? map->base() : nullptr) {
        for (const fw::DispatchEntry* e = map->entries; e->name; ++e) {
            if (names[0] && lstrcmpiW(e->name, names[0]) == 0) {
                ids[0] = e->dispid;
                break;
            }
        }
    }
    if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

const fw::DispatchMap* COleControl::GetThisDispatchMap()
{
    static const fw::DispatchEntry entries[] = {{nullptr, 0, VT_EMPTY, nullptr, nullptr, nullptr, nullptr}};
    static const fw::DispatchMap map = {nullptr, entries};
    return &map;
}

const fw::DispatchMap* COleControl::GetDispatchMap() const
{
    return GetThisDispatchMap();
}

const fw::DispatchEntry* COleControl::FindEntry(DISPID dispid) const
{
    for (const fw::DispatchMap* map = GetDispatchMap(); map; map = map->base ? map->base() : nullptr)
        for (const fw::DispatchEntry* e = map->entries; e->name; ++e)
            if (e->dispid == dispid) return e;
    return nullptr;
}

STDMETHODIMP COleControl::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* excepInfo, UINT* argErr)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const fw::DispatchEntry* entry = FindEntry(dispid);
    if (!entry) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    if (result) VariantInit(result);
    AddRef();  // the member may release the caller's last reference (a dialog, say)
    HRESULT hr = CallEntry(entry, flags, params, result, excepInfo, argErr);
    Release();
    return hr;
}

HRESULT COleControl::CallEntry(const fw::DispatchEntry* entry, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excepInfo, UINT* argErr)
{
    fw::CoercedArgs args;
    HRESULT hr;
    enum { Method, Get, Put } kind;
    if (entry->method) {
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs) return DISP_E_NONAMEDARGS;
        hr = args.Coerce(params, entry->params, argErr);
        kind = Method;
    } else if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!entry->put) return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
        if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTOPTIONAL;
        const BYTE type[2] = {(BYTE)entry->vtResult, 0};
        DISPPARAMS one = {params->rgvarg, nullptr, 1, 0};
        hr = args.Coerce(&one, type, argErr);
        kind = Put;
    } else if (flags & DISPATCH_PROPERTYGET) {
        if (!entry->get) return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs) return DISP_E_BADPARAMCOUNT;
        hr = S_OK;
        kind = Get;
    } else {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (FAILED(hr)) return hr;

    // Nothing thrown by a member may cross COM: exceptions become DISP_E_EXCEPTION.
    SCODE scode = S_OK;
    std::string description;
    try {
        switch (kind) {
        case Method: return entry->method(this, args.Values(), args.Ansi(), result, entry->vtResult);
        case Get: return entry->get(this, result, entry->vtResult);
        case Put: return entry->put(this, args.Values(), args.Ansi());
        }
    } catch (const COleDispatchException& e) {
        scode = e.m_scError;
        description = e.m_strDescription;
    } catch (const std::invalid_argument& e) {
        scode = E_INVALIDARG;
        description = e.what();
    } catch (const std::bad_alloc&) {
        scode = E_OUTOFMEMORY;
        description = "out of memory";
    } catch (const std::exception& e) {
        scode = E_FAIL;
        description = e.what();
    } catch (...) {
        scode = E_UNEXPECTED;
        description = "unexpected failure";
    }
    if (result) VariantClear(result);
    fw::FillExcepInfo(excepInfo, scode, description, entry->name);
    return DISP_E_EXCEPTION;
}

// ---- IOleObject ----

STDMETHODIMP COleControl::SetClientSite(IOleClientSite* site)
{
    if (site) site->AddRef();
    SafeRelease(m_pClientSite);
    m_pClientSite = site;
    return S_OK;
}

STDMETHODIMP COleControl::GetClientSite(IOleClientSite** site)
{
    if (!site) return E_POINTER;
    *site = m_pClientSite;
    if (m_pClientSite) m_pClientSite->AddRef();
    return S_OK;
}

STDMETHODIMP COleControl::Close(DWORD)
{
    InPlaceDeactivate();
    if (m_adviseHolder) m_adviseHolder->SendOnClose();
    return S_OK;
}

namespace {

// Whether this framework's own container asked for a hidden control (its
// private ambient property); any other container gets a shown window.
bool ContainerWantsHidden(IOleClientSite* site)
{
    IDispatch* ambient = nullptr;
    if (FAILED(site->QueryInterface(IID_IDispatch, (void**)&ambient))) return false;
    VARIANT value;
    VariantInit(&value);
    DISPPARAMS none = {};
    const HRESULT hr =
        ambient->Invoke(fw::kAmbientStartHidden, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    ambient->Release();
    const bool hidden = SUCCEEDED(hr) && V_VT(&value) == VT_BOOL && V_BOOL(&value) == VARIANT_TRUE;
    VariantClear(&value);
    return hidden;
}

} // namespace

HRESULT COleControl::InPlaceActivate(IOleClientSite* site, HWND parentHint, LPCRECT rectHint)
{
    if (m_hWnd) return S_OK;
    if (!site) site = m_pClientSite;
    if (!site) return E_UNEXPECTED;
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, (void**)&inPlace))) return OLEOBJ_E_INVALIDVERB;
    if (inPlace->CanInPlaceActivate() != S_OK) {
        inPlace->Release();
        return E_FAIL;
    }
    inPlace->OnInPlaceActivate();
    HWND parent = parentHint;
    inPlace->GetWindow(&parent);
    RECT pos = rectHint ? *rectHint : RECT{0, 0, 0, 0};
    RECT clip = pos;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* doc = nullptr;
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    if (SUCCEEDED(inPlace->GetWindowContext(&frame, &doc, &pos, &clip, &info))) {
        SafeRelease(frame);
        SafeRelease(doc);
    }
    if (!CreateEx(0, nullptr, nullptr, WS_CHILD | WS_CLIPSIBLINGS, pos, parent, 0)) {
        inPlace->OnInPlaceDeactivate();
        inPlace->Release();
        return E_FAIL;
    }
    if (!ContainerWantsHidden(site)) ::ShowWindow(m_hWnd, SW_SHOWNA);
    m_inPlaceSite = inPlace;
    return S_OK;
}

STDMETHODIMP COleControl::DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG, HWND parent, LPCRECT rect)
{
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: {
        HRESULT hr = InPlaceActivate(site, parent, rect);
        if (SUCCEEDED(hr) && verb == OLEIVERB_SHOW && m_hWnd) ::ShowWindow(m_hWnd, SW_SHOW);
        return hr;
    }
    case OLEIVERB_HIDE:
        if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
    default: {
        fw::VerbArgs args = {msg, parent, rect};
        LRESULT handled = 0;
        if (DispatchMessageToTable(fw::kOleVerbMessage, (WPARAM)(UINT)verb, (LPARAM)&args, &handled))
            return handled ? S_OK : E_FAIL;
        if (verb == OLEIVERB_PROPERTIES) return OnProperties(msg, parent, rect) ? S_OK : E_FAIL;
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
    }
}

BOOL COleControl::OnProperties(LPMSG, HWND parent, LPCRECT)
{
    ULONG count = 0;
    const CLSID* pages = GetPropPageIDs(count);
    if (!count) return FALSE;
    IUnknown* self = static_cast<IDispatch*>(this);
    HRESULT hr = OleCreatePropertyFrame(parent, 0, 0, nullptr, 1, &self, count, const_cast<CLSID*>(pages),
                                        GetUserDefaultLCID(), 0, nullptr);
    return SUCCEEDED(hr);
}

STDMETHODIMP COleControl::GetUserType(DWORD, LPOLESTR* type)
{
    if (!type) return E_POINTER;
    *type = nullptr;
    UINT id = GetUserTypeNameID();
    wchar_t buffer[256] = {};
    if (!id || LoadStringW(AfxGetResourceHandle(), id, buffer, 256) <= 0) return OLE_S_USEREG;
    size_t bytes = (wcslen(buffer) + 1) * sizeof(wchar_t);
    *type = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!*type) return E_OUTOFMEMORY;
    memcpy(*type, buffer, bytes);
    return S_OK;
}

STDMETHODIMP COleControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    m_extent = *size;
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP COleControl::Advise(IAdviseSink* sink, DWORD* cookie)
{
    if (!m_adviseHolder && FAILED(CreateOleAdviseHolder(&m_adviseHolder))) return E_OUTOFMEMORY;
    return m_adviseHolder->Advise(sink, cookie);
}

STDMETHODIMP COleControl::Unadvise(DWORD cookie)
{
    return m_adviseHolder ? m_adviseHolder->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP COleControl::EnumAdvise(IEnumSTATDATA** e)
{
    if (!e) return E_POINTER;
    *e = nullptr;
    return m_adviseHolder ? m_adviseHolder->EnumAdvise(e) : S_OK;
}

STDMETHODIMP COleControl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? GetControlMiscStatus() : 0;
    return S_OK;
}

// ---- in-place ----

STDMETHODIMP COleControl::GetWindow(HWND* hwnd)
{
    if (!hwnd) return E_POINTER;
    *hwnd = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP COleControl::InPlaceDeactivate()
{
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    if (m_inPlaceSite) {
        IOleInPlaceSite* site = m_inPlaceSite;
        m_inPlaceSite = nullptr;
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

STDMETHODIMP COleControl::SetObjectRects(LPCRECT pos, LPCRECT)
{
    if (!pos) return E_POINTER;
    if (m_hWnd) ::MoveWindow(m_hWnd, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
    return S_OK;
}

void COleControl::PostNcDestroy()
{
    // The window went away under us (its parent was destroyed): the control is
    // no longer active in place.
    SafeRelease(m_inPlaceSite);
}

LRESULT COleControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        LRESULT handled = 0;
        if (DispatchMessageToTable(message, wParam, lParam, &handled)) return handled;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        CRect bounds;
        ::GetClientRect(m_hWnd, &bounds);
        CDC dc(hdc);
        OnDraw(&dc, bounds, CRect(ps.rcPaint));
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void COleControl::OnDraw(CDC*, const CRect&, const CRect&) {}

// ---- IOleControl ----

STDMETHODIMP COleControl::GetControlInfo(CONTROLINFO* info)
{
    if (!info) return E_POINTER;
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP COleControl::FreezeEvents(BOOL freeze)
{
    if (freeze) ++m_freezeCount;
    else if (m_freezeCount > 0) --m_freezeCount;
    return S_OK;
}

// ---- persistence ----

void COleControl::DoPropExchange(CPropExchange* px)
{
    long cx = m_extent.cx, cy = m_extent.cy;
    PX_Long(px, "_ExtentX", cx, 2540);
    PX_Long(px, "_ExtentY", cy, 2540);
    m_extent.cx = cx;
    m_extent.cy = cy;
}

void COleControl::OnResetState()
{
    CPropExchange px(CPropExchange::Resetting, nullptr);
    DoPropExchange(&px);
}

BOOL COleControl::ExchangeVersion(CPropExchange* px, DWORD defaultVersion, BOOL convert)
{
    if (!px) return FALSE;
    DWORD version = defaultVersion;
    switch (px->GetMode()) {
    case CPropExchange::Resetting:
        break;
    case CPropExchange::Saving:
        px->ExchangeBytes(&version, sizeof version);
        break;
    case CPropExchange::Loading:
        if (!px->ExchangeBytes(&version, sizeof version)) return FALSE;
        if (version != defaultVersion && !convert) return FALSE;
        break;
    }
    px->SetVersion(version);
    return TRUE;
}

STDMETHODIMP COleControl::Load(LPSTREAM stream)
{
    if (!stream) return E_POINTER;
    std::vector<BYTE> bytes;
    BYTE chunk[4096];
    for (;;) {
        ULONG got = 0;
        HRESULT hr = stream->Read(chunk, sizeof chunk, &got);
        if (FAILED(hr)) return hr;
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > kMaxPersistedBytes) return STG_E_MEDIUMFULL;
        if (got < sizeof chunk) break;
    }
    CPropExchange px(CPropExchange::Loading, &bytes);
    try {
        DoPropExchange(&px);
    } catch (...) {
        return E_FAIL;
    }
    if (px.Failed()) {
        OnResetState();  // a truncated stream leaves the defaults, not half a state
        return STG_E_READFAULT;
    }
    m_dirty = false;
    return S_OK;
}

STDMETHODIMP COleControl::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (!stream) return E_POINTER;
    CPropExchange px(CPropExchange::Saving, nullptr);
    try {
        DoPropExchange(&px);
    } catch (...) {
        return E_FAIL;
    }
    ULONG written = 0;
    HRESULT hr = stream->Write(px.Output().data(), (ULONG)px.Output().size(), &written);
    if (SUCCEEDED(hr) && clearDirty) m_dirty = false;
    return hr;
}

STDMETHODIMP COleControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) return E_POINTER;
    CPropExchange px(CPropExchange::Saving, nullptr);
    try {
        DoPropExchange(&px);
    } catch (...) {
        return E_FAIL;
    }
    size->QuadPart = px.Output().size();
    return S_OK;
}

STDMETHODIMP COleControl::InitNew()
{
    try {
        OnResetState();
    } catch (...) {
        return E_FAIL;
    }
    m_dirty = false;
    return S_OK;
}

// ---- IViewObject2 ----

STDMETHODIMP COleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, LPCRECTL bounds, LPCRECTL,
                               BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!hdcDraw || !bounds) return E_INVALIDARG;
    CRect rect(bounds->left, bounds->top, bounds->right, bounds->bottom);
    CDC dc(hdcDraw);
    OnDraw(&dc, rect, rect);
    return S_OK;
}

STDMETHODIMP COleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    if (sink) sink->AddRef();
    SafeRelease(m_viewSink);
    m_viewSink = sink;
    m_viewAspects = aspects;
    m_viewFlags = flags;
    return S_OK;
}

STDMETHODIMP COleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects) *aspects = m_viewAspects;
    if (flags) *flags = m_viewFlags;
    if (sink) {
        *sink = m_viewSink;
        if (m_viewSink) m_viewSink->AddRef();
    }
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

// ---- class information and events ----

STDMETHODIMP COleControl::GetClassInfo(ITypeInfo** info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    CLSID clsid;
    HRESULT hr = GetClassID(&clsid);
    if (FAILED(hr)) return hr;
    ITypeLib* lib = nullptr;
    hr = GetTypeLib(LOCALE_USER_DEFAULT, &lib);
    if (FAILED(hr)) return hr;
    hr = lib->GetTypeInfoOfGuid(clsid, info);
    lib->Release();
    return hr;
}

STDMETHODIMP COleControl::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = m_eventsIid;
    return m_eventPoint ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP COleControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!m_eventPoint || riid != m_eventsIid) return CONNECT_E_NOCONNECTION;
    *point = m_eventPoint;
    m_eventPoint->AddRef();
    return S_OK;
}

STDMETHODIMP COleControl::GetPages(CAUUID* pages)
{
    if (!pages) return E_POINTER;
    ULONG count = 0;
    const CLSID* ids = GetPropPageIDs(count);
    pages->cElems = 0;
    pages->pElems = nullptr;
    if (!count) return S_OK;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(count * sizeof(GUID)));
    if (!pages->pElems) return E_OUTOFMEMORY;
    for (ULONG i = 0; i < count; ++i) pages->pElems[i] = ids[i];
    pages->cElems = count;
    return S_OK;
}
