// The capture control through IDispatch by DISPID, hosted as the plug-in
// hosts it: a hidden child of the desktop window with id 2001.
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

#include "ControlTestSupport.h"
#include "FakePad.h"
#include "Framework.h"
#include "PenvanePdfCtrl.h"
#include "PenvanePdfIds.h"
#include "PenvanePdfPropPage.h"
#include "Resource.h"

namespace {

namespace id = penvanepdf::dispid;

// The control, hosted; calls by DISPID on its IDispatch.
class Hosted {
public:
    Hosted()
    {
        created = host.CreateControl(CPenvanePdfCtrl::guid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(),
                                     2001);
        if (created) host.GetControlUnknown()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    }
    ~Hosted()
    {
        if (dispatch) dispatch->Release();
        host.DestroyWindow();
    }
    // Invoke with arguments in call order; the result and the HRESULT.
    HRESULT Call(DISPID dispid, std::vector<VARIANT> args, VARIANT* result = nullptr, EXCEPINFO* ex = nullptr,
                 WORD flags = DISPATCH_METHOD)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS dp = {reversed.empty() ? nullptr : reversed.data(), nullptr, (UINT)reversed.size(), 0};
        EXCEPINFO local = {};
        UINT argErr = 0;
        HRESULT hr = dispatch->Invoke(dispid, IID_NULL, 0, flags, &dp, result, ex ? ex : &local, &argErr);
        if (!ex) {
            SysFreeString(local.bstrSource);
            SysFreeString(local.bstrDescription);
            SysFreeString(local.bstrHelpFile);
        }
        return hr;
    }
    std::string Text(DISPID dispid)
    {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(Call(dispid, {}, &v)) || V_VT(&v) != VT_BSTR) return "<failed>";
        std::string text = fw::BstrToAnsi(V_BSTR(&v));
        VariantClear(&v);
        return text;
    }
    HRESULT SetText(DISPID dispid, const wchar_t* text) { return Call(dispid, {Str(text)}); }
    HRESULT SetUI2(DISPID dispid, unsigned short value) { return Call(dispid, {UI2(value)}); }
    BOOL Acquire(HRESULT* hrOut = nullptr)
    {
        VARIANT v;
        VariantInit(&v);
        HRESULT hr = Call(id::AcquireSig, {}, &v);
        if (hrOut) *hrOut = hr;
        return SUCCEEDED(hr) && V_VT(&v) == VT_BOOL && V_BOOL(&v) == VARIANT_TRUE;
    }

    static VARIANT Str(const wchar_t* text)
    {
        static std::vector<BSTR> keep;  // freed at exit: arguments stay the caller's
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(text);
        keep.push_back(V_BSTR(&v));
        return v;
    }
    static VARIANT UI2(unsigned short value)
    {
        VARIANT v;
        V_VT(&v) = VT_UI2;
        V_UI2(&v) = value;
        return v;
    }
    static VARIANT I4(long value)
    {
        VARIANT v;
        V_VT(&v) = VT_I4;
        V_I4(&v) = value;
        return v;
    }

    CWnd host;
    BOOL created = FALSE;
    IDispatch* dispatch = nullptr;
};

struct Results {
    std::string name, sig, reason, location, contact, path, tag;
};

Results ReadAll(Hosted& c)
{
    return {c.Text(id::GetName),  c.Text(id::GetSigString), c.Text(id::GetReason),  c.Text(id::GetLocation),
            c.Text(id::GetContactInfo), c.Text(id::GetPathName), c.Text(id::GetSigTag)};
}

// The person for AcquireSig: signs (or not), notes the reason control's
// items, then presses `button`.
struct Person {
    int strokes = 2;
    int button = IDC_ACCEPT;
    std::vector<std::string> pickItems;
    bool sawDialog = false;
    void operator()()
    {
        HWND dlg = WaitForCaptureDialog();
        if (!dlg) return;
        sawDialog = true;
        HWND pick = GetDlgItem(dlg, IDC_REASON_PICK);
        char text[256];
        for (LRESULT i = 0, n = SendMessageA(pick, CB_GETCOUNT, 0, 0); i < n; ++i) {
            SendMessageA(pick, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
            pickItems.push_back(text);
        }
        for (int i = 0; i < strokes; ++i) PostStroke(GetDlgItem(dlg, IDC_PAD), 15 + 30 * i, 12, 20);
        Settle(dlg);
        Click(dlg, button);
        WaitClosedOrCancel(dlg);
    }
};

BOOL AcquireWith(Hosted& c, Person* person)
{
    std::thread t(std::ref(*person));
    BOOL ok = c.Acquire();
    t.join();
    return ok;
}

class ControlWithStandIn : public ControlTestWithoutSettings {
protected:
    ControlWithStandIn() : ControlTestWithoutSettings(PadKind::StandIn) {}
};

class ControlWithFakePad : public ControlTestWithoutSettings {
protected:
    ControlWithFakePad() : ControlTestWithoutSettings(PadKind::Fake) {}
};

TEST_F(ControlWithFakePad, ANewControlAnswersItsInitialValues)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    Results r = ReadAll(c);
    EXPECT_EQ(r.name, "Unknown");
    EXPECT_EQ(r.location, "Unknown");
    EXPECT_EQ(r.contact, "Unknown");
    EXPECT_EQ(r.sig, "");
    EXPECT_EQ(r.reason, "");
    EXPECT_EQ(r.path, "");
    EXPECT_EQ(r.tag, "TestTag");
}

TEST_F(ControlWithFakePad, MembersAreMethodsOnly)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    // A property put on a method is not a member; a DISPID beyond 13 neither.
    VARIANT arg = Hosted::Str(L"x");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp = {&arg, &named, 1, 1};
    EXPECT_EQ(c.dispatch->Invoke(id::SetSigFieldName, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(c.Call(14, {}), DISP_E_MEMBERNOTFOUND);
    // Names come from the type library.
    const wchar_t* names[] = {L"GetName", L"GetPdfSig", L"AcquireSig", L"SetReasonRequired", L"GetContactInfo"};
    const DISPID expected[] = {1, 2, 4, 12, 13};
    for (int i = 0; i < 5; ++i) {
        DISPID got = -1;
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        EXPECT_EQ(c.dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &got), S_OK) << i;
        EXPECT_EQ(got, expected[i]);
    }
}

TEST_F(ControlWithFakePad, SetReasonStringBeyondTheArrayFailsAndValuesAreChecked)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    EXPECT_EQ(c.SetUI2(id::SetNumberOfReasons, 3), S_OK);
    EXCEPINFO ex = {};
    EXPECT_EQ(c.Call(id::SetReasonString, {Hosted::UI2(3), Hosted::Str(L"four")}, nullptr, &ex), DISP_E_EXCEPTION);
    EXPECT_EQ(ex.scode, E_INVALIDARG);
    SysFreeString(ex.bstrSource);
    SysFreeString(ex.bstrDescription);
    SysFreeString(ex.bstrHelpFile);
    EXPECT_EQ(c.Call(id::SetReasonString, {Hosted::UI2(2), Hosted::Str(L"three")}), S_OK);
    // A negative number for an unsigned 16-bit parameter cannot be converted.
    EXPECT_EQ(c.Call(id::SetNumberOfReasons, {Hosted::I4(-1)}), DISP_E_OVERFLOW);
    EXPECT_EQ(c.Call(id::SetReasonRequired, {Hosted::I4(70000)}), DISP_E_OVERFLOW);
    EXPECT_EQ(c.Call(id::SetSigFieldName, {Hosted::Str(L"Signature1")}), S_OK);
}

std::string CallsText()
{
    std::string text;
    for (const std::string& call : fake_pad::Get().calls) text += call + ";";
    return text;
}

TEST_F(ControlWithFakePad, GetPdfSigDrivesATemporaryPadWithLow16Bits)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    WriteSettings("[Justify]\r\nJustifyX=65586\r\nJustifyY=7\r\nJustifyMode=3\r\n");
    BSTR data = nullptr;  // as the project's own callers pass it
    VARIANT ref;
    V_VT(&ref) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&ref) = &data;
    ASSERT_EQ(c.Call(id::GetPdfSig, {ref, Hosted::I4(70000), Hosted::I4(-70000)}), S_OK);
    // Before any capture the pad is given the empty signature string.
    EXPECT_EQ(CallsText(),
              "PdfWidth=4464;PdfHeight=-4464;PdfPenWidth=2;JustifyMode=3;JustifyX=50;JustifyY=7;PdfOption=2;"
              "SignatureString=;GetPdfData();");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(SysStringByteLen(data), 18u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 18), "q 1 0 0 1 0 0 cm Q");
    EXPECT_EQ(fake_pad::Get().created, 1);
    SysFreeString(data);
    // The temporary pad is gone: no window with id 2001 under the control.
    HWND control = nullptr;
    IOleWindow* window = nullptr;
    ASSERT_EQ(c.host.GetControlUnknown()->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    window->GetWindow(&control);
    window->Release();
    EXPECT_EQ(GetDlgItem(control, 2001), nullptr);
}

TEST_F(ControlWithFakePad, GetPdfSigWithoutAWindowGivesNull)
{
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(CoCreateInstance(CPenvanePdfCtrl::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&dispatch)),
              S_OK);
    BSTR data = nullptr;
    VARIANT args[3];
    V_VT(&args[2]) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&args[2]) = &data;
    V_VT(&args[1]) = VT_I4;
    V_I4(&args[1]) = 100;
    V_VT(&args[0]) = VT_I4;
    V_I4(&args[0]) = 50;
    DISPPARAMS dp = {args, nullptr, 3, 0};
    EXPECT_EQ(dispatch->Invoke(id::GetPdfSig, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(fake_pad::Get().created, 0);
    dispatch->Release();
}

// Watches the task allocator, which BSTRs come from: the blocks of at least
// `minimum` bytes that are allocated and not yet freed. Registered only
// while a test needs it; the allocator may still call it from any thread
// while blocks allocated under it live on.
class LargeBlockSpy : public IMallocSpy {
public:
    explicit LargeBlockSpy(SIZE_T minimum) : m_minimum(minimum) {}
    size_t Live()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_live.size();
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = (riid == IID_IUnknown || riid == IID_IMallocSpy) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // The size asked for, from a Pre call to its Post call on the same thread.
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override
    {
        t_size = size;
        return size;
    }
    STDMETHODIMP_(void*) PostAlloc(void* actual) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (actual && t_size >= m_minimum) m_live.insert(actual);
        return actual;
    }
    STDMETHODIMP_(void*) PreFree(void* request, BOOL) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_live.erase(request);
        return request;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** actual, BOOL) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_live.erase(request);
        t_size = size;
        *actual = request;
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override { return PostAlloc(actual); }
    STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T size, BOOL) override { return size; }
    STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

private:
    SIZE_T m_minimum;
    static thread_local SIZE_T t_size;
    std::mutex m_lock;
    std::set<void*> m_live;
};

thread_local SIZE_T LargeBlockSpy::t_size = 0;

TEST_F(ControlWithFakePad, GetPdfSigFreesTheStringItReplaces)
{
    // A script calling GetPdfSig in a loop with a long string in its variable
    // must not lose that string each time: the control frees it. The drawing
    // data that replaces it is far smaller than the watched size.
    const UINT kLong = 200000;
    static LargeBlockSpy spy(kLong);  // the allocator may keep it past the test
    Hosted windowed;
    ASSERT_TRUE(windowed.created);
    IDispatch* windowless = nullptr;  // GetPdfSig answers null there
    ASSERT_EQ(CoCreateInstance(CPenvanePdfCtrl::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&windowless)),
              S_OK);
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    struct Case {
        const char* what;
        IDispatch* control;
        bool throughVariant;  // as scripting hosts pass it
        bool drawing;
    } cases[] = {
        {"string reference", windowed.dispatch, false, true},
        {"variant reference", windowed.dispatch, true, true},
        {"no window", windowless, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VARIANT holder;
        V_VT(&holder) = VT_BSTR;
        V_BSTR(&holder) = SysAllocStringLen(nullptr, kLong);
        EXPECT_EQ(spy.Live(), 1u) << "the spy does not see BSTRs";
        VARIANT args[3];
        if (c.throughVariant) {
            V_VT(&args[2]) = VT_VARIANT | VT_BYREF;
            V_VARIANTREF(&args[2]) = &holder;
        } else {
            V_VT(&args[2]) = VT_BSTR | VT_BYREF;
            V_BSTRREF(&args[2]) = &V_BSTR(&holder);
        }
        args[1] = Hosted::I4(100);
        args[0] = Hosted::I4(50);
        DISPPARAMS dp = {args, nullptr, 3, 0};
        EXPECT_EQ(c.control->Invoke(id::GetPdfSig, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(spy.Live(), 0u) << "the caller's old string was not freed";
        EXPECT_EQ(V_VT(&holder), VT_BSTR);
        EXPECT_EQ(V_BSTR(&holder) != nullptr, c.drawing);
        VariantClear(&holder);
    }
    CoRevokeMallocSpy();
    windowless->Release();
}

TEST_F(ControlWithFakePad, ReasonLimitsAtTheirEdges)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    const std::wstring longest(penvanepdf::kMaxReasonChars, L'z');
    const std::wstring tooLong(penvanepdf::kMaxReasonChars + 1, L'z');
    const unsigned short last = penvanepdf::kMaxReasons - 1;
    struct Step {
        const char* what;
        DISPID dispid;
        std::vector<VARIANT> args;
        HRESULT expected;  // DISP_E_EXCEPTION: with E_INVALIDARG
    } steps[] = {
        {"most reasons", id::SetNumberOfReasons, {Hosted::UI2(penvanepdf::kMaxReasons)}, S_OK},
        {"one more", id::SetNumberOfReasons, {Hosted::UI2(penvanepdf::kMaxReasons + 1)}, DISP_E_EXCEPTION},
        {"16-bit most", id::SetNumberOfReasons, {Hosted::UI2(65535)}, DISP_E_EXCEPTION},
        {"longest reason", id::SetReasonString, {Hosted::UI2(last), Hosted::Str(longest.c_str())}, S_OK},
        {"one character more", id::SetReasonString, {Hosted::UI2(last), Hosted::Str(tooLong.c_str())},
         DISP_E_EXCEPTION},
        {"beyond the last", id::SetReasonString, {Hosted::UI2(last + 1), Hosted::Str(L"x")}, DISP_E_EXCEPTION},
        {"first", id::SetReasonString, {Hosted::UI2(0), Hosted::Str(L"a")}, S_OK},
        {"pick list", id::SetReasonRequired, {Hosted::UI2(1)}, S_OK},
    };
    for (const Step& step : steps) {
        EXCEPINFO ex = {};
        EXPECT_EQ(c.Call(step.dispid, step.args, nullptr, &ex), step.expected) << step.what;
        if (step.expected == DISP_E_EXCEPTION) {
            EXPECT_EQ(ex.scode, E_INVALIDARG) << step.what;
        }
        SysFreeString(ex.bstrSource);
        SysFreeString(ex.bstrDescription);
        SysFreeString(ex.bstrHelpFile);
    }
    // The refused calls changed nothing: the dialog offers every reason kept,
    // the longest one whole.
    std::vector<std::wstring> items;
    std::thread person([&] {
        HWND dlg = WaitForCaptureDialog();
        if (!dlg) return;
        HWND pick = GetDlgItem(dlg, IDC_REASON_PICK);
        for (LRESULT i = 0, n = SendMessageW(pick, CB_GETCOUNT, 0, 0); i < n; ++i) {
            std::wstring text((size_t)SendMessageW(pick, CB_GETLBTEXTLEN, (WPARAM)i, 0), L'\0');
            SendMessageW(pick, CB_GETLBTEXT, (WPARAM)i, (LPARAM)&text[0]);
            items.push_back(text);
        }
        Click(dlg, IDCANCEL);
        WaitClosedOrCancel(dlg);
    });
    EXPECT_FALSE(c.Acquire());
    person.join();
    ASSERT_EQ(items.size(), (size_t)penvanepdf::kMaxReasons);
    EXPECT_EQ(items.front(), L"");  // the reasons never set are empty
    EXPECT_EQ(items[items.size() - 2], L"a");
    EXPECT_EQ(items.back(), longest);
}

TEST_F(ControlWithFakePad, CancelIsAnsweredAtOnceWithTheMostReasons)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    ASSERT_EQ(c.SetUI2(id::SetNumberOfReasons, penvanepdf::kMaxReasons), S_OK);
    // As slow to sort as they can be: the longest reasons, alike but for
    // their last characters, given in reverse order.
    for (int i = 0; i < penvanepdf::kMaxReasons; ++i) {
        const std::wstring tail = std::to_wstring(1000 + penvanepdf::kMaxReasons - i);
        const std::wstring reason = std::wstring(penvanepdf::kMaxReasonChars - tail.size(), L'r') + tail;
        ASSERT_EQ(c.Call(id::SetReasonString, {Hosted::UI2((unsigned short)i), Hosted::Str(reason.c_str())}), S_OK);
    }
    ASSERT_EQ(c.SetUI2(id::SetReasonRequired, 0), S_OK);  // the entry combo box

    using Clock = std::chrono::steady_clock;
    Clock::time_point asked, shown, clicked, closed;
    LRESULT offered = 0;
    std::thread person([&] {
        HWND dlg = WaitForCaptureDialog();
        shown = Clock::now();
        if (!dlg) return;
        offered = SendMessageW(GetDlgItem(dlg, IDC_REASON_ENTRY), CB_GETCOUNT, 0, 0);
        clicked = Clock::now();
        Click(dlg, IDCANCEL);
        WaitClosedOrCancel(dlg);
    });
    asked = Clock::now();
    EXPECT_FALSE(c.Acquire());
    closed = Clock::now();
    person.join();
    EXPECT_EQ(offered, penvanepdf::kMaxReasons);
    auto ms = [](Clock::duration d) { return (long)std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
    std::printf("capture dialog with %d reasons of %u characters: shown after %ld ms, Cancel answered in %ld ms\n",
                penvanepdf::kMaxReasons, penvanepdf::kMaxReasonChars, ms(shown - asked), ms(closed - clicked));
    // A functional bound, generous for a busy machine: the dialog answers.
    EXPECT_LT(ms(closed - clicked), 1000);
}

TEST_F(ControlWithFakePad, OleFacesOfTheControl)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    IUnknown* unknown = c.host.GetControlUnknown();
    IOleObject* ole = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    DWORD misc = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, 0x00020191u);
    LPOLESTR type = nullptr;
    EXPECT_EQ(ole->GetUserType(USERCLASSTYPE_FULL, &type), S_OK);
    EXPECT_EQ(std::wstring(type ? type : L""), L"PenvanePdf Control");
    CoTaskMemFree(type);
    CLSID clsid = {};
    EXPECT_EQ(ole->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CPenvanePdfCtrl::guid));
    ole->Release();

    ISpecifyPropertyPages* pages = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&pages)), S_OK);
    CAUUID ids = {};
    EXPECT_EQ(pages->GetPages(&ids), S_OK);
    ASSERT_EQ(ids.cElems, 1u);
    EXPECT_TRUE(IsEqualGUID(ids.pElems[0], CPenvanePdfPropPage::guid));
    CoTaskMemFree(ids.pElems);
    pages->Release();

    // Persistence: the version 1.0 and the base's extent, nothing else.
    IPersistStreamInit* persist = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)), S_OK);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    EXPECT_EQ(persist->Save(stream, TRUE), S_OK);
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, 12u);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    DWORD version = 0;
    stream->Read(&version, 4, nullptr);
    EXPECT_EQ(version, 0x00010000u);
    // Another version converts.
    version = 0x00020003;
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    stream->Write(&version, 4, nullptr);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(persist->Load(stream), S_OK);
    stream->Release();
    persist->Release();
}

TEST_F(ControlWithFakePad, PropertyPageShowsItsTemplateAndCaption)
{
    IPropertyPage* page = nullptr;
    ASSERT_EQ(CoCreateInstance(CPenvanePdfPropPage::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                               reinterpret_cast<void**>(&page)),
              S_OK);
    PROPPAGEINFO info = {sizeof info};
    EXPECT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(std::wstring(info.pszTitle ? info.pszTitle : L""), L"General");
    EXPECT_GT(info.size.cx, 0);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);
    page->Release();
}

TEST_F(ControlWithStandIn, AcceptedThenCancelledCaptureKeepTheAcceptedResults)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    c.SetText(id::SetSigFieldName, L"Signature1");
    c.SetUI2(id::SetNumberOfReasons, 4);
    const wchar_t* reasons[] = {L"d", L"c", L"b", L"a"};
    for (unsigned short i = 0; i < 4; ++i) c.Call(id::SetReasonString, {Hosted::UI2(i), Hosted::Str(reasons[i])});
    // Shrinking keeps the first two texts.
    c.SetUI2(id::SetNumberOfReasons, 2);
    c.SetUI2(id::SetReasonRequired, 1);

    Person accept;
    EXPECT_TRUE(AcquireWith(c, &accept));
    EXPECT_EQ(accept.pickItems, (std::vector<std::string>{"c", "d"}));
    Results first = ReadAll(c);
    EXPECT_FALSE(first.sig.empty());
    EXPECT_EQ(first.reason, "c");
    EXPECT_EQ(first.name, "Unknown");
    EXPECT_EQ(first.location, "");
    EXPECT_EQ(first.contact, "");
    EXPECT_EQ(first.path, "");
    EXPECT_EQ(first.tag, "TestTag");

    // The drawing data of the captured signature comes from a temporary pad.
    BSTR data = nullptr;
    VARIANT ref;
    V_VT(&ref) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&ref) = &data;
    EXPECT_EQ(c.Call(id::GetPdfSig, {ref, Hosted::I4(200), Hosted::I4(60)}), S_OK);
    EXPECT_NE(data, nullptr);
    EXPECT_GT(SysStringByteLen(data), 0u);
    SysFreeString(data);

    Person cancel;
    cancel.button = IDCANCEL;
    c.SetUI2(id::SetReasonRequired, 0);
    EXPECT_FALSE(AcquireWith(c, &cancel));
    EXPECT_TRUE(cancel.sawDialog);
    Results second = ReadAll(c);
    EXPECT_EQ(second.sig, first.sig);
    EXPECT_EQ(second.reason, first.reason);
    EXPECT_EQ(second.location, first.location);
    EXPECT_EQ(second.contact, first.contact);
}

TEST_F(ControlWithStandIn, MinPointsIsReadAtEveryAcquire)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    c.SetUI2(id::SetReasonRequired, 2);  // stored whole: no reason control, "Signature"
    WriteSettings("[PenvanePdf]\r\nMinPoints=32768\r\n");
    Person tooFew;
    EXPECT_FALSE(AcquireWith(c, &tooFew));
    EXPECT_TRUE(tooFew.sawDialog);
    EXPECT_EQ(ReadAll(c).reason, "");
    WriteSettings("[PenvanePdf]\r\nMinPoints=0\r\n");
    Person empty;
    empty.strokes = 0;
    EXPECT_TRUE(AcquireWith(c, &empty));
    EXPECT_EQ(ReadAll(c).reason, "Signature");
}

class ControlWithoutPad : public ControlTest {
protected:
    ControlWithoutPad() : ControlTest(PadKind::Missing) {}
};

TEST_F(ControlWithoutPad, NoPadControlMeansNoCaptureAndNoDrawing)
{
    Hosted c;
    ASSERT_TRUE(c.created);
    HRESULT hr = E_FAIL;
    EXPECT_FALSE(c.Acquire(&hr));
    EXPECT_EQ(hr, S_OK) << "a failed capture is an answer, not an error";
    EXPECT_EQ(ReadAll(c).location, "Unknown");
    BSTR data = nullptr;
    VARIANT ref;
    V_VT(&ref) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&ref) = &data;
    EXPECT_EQ(c.Call(id::GetPdfSig, {ref, Hosted::I4(200), Hosted::I4(60)}), S_OK);
    EXPECT_EQ(data, nullptr);
}

} // namespace
