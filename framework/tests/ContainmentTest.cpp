// Creating ActiveX controls by class identifier as child windows.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "../src/ControlSite.h"
#include "FwTestLib.h"
#include "TestSupport.h"

namespace {

const CLSID kUnknownClsid = {0x1b891f96, 0x7017, 0x472b, {0x81, 0xa5, 0x6d, 0xf1, 0x9b, 0x09, 0x29, 0x17}};
const UINT kChildId = 2001;

// A plain window of ours that receives the events of the control it hosts.
class EventHost : public CWnd {
public:
    std::vector<std::string> seen;

protected:
    void OnValue(long value, const char* text) { seen.push_back("Value " + std::to_string(value) + " " + text); }
    void OnNotify() { seen.push_back("Notify"); }
    DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(EventHost, CWnd)
    ON_EVENT(EventHost, kChildId, 2, OnValue, VTS_I4 VTS_BSTR)
    ON_EVENT(EventHost, kChildId, 1, OnNotify, VTS_NONE)
END_EVENTSINK_MAP()

// The persisted state of the test control: version, extent, Level, Caption.
std::vector<BYTE> TestControlState(short level)
{
    std::vector<BYTE> bytes;
    auto put = [&bytes](const void* p, size_t n) {
        bytes.insert(bytes.end(), static_cast<const BYTE*>(p), static_cast<const BYTE*>(p) + n);
    };
    DWORD version = 0x00010000;
    long extent = 2540;
    DWORD captionLength = 2;
    put(&version, 4);
    put(&extent, 4);
    put(&extent, 4);
    put(&level, 2);
    put(&captionLength, 4);
    put("ok", 2);
    return bytes;
}

class Containment : public FrameworkTest {};

TEST_F(Containment, CreatesAHiddenChildOfTheDesktopAndDestroysIt)
{
    CWnd proxy;
    ASSERT_TRUE(proxy.CreateControl(CFwTestCtrl::guid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), kChildId));
    HWND hwnd = proxy.GetSafeHwnd();
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetAncestor(hwnd, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetDlgCtrlID(hwnd), (int)kChildId);
    EXPECT_EQ(COleControl::LiveObjects(), 1);
    ASSERT_NE(proxy.GetControlUnknown(), nullptr);

    EXPECT_TRUE(proxy.DestroyWindow());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(proxy.GetSafeHwnd(), nullptr);
    EXPECT_EQ(proxy.GetControlUnknown(), nullptr);
}

// Counts the windows of this thread that are made visible or shown.
struct ShowWatch {
    static int& Shown()
    {
        static int shown = 0;
        return shown;
    }
    static LRESULT CALLBACK OnCreate(int code, WPARAM w, LPARAM l)
    {
        if (code == HCBT_CREATEWND && (reinterpret_cast<CBT_CREATEWNDW*>(l)->lpcs->style & WS_VISIBLE)) ++Shown();
        return CallNextHookEx(nullptr, code, w, l);
    }
    static LRESULT CALLBACK OnMessage(int code, WPARAM w, LPARAM l)
    {
        const CWPSTRUCT* m = reinterpret_cast<CWPSTRUCT*>(l);
        if (code == HC_ACTION && m->message == WM_SHOWWINDOW && m->wParam) ++Shown();
        return CallNextHookEx(nullptr, code, w, l);
    }
};

// A hidden control is made hidden, not shown and hidden again: showing a
// window costs the platform about as much again as making it.
TEST_F(Containment, AHiddenControlIsNeverShown)
{
    ShowWatch::Shown() = 0;
    HHOOK cbt = SetWindowsHookExW(WH_CBT, ShowWatch::OnCreate, nullptr, GetCurrentThreadId());
    HHOOK calls = SetWindowsHookExW(WH_CALLWNDPROC, ShowWatch::OnMessage, nullptr, GetCurrentThreadId());
    {
        CWnd proxy;
        ASSERT_TRUE(proxy.CreateControl(CFwTestCtrl::guid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), kChildId));
        EXPECT_FALSE(proxy.IsWindowVisible());
    }
    UnhookWindowsHookEx(calls);
    UnhookWindowsHookEx(cbt);
    EXPECT_EQ(ShowWatch::Shown(), 0);
}

TEST_F(Containment, VisibleStyleShowsTheControlWithItsTextAndRectangle)
{
    EventHost host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    {
        CWnd proxy;
        ASSERT_TRUE(proxy.CreateControl(CFwTestCtrl::guid, "caption", WS_VISIBLE | WS_TABSTOP, CRect(5, 6, 105, 56),
                                        &host, kChildId));
        host.ShowWindow(SW_SHOWNA);
        EXPECT_TRUE(proxy.IsWindowVisible());
        EXPECT_EQ(GetParent(proxy.GetSafeHwnd()), host.GetSafeHwnd());
        std::string text;
        proxy.GetWindowText(text);
        EXPECT_EQ(text, "caption");
        CRect rect;
        proxy.GetWindowRect(&rect);
        host.ScreenToClient(&rect);
        EXPECT_EQ(rect.left, 5);
        EXPECT_EQ(rect.top, 6);
        EXPECT_EQ(rect.Width(), 100);
        EXPECT_EQ(rect.Height(), 50);
        EXPECT_TRUE(GetWindowLongPtrW(proxy.GetSafeHwnd(), GWL_STYLE) & WS_TABSTOP);
    }  // the proxy's destructor takes the control and its window away
    host.DestroyWindow();
}

TEST_F(Containment, UnknownClassOrNoWindowIsAFailedCreation)
{
    const CLSID* classes[] = {&kUnknownClsid, &CFwWindowlessCtrl::guid};
    for (const CLSID* clsid : classes) {
        CWnd proxy;
        EXPECT_FALSE(proxy.CreateControl(*clsid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), kChildId));
        EXPECT_EQ(proxy.GetSafeHwnd(), nullptr);
        EXPECT_EQ(proxy.GetControlUnknown(), nullptr);
        short level = 0;
        EXPECT_EQ(proxy.TryInvokeHelper(20, DISPATCH_PROPERTYGET, VT_I2, &level, (const BYTE*)VTS_NONE), OLE_E_NOTRUNNING);
    }
}

TEST_F(Containment, InitialStreamIsLoadedAndATruncatedOneRefused)
{
    std::vector<BYTE> state = TestControlState(42);
    {
        CWnd proxy;
        ASSERT_TRUE(proxy.CreateControl(CFwTestCtrl::guid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(),
                                        kChildId, state.data(), state.size()));
        short level = 0;
        proxy.GetProperty(20, VT_I2, &level);
        EXPECT_EQ(level, 42);
    }
    CWnd truncated;
    EXPECT_FALSE(truncated.CreateControl(CFwTestCtrl::guid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(),
                                         kChildId, state.data(), state.size() - 1));
}

TEST_F(Containment, EventsReachTheParentWindowsEventTable)
{
    EventHost host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    CWnd proxy;
    ASSERT_TRUE(proxy.CreateControl(CFwTestCtrl::guid, nullptr, WS_VISIBLE, CRect(0, 0, 50, 50), &host, kChildId));
    proxy.InvokeHelper(9, DISPATCH_METHOD, VT_EMPTY, nullptr, (const BYTE*)(VTS_I4 VTS_BSTR), 42L, "hi");
    ASSERT_EQ(host.seen.size(), 2u);
    EXPECT_EQ(host.seen[0], "Value 42 hi");
    EXPECT_EQ(host.seen[1], "Notify");
    proxy.DestroyWindow();
    host.DestroyWindow();
}

// A sink connected straight to the control's connection point.
class CountingSink : public IDispatch {
public:
    LONG refs = 1;
    std::vector<DISPID> calls;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__DFwTestEvents) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++refs; }
    STDMETHODIMP_(ULONG) Release() override { return (ULONG)--refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        calls.push_back(id);
        return S_OK;
    }
};

TEST_F(Containment, ConnectionPointIsSeparateFromTheObjectsAdviseHolder)
{
    IDispatch* control = nullptr;
    ASSERT_EQ(CoCreateInstance(CFwTestCtrl::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, (void**)&control), S_OK);
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, (void**)&container), S_OK);
    IConnectionPoint* point = nullptr;
    EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, &point), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point, nullptr);
    ASSERT_EQ(container->FindConnectionPoint(DIID__DFwTestEvents, &point), S_OK);

    CountingSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);

    // The object's own Unadvise knows nothing of the connection point's cookie.
    IOleObject* object = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IOleObject, (void**)&object), S_OK);
    EXPECT_EQ(object->Unadvise(cookie), OLE_E_NOCONNECTION);

    VARIANT args[2];
    V_VT(&args[1]) = VT_I4;
    V_I4(&args[1]) = 7;
    V_VT(&args[0]) = VT_BSTR;
    V_BSTR(&args[0]) = SysAllocString(L"x");
    DISPPARAMS dp = {args, nullptr, 2, 0};
    EXPECT_EQ(control->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr), S_OK);
    SysFreeString(V_BSTR(&args[0]));
    EXPECT_EQ(sink.calls, (std::vector<DISPID>{2, 1}));

    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(sink.refs, 1);
    object->Release();
    point->Release();
    container->Release();
    control->Release();
}

} // namespace

namespace {

// An independent container: the system's ATL host window ("AtlAxWin"),
// created with the control's class identifier as its text.
TEST_F(Containment, HostedByTheSystemsAtlContainer)
{
    HMODULE atl = LoadLibraryW(L"atl.dll");
    ASSERT_NE(atl, nullptr);
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    ASSERT_TRUE(init && getControl);
    ASSERT_TRUE(init());

    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "atl host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    HWND ax = CreateWindowExW(0, L"AtlAxWin", L"{C4CEFA7C-3A0C-4F01-8D42-504475D3E828}", WS_CHILD | WS_VISIBLE, 0, 0,
                              120, 80, host.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(ax, nullptr);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(getControl(ax, &unknown), S_OK);
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, (void**)&dispatch), S_OK);
    long handle = 0;
    ASSERT_EQ(fw::InvokeDispatch(dispatch, 11, DISPATCH_METHOD, VT_I4, &handle, nullptr, (const BYTE*)VTS_NONE), S_OK);
    HWND controlWindow = (HWND)LongToHandle(handle);
    EXPECT_TRUE(IsWindow(controlWindow));
    EXPECT_TRUE(GetWindowLongPtrW(controlWindow, GWL_STYLE) & WS_VISIBLE);   // another container's controls still show
    EXPECT_EQ(GetParent(controlWindow), ax);
    short echoed = 0;
    EXPECT_EQ(fw::InvokeDispatch(dispatch, 1, DISPATCH_METHOD, VT_I2, &echoed, nullptr, (const BYTE*)VTS_I2, 77), S_OK);
    EXPECT_EQ(echoed, 77);
    dispatch->Release();
    unknown->Release();
    host.DestroyWindow();  // takes the ATL host and, through it, the control
    PumpMessages(20);
    EXPECT_FALSE(IsWindow(controlWindow));
}

} // namespace

namespace {

IUnknown* NewTestControl()
{
    IUnknown* unknown = nullptr;
    EXPECT_EQ(CoCreateInstance(CFwTestCtrl::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, (void**)&unknown), S_OK);
    return unknown;
}

TEST_F(Containment, PersistedStateRoundTripsThroughAStream)
{
    IUnknown* first = NewTestControl();
    ASSERT_NE(first, nullptr);
    IPersistStreamInit* persist = nullptr;
    ASSERT_EQ(first->QueryInterface(IID_IPersistStreamInit, (void**)&persist), S_OK);
    EXPECT_EQ(persist->InitNew(), S_OK);
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(first->QueryInterface(IID_IDispatch, (void**)&dispatch), S_OK);
    EXPECT_EQ(fw::InvokeDispatch(dispatch, 20, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, nullptr, (const BYTE*)VTS_I2, 321),
              S_OK);
    dispatch->Release();

    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULARGE_INTEGER sizeMax = {};
    EXPECT_EQ(persist->GetSizeMax(&sizeMax), S_OK);
    EXPECT_EQ(persist->Save(stream, TRUE), S_OK);
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, sizeMax.QuadPart);
    EXPECT_EQ(stat.cbSize.QuadPart, 4u + 8u + 2u + 4u) << "version, extent, Level, empty Caption";
    persist->Release();
    first->Release();

    IUnknown* second = NewTestControl();
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->QueryInterface(IID_IPersistStreamInit, (void**)&persist), S_OK);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(persist->Load(stream), S_OK);
    ASSERT_EQ(second->QueryInterface(IID_IDispatch, (void**)&dispatch), S_OK);
    short level = 0;
    EXPECT_EQ(fw::InvokeDispatch(dispatch, 20, DISPATCH_PROPERTYGET, VT_I2, &level, nullptr, (const BYTE*)VTS_NONE), S_OK);
    EXPECT_EQ(level, 321);

    IOleObject* object = nullptr;
    ASSERT_EQ(second->QueryInterface(IID_IOleObject, (void**)&object), S_OK);
    DWORD misc = 0;
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, (DWORD)kTestMiscStatus);
    LPOLESTR type = nullptr;
    EXPECT_EQ(object->GetUserType(USERCLASSTYPE_FULL, &type), S_OK);
    EXPECT_STREQ(type, L"FwTest Control");
    CoTaskMemFree(type);
    object->Release();
    dispatch->Release();
    persist->Release();
    second->Release();
    stream->Release();
}

} // namespace

namespace {

// A host whose handler of the control's stroke event closes the host window;
// the window takes its control with it, as a dialog does.
class ClosingHost : public CWnd {
public:
    CWnd control;

protected:
    void OnStrokeEnded(long) { DestroyWindow(); }
    void OnDestroy()
    {
        control.DestroyWindow();
        CWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
    DECLARE_EVENTSINK_MAP()
};

BEGIN_MESSAGE_MAP(ClosingHost, CWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(ClosingHost, CWnd)
    ON_EVENT(ClosingHost, kChildId, 3, OnStrokeEnded, VTS_I4)
END_EVENTSINK_MAP()

TEST_F(Containment, ControlReleasedFromItsOwnEventIsNotTouchedAfterwards)
{
    ClosingHost host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    ASSERT_TRUE(host.control.CreateControl(CFwTestCtrl::guid, nullptr, WS_VISIBLE, CRect(0, 0, 50, 50), &host,
                                           kChildId));
    HWND control = host.control.GetSafeHwnd();
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));  // fires the event inside the control's handler
    EXPECT_EQ(host.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(COleControl::LiveObjects(), 0);
    EXPECT_TRUE(CFwTestCtrl::FreedObjectsUntouched());
}

// A container's client and in-place site reduced to what a control calls;
// it keeps the container's own idea of whether the control is in place.
class InPlaceSite : public IOleClientSite, public IOleInPlaceSite {
public:
    explicit InPlaceSite(HWND parent) : m_parent(parent) {}
    LONG refs = 1;
    bool inPlace = false;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) *ppv = static_cast<IOleInPlaceSite*>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++refs; }
    STDMETHODIMP_(ULONG) Release() override { return (ULONG)--refs; }
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override { *m = nullptr; return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** c) override { *c = nullptr; return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetWindow(HWND* hwnd) override { *hwnd = m_parent; return S_OK; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { inPlace = true; return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** d, LPRECT, LPRECT,
                                  LPOLEINPLACEFRAMEINFO) override
    {
        *f = nullptr;
        *d = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { inPlace = false; return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

private:
    HWND m_parent;
};

TEST_F(Containment, LeavingInPlaceActivationTellsTheSite)
{
    enum Way { Deactivate, Close, ParentDestroyed };
    for (Way way : {Deactivate, Close, ParentDestroyed}) {
        CWnd parent;
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
        InPlaceSite site(parent.GetSafeHwnd());
        IOleObject* object = nullptr;
        ASSERT_EQ(CoCreateInstance(CFwTestCtrl::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, (void**)&object),
                  S_OK);
        ASSERT_EQ(object->SetClientSite(&site), S_OK);
        RECT rect = {0, 0, 50, 50};
        ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, parent.GetSafeHwnd(), &rect), S_OK);
        EXPECT_TRUE(site.inPlace);
        IOleInPlaceObject* inPlace = nullptr;
        ASSERT_EQ(object->QueryInterface(IID_IOleInPlaceObject, (void**)&inPlace), S_OK);
        HWND window = nullptr;
        EXPECT_EQ(inPlace->GetWindow(&window), S_OK);
        switch (way) {
        case Deactivate: EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK); break;
        case Close: EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK); break;
        case ParentDestroyed: parent.DestroyWindow(); break;
        }
        EXPECT_FALSE(site.inPlace) << "way " << way;
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
        EXPECT_EQ(site.refs, 1) << "way " << way;
        inPlace->Release();
        object->Release();
        parent.DestroyWindow();
    }
}

TEST_F(Containment, BindingToASecondSiteLetsGoOfTheFirst)
{
    fw::ControlSpec request = {CFwTestCtrl::guid, GetDesktopWindow(), kChildId, 0, {0, 0, 1, 1}, nullptr, nullptr, 0};
    fw::ControlSite* first = nullptr;
    fw::ControlSite* second = nullptr;
    ASSERT_EQ(fw::ControlSite::Create(request, &first), S_OK);
    ASSERT_EQ(fw::ControlSite::Create(request, &second), S_OK);
    // The proxy lives in storage the test owns, so a write after its end shows.
    alignas(CWnd) unsigned char storage[sizeof(CWnd)];
    CWnd* proxy = new (storage) CWnd;
    proxy->AttachSite(first);
    proxy->AttachSite(second);
    EXPECT_EQ(first->Bound(), nullptr);
    EXPECT_EQ(second->Bound(), proxy);
    proxy->~CWnd();
    memset(storage, 0xDD, sizeof storage);
    for (fw::ControlSite* site : {first, second}) {
        site->Destroy();
        site->Release();
    }
    size_t written = 0;
    for (unsigned char byte : storage) written += byte != 0xDD;
    EXPECT_EQ(written, 0u) << "a site wrote through its pointer to the gone proxy";
}

TEST_F(Containment, SecondProxyBoundToOneSiteTakesItOver)
{
    fw::ControlSpec request = {CFwTestCtrl::guid, GetDesktopWindow(), kChildId, 0, {0, 0, 1, 1}, nullptr, nullptr, 0};
    fw::ControlSite* site = nullptr;
    ASSERT_EQ(fw::ControlSite::Create(request, &site), S_OK);
    CWnd first, second;
    first.AttachSite(site);
    second.AttachSite(site);
    // Otherwise the first would keep the site after it is gone.
    EXPECT_EQ(first.GetControlUnknown(), nullptr);
    EXPECT_EQ(first.GetSafeHwnd(), nullptr);
    EXPECT_EQ(site->Bound(), &second);
    site->Destroy();
    site->Release();
    EXPECT_EQ(second.GetControlUnknown(), nullptr);
}

} // namespace

// Every plain allocation of this test program passes here, so that a test can
// see how much a load asked for; anything over 256 MiB is refused outright,
// as a machine short of memory would.
namespace {
std::atomic<size_t> g_largestRequest{0};
const size_t kRefusedRequest = 256u << 20;
} // namespace

void* operator new(std::size_t size)
{
    size_t seen = g_largestRequest.load();
    while (size > seen && !g_largestRequest.compare_exchange_weak(seen, size)) {
    }
    if (size > kRefusedRequest) throw std::bad_alloc();
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

// The compiler cannot tell a replacement from a mismatch here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

TEST_F(Containment, StreamClaimingMoreThanItHoldsIsRefusedBeforeAllocating)
{
    const DWORD claims[] = {0x40000000u, 0xFFFFFFFFu, 3u /* one byte more than is there */};
    for (DWORD claim : claims) {
        IUnknown* control = NewTestControl();
        ASSERT_NE(control, nullptr);
        IPersistStreamInit* persist = nullptr;
        ASSERT_EQ(control->QueryInterface(IID_IPersistStreamInit, (void**)&persist), S_OK);
        IDispatch* dispatch = nullptr;
        ASSERT_EQ(control->QueryInterface(IID_IDispatch, (void**)&dispatch), S_OK);
        EXPECT_EQ(fw::InvokeDispatch(dispatch, 20, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, nullptr,
                                     (const BYTE*)VTS_I2, 5),
                  S_OK);

        // Version, extent and Level 42 are read before the caption's length.
        std::vector<BYTE> bytes = TestControlState(42);
        memcpy(&bytes[14], &claim, sizeof claim);
        IStream* stream = nullptr;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        ASSERT_EQ(stream->Write(bytes.data(), (ULONG)bytes.size(), nullptr), S_OK);
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        g_largestRequest = 0;
        EXPECT_EQ(persist->Load(stream), STG_E_READFAULT) << claim;
        EXPECT_LT(g_largestRequest.load(), (size_t)(1u << 20)) << claim;
        short level = -1;
        EXPECT_EQ(fw::InvokeDispatch(dispatch, 20, DISPATCH_PROPERTYGET, VT_I2, &level, nullptr, (const BYTE*)VTS_NONE),
                  S_OK);
        EXPECT_EQ(level, 0) << "a failed load leaves the initial state, not part of the stream";
        stream->Release();
        dispatch->Release();
        persist->Release();
        control->Release();
    }
}

} // namespace
