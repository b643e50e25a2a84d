// COleControl: a windowed ActiveX control that our container, ATL-style hosts
// and scripting hosts can use. Its IDispatch is driven by a dispatch table
// (DISPID, name, member, result type, parameter types); its events go out
// through one connection point for the event interface named with
// InitializeIIDs. The window is made on in-place activation.
#pragma once

#include <ocidl.h>
#include <string>
#include <vector>

#include "FwObjectFactory.h"
#include "FwWnd.h"

namespace fw {
class ConnectionPoint;

struct DispatchEntry {
    const wchar_t* name;
    DISPID dispid;
    VARTYPE vtResult;      // methods: the result; properties: the property type
    const BYTE* params;    // methods only
    HRESULT (*method)(CCmdTarget*, VARIANT* args, const char* const* ansi, VARIANT* result, VARTYPE vtResult);
    HRESULT (*get)(CCmdTarget*, VARIANT* result, VARTYPE vt);
    HRESULT (*put)(CCmdTarget*, VARIANT* value, const char* const* ansi);
};

struct DispatchMap {
    const DispatchMap* (*base)();
    const DispatchEntry* entries;
};

// lParam of a verb row (ON_OLEVERB).
struct VerbArgs {
    LPMSG msg;
    HWND parent;
    LPCRECT rect;
};
} // namespace fw

// Property exchange for persistence: one sequence of values per control,
// read from a stream, written to one, or reset to the defaults.
class CPropExchange {
public:
    enum Mode { Loading, Saving, Resetting };
    CPropExchange(Mode mode, const std::vector<BYTE>* input) : m_mode(mode), m_input(input) {}
    BOOL IsLoading() const { return m_mode != Saving; }
    Mode GetMode() const { return m_mode; }
    DWORD GetVersion() const { return m_version; }
    bool Failed() const { return m_failed; }
    const std::vector<BYTE>& Output() const { return m_output; }

    // Raw exchange of `size` bytes; on a short read the value is left alone
    // and the exchange is marked failed.
    bool ExchangeBytes(void* data, size_t size);
    // Loading: true when `size` more bytes are there to read, else marks the
    // exchange failed. A length read from the stream is checked with it
    // before anything is allocated for it. Other modes: true.
    bool CanRead(size_t size);
    void SetVersion(DWORD version) { m_version = version; }

private:
    Mode m_mode;
    const std::vector<BYTE>* m_input;
    size_t m_pos = 0;
    std::vector<BYTE> m_output;
    DWORD m_version = 0;
    bool m_failed = false;
};

BOOL PX_Long(CPropExchange* px, const char* name, long& value, long defaultValue);
BOOL PX_Short(CPropExchange* px, const char* name, short& value, short defaultValue);
BOOL PX_Bool(CPropExchange* px, const char* name, BOOL& value, BOOL defaultValue);
BOOL PX_String(CPropExchange* px, const char* name, std::string& value, const std::string& defaultValue);
BOOL PX_Blob(CPropExchange* px, const char* name, std::vector<BYTE>& value);

class COleControl : public CWnd,
                    public IDispatch,
                    public IOleObject,
                    public IOleInPlaceObject,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IPersistStreamInit,
                    public IViewObject2,
                    public IProvideClassInfo2,
                    public IConnectionPointContainer,
                    public ISpecifyPropertyPages {
public:
    COleControl();
    ~COleControl() override;

    // The dispatch interface the table implements and the event interface.
    void InitializeIIDs(const IID* dispatchIid, const IID* eventsIid);
    // Fires event `dispid` to every connected sink (VTS_ parameter list and
    // varargs as for CWnd::InvokeHelper). Nothing happens while frozen.
    void FireEvent(DISPID dispid, const BYTE* params, ...);
    // Sinks connected to the event interface.
    size_t ConnectedSinkCount() const;
    // Number of COleControl objects alive in this module.
    static long LiveObjects();

    // ---- overridables ----
    virtual void OnDraw(CDC* dc, const CRect& bounds, const CRect& invalid);
    // Persistence; the base exchanges the control's extent.
    virtual void DoPropExchange(CPropExchange* px);
    // The base resets every property to its default through DoPropExchange.
    virtual void OnResetState();
    virtual HRESULT GetTypeLib(LCID lcid, ITypeLib** lib);
    virtual UINT GetUserTypeNameID() const { return 0; }
    virtual DWORD GetControlMiscStatus() const { return 0; }
    virtual const CLSID* GetPropPageIDs(ULONG& count) const { count = 0; return nullptr; }
    // Properties verb: opens the property pages in a property frame.
    virtual BOOL OnProperties(LPMSG msg, HWND parent, LPCRECT rect);

    // The version exchange: loads or saves the version (default when resetting).
    BOOL ExchangeVersion(CPropExchange* px, DWORD defaultVersion, BOOL convert = TRUE);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argErr) override;
    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override { if (m) *m = nullptr; return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** d) override { if (d) *d = nullptr; return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** e) override { if (e) *e = nullptr; return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG*) override { return S_OK; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL freeze) override;
    // IPersistStreamInit (GetClassID comes from DECLARE_OLECREATE_EX)
    STDMETHODIMP IsDirty() override { return m_dirty ? S_OK : S_FALSE; }
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, LPCRECTL bounds, LPCRECTL,
                      BOOL (STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** p) override
    { if (p) *p = nullptr; return S_FALSE; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;
    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override { if (e) *e = nullptr; return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    static const fw::DispatchMap* GetThisDispatchMap();
    virtual const fw::DispatchMap* GetDispatchMap() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    void HoldForDispatch() override { AddRef(); }
    void ReleaseAfterDispatch() override { Release(); }
    // The control's window, made on in-place activation.
    HRESULT InPlaceActivate(IOleClientSite* site, HWND parentHint, LPCRECT rectHint);
    // Ends the in-place activation on the site's side (OnInPlaceDeactivate).
    void LeaveInPlace();
    IOleClientSite* m_pClientSite;
    SIZEL m_extent;  // HIMETRIC

private:
    const fw::DispatchEntry* FindEntry(DISPID dispid) const;
    HRESULT CallEntry(const fw::DispatchEntry* entry, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excepInfo, UINT* argErr);
    ITypeInfo* DispatchTypeInfo();

    LONG m_refs;
    IID m_dispatchIid;
    IID m_eventsIid;
    fw::ConnectionPoint* m_eventPoint;
    IOleInPlaceSite* m_inPlaceSite;
    IOleAdviseHolder* m_adviseHolder;
    IAdviseSink* m_viewSink;
    DWORD m_viewAspects;
    DWORD m_viewFlags;
    ITypeInfo* m_typeInfo;
    LONG m_freezeCount;
    bool m_dirty;
};

// ---- dispatch tables --------------------------------------------------------

#define DECLARE_DISPATCH_MAP()                                         \
public:                                                                \
    static const ::fw::DispatchMap* GetThisDispatchMap();              \
    const ::fw::DispatchMap* GetDispatchMap() const override;

#define BEGIN_DISPATCH_MAP(theClass, baseClass)                        \
    const ::fw::DispatchMap* theClass::GetDispatchMap() const          \
    { return GetThisDispatchMap(); }                                   \
    const ::fw::DispatchMap* theClass::GetThisDispatchMap()            \
    {                                                                  \
        typedef theClass ThisClass;                                    \
        typedef baseClass TheBaseClass;                                \
        static const ::fw::DispatchEntry entries[] = {

#define END_DISPATCH_MAP()                                             \
            { nullptr, 0, VT_EMPTY, nullptr, nullptr, nullptr, nullptr } }; \
        static const ::fw::DispatchMap map = { &TheBaseClass::GetThisDispatchMap, entries }; \
        return &map;                                                   \
    }

#define FW_WIDEN2(x) L##x
#define FW_WIDEN(x) FW_WIDEN2(x)

// A method: `pfnMember` returns the C++ type of vtRetVal (void for VT_EMPTY,
// BSTR or std::string for VT_BSTR, BOOL for VT_BOOL, short, long, ...) and
// takes the C++ types of vtsParams (see ON_EVENT).
#define DISP_FUNCTION_ID(theClass, szExternalName, dispid, pfnMember, vtRetVal, vtsParams) \
    { FW_WIDEN(szExternalName), (DISPID)(dispid), (VARTYPE)(vtRetVal), (const BYTE*)(vtsParams), \
      [](::CCmdTarget* t, VARIANT* a, const char* const* s, VARIANT* r, VARTYPE vt) -> HRESULT { \
          return ::fw::detail::CallMember(static_cast<ThisClass*>(t), &theClass::pfnMember, a, s, r, vt); }, \
      nullptr, nullptr },

// A property with a get and a set member, of type vtPropType.
#define DISP_PROPERTY_EX_ID(theClass, szExternalName, dispid, pfnGet, pfnSet, vtPropType) \
    { FW_WIDEN(szExternalName), (DISPID)(dispid), (VARTYPE)(vtPropType), nullptr, nullptr, \
      [](::CCmdTarget* t, VARIANT* r, VARTYPE vt) -> HRESULT {                            \
          return ::fw::detail::CallMember(static_cast<ThisClass*>(t), &theClass::pfnGet, nullptr, nullptr, r, vt); }, \
      [](::CCmdTarget* t, VARIANT* a, const char* const* s) -> HRESULT {                  \
          return ::fw::detail::CallMember(static_cast<ThisClass*>(t), &theClass::pfnSet, a, s, nullptr, VT_EMPTY); } },

// Events are declared by the type library; the table exists for symmetry.
#define DECLARE_EVENT_MAP()
#define BEGIN_EVENT_MAP(theClass, baseClass)
#define END_EVENT_MAP()

// ---- type, type library, property pages -----------------------------------

#define DECLARE_OLETYPELIB(class_name) \
    HRESULT GetTypeLib(LCID lcid, ITypeLib** lib) override;
#define IMPLEMENT_OLETYPELIB(class_name, tlid, wVerMajor, wVerMinor) \
    HRESULT class_name::GetTypeLib(LCID lcid, ITypeLib** lib)        \
    { return ::fw::LoadModuleTypeLib(tlid, wVerMajor, wVerMinor, lcid, lib); }

#define DECLARE_OLECTLTYPE(class_name)                  \
    UINT GetUserTypeNameID() const override;            \
    DWORD GetControlMiscStatus() const override;
#define IMPLEMENT_OLECTLTYPE(class_name, idsUserTypeName, dwOleMisc) \
    UINT class_name::GetUserTypeNameID() const { return idsUserTypeName; } \
    DWORD class_name::GetControlMiscStatus() const { return dwOleMisc; }

#define DECLARE_PROPPAGEIDS(class_name) \
    const CLSID* GetPropPageIDs(ULONG& count) const override;
#define BEGIN_PROPPAGEIDS(class_name, count)                       \
    const CLSID* class_name::GetPropPageIDs(ULONG& cPropPages) const \
    {                                                              \
        const ULONG fwCount = (count);                             \
        static const CLSID pages[(count) ? (count) : 1] = {
#define PROPPAGEID(clsid) clsid,
#define END_PROPPAGEIDS(class_name)                                \
        };                                                         \
        cPropPages = fwCount;                                      \
        return pages;                                              \
    }

// BOOL OnVerb(LPMSG, HWND, LPCRECT) for the verb `verb` (OLEIVERB_PROPERTIES).
#define ON_OLEVERB(verb, memberFxn)                                            \
    { ::fw::kOleVerbMessage, (UINT)(verb), 0, [](FW_THUNK_ARGS) -> LRESULT {   \
        (void)wParam;                                                          \
        const ::fw::VerbArgs* v = reinterpret_cast<const ::fw::VerbArgs*>(lParam); \
        return static_cast<ThisClass*>(fwTarget)->memberFxn(v->msg, v->parent, v->rect); } },
#define AFX_IDS_VERB_PROPERTIES OLEIVERB_PROPERTIES
