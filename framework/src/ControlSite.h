// The container's side of one hosted ActiveX control: the client site with
// its in-place site and frame, the control site, the ambient properties, and
// an event sink connected to the control's default source interface.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

class CWnd;

namespace fw {

class EventSink;

// A private ambient property of this framework's container: true when the
// control is to stay hidden, so that its window is made hidden rather than
// shown and hidden at once (which costs the platform a second window's worth
// of work). Other containers do not answer it: their controls show as ever.
constexpr DISPID kAmbientStartHidden = 0x46570001;

struct ControlSpec {
    CLSID clsid;
    HWND parent;
    UINT id;
    DWORD style;
    RECT rect;
    const char* text;
    const void* persist;
    size_t persistSize;
};

class ControlSite final : public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IOleControlSite,
                    public IDispatch {
public:
    // A running control, or the failure; on success *out holds one reference.
    static HRESULT Create(const ControlSpec& desc, ControlSite** out);

    // Disconnects and closes the control, releases it and makes sure its
    // window is gone. Safe to call twice.
    void Destroy();

    HWND Window() const { return m_hwnd; }
    UINT Id() const { return m_id; }
    IDispatch* ControlDispatch() const { return m_dispatch; }
    IUnknown* ControlUnknown() const { return m_object; }
    void Bind(CWnd* wnd) { m_bound = wnd; }
    CWnd* Bound() const { return m_bound; }

    // Routes an event fired by the control to the parent window's event table.
    HRESULT OnControlEvent(DISPID dispid, DISPPARAMS* params, EXCEPINFO* excepInfo);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override { if (m) *m = nullptr; return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** c) override { if (c) *c = nullptr; return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { m_inPlace = true; return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { m_inPlace = false; return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override;
    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** d) override { if (d) *d = nullptr; return E_NOTIMPL; }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { if (n) *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** t) override { if (t) *t = nullptr; return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override;

private:
    explicit ControlSite(const ControlSpec& desc);
    ~ControlSite();
    HRESULT Start(const ControlSpec& desc);
    void ConnectEvents();

    LONG m_refs = 1;
    HWND m_parent;
    UINT m_id;
    RECT m_rect;
    bool m_visible;
    HWND m_hwnd = nullptr;
    bool m_inPlace = false;
    IOleObject* m_object = nullptr;
    IDispatch* m_dispatch = nullptr;
    EventSink* m_sink = nullptr;
    IConnectionPoint* m_eventPoint = nullptr;
    DWORD m_eventCookie = 0;
    CWnd* m_bound = nullptr;
};

} // namespace fw
