// Automation by DISPID through the proxy window class and straight through
// the control's IDispatch: every argument and result type, properties, the
// by-reference BSTR, conversion failures, hostile references and exceptions.
#include "FwTestLib.h"
#include "TestSupport.h"

namespace {

const WORD kMethod = DISPATCH_METHOD;

class Dispatch : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(proxy.CreateControl(CFwTestCtrl::guid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), 2001));
        ASSERT_EQ(proxy.GetControlUnknown()->QueryInterface(IID_IDispatch, (void**)&raw), S_OK);
    }
    void TearDown() override
    {
        if (raw) raw->Release();
        proxy.DestroyWindow();
        FrameworkTest::TearDown();
    }
    // A raw call with the arguments in DISPPARAMS order (last first).
    HRESULT Call(DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result, EXCEPINFO* info = nullptr,
                 UINT* argErr = nullptr)
    {
        DISPPARAMS dp = {args.empty() ? nullptr : args.data(), nullptr, (UINT)args.size(), 0};
        return raw->Invoke(id, IID_NULL, 0, flags, &dp, result, info, argErr);
    }
    CWnd proxy;
    IDispatch* raw = nullptr;
};

VARIANT I4(LONG v)
{
    VARIANT x;
    VariantInit(&x);
    V_VT(&x) = VT_I4;
    V_I4(&x) = v;
    return x;
}

TEST_F(Dispatch, EveryArgumentAndResultTypeRoundTrips)
{
    short i2 = 0;
    proxy.InvokeHelper(1, kMethod, VT_I2, &i2, (const BYTE*)VTS_I2, -12345);
    EXPECT_EQ(i2, -12345);
    unsigned short ui2 = 0;
    proxy.InvokeHelper(2, kMethod, VT_UI2, &ui2, (const BYTE*)VTS_UI2, 65535);
    EXPECT_EQ(ui2, 65535);
    char i1 = 0;
    proxy.InvokeHelper(3, kMethod, VT_I1, &i1, (const BYTE*)VTS_I1, -3);
    EXPECT_EQ(i1, -3);
    long i4 = 0;
    proxy.InvokeHelper(4, kMethod, VT_I4, &i4, (const BYTE*)VTS_I4, -70000L);
    EXPECT_EQ(i4, -70000);
    BOOL b = TRUE;
    proxy.InvokeHelper(5, kMethod, VT_BOOL, &b, (const BYTE*)VTS_BOOL, TRUE);
    EXPECT_EQ(b, FALSE);
    proxy.InvokeHelper(5, kMethod, VT_BOOL, &b, (const BYTE*)VTS_BOOL, FALSE);
    EXPECT_EQ(b, TRUE);
    // 8-bit text in the ANSI code page, through UTF-16 and back.
    std::string s;
    proxy.InvokeHelper(6, kMethod, VT_BSTR, &s, (const BYTE*)(VTS_BSTR VTS_BSTR), "caf\xe9", " ok");
    EXPECT_EQ(s, "caf\xe9 ok");
    proxy.InvokeHelper(6, kMethod, VT_BSTR, &s, (const BYTE*)(VTS_BSTR VTS_BSTR), "", "");
    EXPECT_EQ(s, "");
    // A signed argument for an unsigned parameter is converted by the callee.
    proxy.InvokeHelper(12, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_I2, 300);
    proxy.InvokeHelper(13, kMethod, VT_UI2, &ui2, (const BYTE*)VTS_NONE);
    EXPECT_EQ(ui2, 300);
}

TEST_F(Dispatch, PropertiesPutAndGet)
{
    proxy.SetProperty(20, VT_I2, -7);
    short level = 0;
    proxy.GetProperty(20, VT_I2, &level);
    EXPECT_EQ(level, -7);
    proxy.InvokeHelper(21, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, (const BYTE*)VTS_I1, 1);
    char flag = 0;
    proxy.InvokeHelper(21, DISPATCH_PROPERTYGET, VT_I1, &flag, (const BYTE*)VTS_NONE);
    EXPECT_EQ(flag, 1);
    // A property is neither a method nor puttable without the named argument.
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(Call(20, kMethod, {}, &result), DISP_E_MEMBERNOTFOUND);
    VARIANT v = I4(3);
    DISPPARAMS unnamed = {&v, nullptr, 1, 0};
    EXPECT_EQ(raw->Invoke(20, IID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamed, nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTOPTIONAL);
    proxy.GetProperty(20, VT_I2, &level);
    EXPECT_EQ(level, -7);
}

TEST_F(Dispatch, BstrOutParameterByReference)
{
    BSTR text = SysAllocString(L"old");  // in/out: the callee replaces and frees it
    proxy.InvokeHelper(7, kMethod, VT_EMPTY, nullptr, (const BYTE*)(VTS_PBSTR VTS_I4), &text, 3L);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, L"xxx");
    SysFreeString(text);

    // Scripting hosts pass a reference to their own variant: empty, or holding a BSTR.
    VARIANT holder;
    VariantInit(&holder);
    VARIANT args[2];
    args[1].vt = VT_VARIANT | VT_BYREF;
    args[1].pvarVal = &holder;
    args[0] = I4(2);
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(Call(7, kMethod, {args[0], args[1]}, &result), S_OK);
    EXPECT_EQ(V_VT(&holder), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&holder), L"xx");
    EXPECT_EQ(Call(7, kMethod, {args[0], args[1]}, &result), S_OK);
    EXPECT_STREQ(V_BSTR(&holder), L"xx");
    VariantClear(&holder);

    // A by-value argument for an out parameter is a type mismatch at its position.
    UINT argErr = 99;
    VARIANT byValue;
    V_VT(&byValue) = VT_BSTR;
    V_BSTR(&byValue) = nullptr;
    EXPECT_EQ(Call(7, kMethod, {I4(1), byValue}, &result, nullptr, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
}

TEST_F(Dispatch, ConversionFailureHasNoEffect)
{
    proxy.InvokeHelper(12, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_UI2, 5);
    // -1 cannot be an unsigned 16-bit value: the platform's conversion error.
    EXPECT_EQ(proxy.TryInvokeHelper(12, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_I2, -1), DISP_E_OVERFLOW);
    EXPECT_EQ(proxy.TryInvokeHelper(12, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_I4, 70000L), DISP_E_OVERFLOW);
    unsigned short count = 0;
    proxy.InvokeHelper(13, kMethod, VT_UI2, &count, (const BYTE*)VTS_NONE);
    EXPECT_EQ(count, 5);

    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(L"abc");
    VARIANT result;
    VariantInit(&result);
    UINT argErr = 99;
    EXPECT_EQ(Call(1, kMethod, {text}, &result, nullptr, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    SysFreeString(V_BSTR(&text));
}

TEST_F(Dispatch, RangeIsCheckedThroughAReferenceToo)
{
    short minusOne = -1, fine = 300;
    LONG tooBig = 70000;
    VARIANT holder;
    V_VT(&holder) = VT_I2;
    V_I2(&holder) = -1;
    struct Case {
        VARTYPE vt;
        void* ref;
        HRESULT expected;
        unsigned short count;  // after the call
    } cases[] = {
        {VT_I2 | VT_BYREF, &minusOne, DISP_E_OVERFLOW, 5},
        {VT_I4 | VT_BYREF, &tooBig, DISP_E_OVERFLOW, 5},
        {VT_VARIANT | VT_BYREF, &holder, DISP_E_OVERFLOW, 5},
        {VT_I2 | VT_BYREF, &fine, S_OK, 300},
    };
    for (const Case& c : cases) {
        proxy.InvokeHelper(12, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_UI2, 5);
        VARIANT arg;
        V_VT(&arg) = c.vt;
        V_BYREF(&arg) = c.ref;
        UINT argErr = 99;
        EXPECT_EQ(Call(12, kMethod, {arg}, nullptr, nullptr, &argErr), c.expected) << c.vt;
        if (FAILED(c.expected)) {
            EXPECT_EQ(argErr, 0u);
        }
        unsigned short count = 0;
        proxy.InvokeHelper(13, kMethod, VT_UI2, &count, (const BYTE*)VTS_NONE);
        EXPECT_EQ(count, c.count) << c.vt;
    }
    EXPECT_EQ(minusOne, -1);
    EXPECT_EQ(V_VT(&holder), VT_I2);
}

// References a hostile caller may pass: a variant that refers to itself,
// chains of variant references, and null references of every integer and
// string type, by value and for an out parameter. Refused ones change
// nothing: the member does not run and the caller's values stay as they were.
TEST_F(Dispatch, ReferencesAreFollowedOnlySoFarAndNeverThroughNull)
{
    const int limit = fw::kMaxVariantReferences;
    VARIANT self;
    V_VT(&self) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&self) = &self;
    // chain[k] is k variant references away from an unsigned 16-bit 300.
    std::vector<VARIANT> chain(limit + 2);
    V_VT(&chain[0]) = VT_UI2;
    V_UI2(&chain[0]) = 300;
    for (size_t k = 1; k < chain.size(); ++k) {
        V_VT(&chain[k]) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&chain[k]) = &chain[k - 1];
    }
    auto nullRef = [](VARTYPE vt) {
        VARIANT v;
        V_VT(&v) = vt | VT_BYREF;
        V_BYREF(&v) = nullptr;
        return v;
    };
    // A null reference behind a variant reference.
    VARIANT nullI2 = nullRef(VT_I2);
    VARIANT toNullI2;
    V_VT(&toNullI2) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&toNullI2) = &nullI2;

    struct Case {
        const char* what;
        VARIANT arg;
        HRESULT expected;
    };
    std::vector<Case> cases = {
        {"itself", self, DISP_E_TYPEMISMATCH},
        {"chain at the limit", chain[limit], S_OK},
        {"chain beyond the limit", chain[limit + 1], DISP_E_TYPEMISMATCH},
        {"null behind a reference", toNullI2, DISP_E_TYPEMISMATCH},
    };
    for (VARTYPE vt : {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT, VT_I8, VT_UI8, VT_BOOL, VT_BSTR,
                       VT_VARIANT})
        cases.push_back({"null", nullRef(vt), DISP_E_TYPEMISMATCH});

    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " vt " + std::to_string(V_VT(&c.arg)));
        // An integer parameter (SetCount) and a string one (Concat, second place).
        proxy.InvokeHelper(12, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_UI2, 5);
        UINT argErr = 99;
        EXPECT_EQ(Call(12, kMethod, {c.arg}, nullptr, nullptr, &argErr), c.expected);
        unsigned short count = 0;
        proxy.InvokeHelper(13, kMethod, VT_UI2, &count, (const BYTE*)VTS_NONE);
        EXPECT_EQ(count, SUCCEEDED(c.expected) ? 300 : 5);
        if (FAILED(c.expected)) {
            EXPECT_EQ(argErr, 0u);
        }

        VARIANT first;
        V_VT(&first) = VT_BSTR;
        V_BSTR(&first) = SysAllocString(L"a");
        VARIANT result;
        VariantInit(&result);
        argErr = 99;
        EXPECT_EQ(Call(6, kMethod, {c.arg, first}, &result, nullptr, &argErr), c.expected);
        if (FAILED(c.expected)) {
            EXPECT_EQ(argErr, 0u);
            EXPECT_EQ(V_VT(&result), VT_EMPTY);
        } else {
            EXPECT_STREQ(V_BSTR(&result), L"a300");
        }
        VariantClear(&result);
        SysFreeString(V_BSTR(&first));
    }
    EXPECT_EQ(V_VARIANTREF(&self), &self);
    EXPECT_EQ(V_UI2(&chain[0]), 300);
}

TEST_F(Dispatch, OutParameterReferencesAreFollowedOnlySoFarAndNeverThroughNull)
{
    const int limit = fw::kMaxVariantReferences;
    // chain[k] is k variant references away from the caller's string.
    std::vector<VARIANT> chain(limit + 2);
    V_VT(&chain[0]) = VT_BSTR;
    V_BSTR(&chain[0]) = SysAllocString(L"sentinel");
    for (size_t k = 1; k < chain.size(); ++k) {
        V_VT(&chain[k]) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&chain[k]) = &chain[k - 1];
    }
    VARIANT self;
    V_VT(&self) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&self) = &self;
    VARIANT nullText, nullVariant;
    V_VT(&nullText) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&nullText) = nullptr;
    V_VT(&nullVariant) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&nullVariant) = nullptr;
    struct Case {
        VARIANT out;
        HRESULT expected;
    } cases[] = {
        {self, DISP_E_TYPEMISMATCH},
        {nullText, DISP_E_TYPEMISMATCH},
        {nullVariant, DISP_E_TYPEMISMATCH},
        {chain[limit + 1], DISP_E_TYPEMISMATCH},
        {chain[limit], S_OK},
    };
    for (const Case& c : cases) {
        UINT argErr = 99;
        EXPECT_EQ(Call(7, kMethod, {I4(3), c.out}, nullptr, nullptr, &argErr), c.expected) << V_VT(&c.out);
        if (FAILED(c.expected)) {
            EXPECT_EQ(argErr, 1u);
            EXPECT_STREQ(V_BSTR(&chain[0]), L"sentinel");
        }
    }
    // The accepted chain led the member to the caller's string, which it replaced.
    EXPECT_EQ(V_VT(&chain[0]), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&chain[0]), L"xxx");
    VariantClear(&chain[0]);
}

TEST_F(Dispatch, FailedCallLeavesTheCallersEmptyOutVariableAlone)
{
    VARIANT holder;
    VariantInit(&holder);
    VARIANT out;
    V_VT(&out) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&out) = &holder;
    VARIANT notANumber;
    V_VT(&notANumber) = VT_BSTR;
    V_BSTR(&notANumber) = SysAllocString(L"abc");
    UINT argErr = 99;
    EXPECT_EQ(Call(7, kMethod, {notANumber, out}, nullptr, nullptr, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(V_VT(&holder), VT_EMPTY);
    SysFreeString(V_BSTR(&notANumber));
}

TEST_F(Dispatch, ExceptionBecomesDispException)
{
    EXPECT_EQ(proxy.TryInvokeHelper(8, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_I2, 2), S_OK);
    EXPECT_EQ(proxy.TryInvokeHelper(8, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_I2, 3), DISP_E_EXCEPTION);

    EXCEPINFO info = {};
    VARIANT result;
    VariantInit(&result);
    VARIANT arg;
    V_VT(&arg) = VT_I2;
    V_I2(&arg) = 3;
    EXPECT_EQ(Call(8, kMethod, {arg}, &result, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_INVALIDARG);
    EXPECT_NE(info.bstrDescription, nullptr);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);

    try {
        proxy.InvokeHelper(8, kMethod, VT_EMPTY, nullptr, (const BYTE*)VTS_I2, 4);
        ADD_FAILURE() << "no exception";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_scError, E_INVALIDARG);
    }
}

TEST_F(Dispatch, MalformedCallsGetExactErrors)
{
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(Call(99, kMethod, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(1, kMethod, {}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(1, kMethod, {I4(1), I4(2)}, &result), DISP_E_BADPARAMCOUNT);
    VARIANT arg = I4(1);
    DISPPARAMS dp = {&arg, nullptr, 1, 0};
    EXPECT_EQ(raw->Invoke(1, IID_IDispatch, 0, kMethod, &dp, &result, nullptr, nullptr), DISP_E_UNKNOWNINTERFACE);
    DISPID named = 0;
    DISPPARAMS withName = {&arg, &named, 1, 1};
    EXPECT_EQ(raw->Invoke(1, IID_NULL, 0, kMethod, &withName, &result, nullptr, nullptr), DISP_E_NONAMEDARGS);
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    // A method call with no result wanted still runs.
    EXPECT_EQ(Call(1, kMethod, {I4(4)}, nullptr), S_OK);
}

TEST_F(Dispatch, NamesAndTypesComeFromTheTypeLibrary)
{
    LPOLESTR name = const_cast<LPOLESTR>(L"echoi4");
    DISPID id = 0;
    EXPECT_EQ(raw->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 4);
    LPOLESTR unknown = const_cast<LPOLESTR>(L"Nope");
    EXPECT_EQ(raw->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);

    ITypeInfo* info = nullptr;
    ASSERT_EQ(raw->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, DIID__DFwTest));
    info->ReleaseTypeAttr(attr);
    info->Release();
    info = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(raw->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);

    IProvideClassInfo2* classInfo = nullptr;
    ASSERT_EQ(raw->QueryInterface(IID_IProvideClassInfo2, (void**)&classInfo), S_OK);
    GUID events = GUID_NULL;
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_TRUE(IsEqualGUID(events, DIID__DFwTestEvents));
    classInfo->Release();

    IDispatch* viaIid = nullptr;
    EXPECT_EQ(raw->QueryInterface(DIID__DFwTest, (void**)&viaIid), S_OK);
    EXPECT_EQ(viaIid, raw);
    viaIid->Release();
}

TEST_F(Dispatch, WindowHandleTravelsAsA32BitValue)
{
    long value = 0;
    proxy.InvokeHelper(11, kMethod, VT_I4, &value, (const BYTE*)VTS_NONE);
    EXPECT_EQ(LongToHandle(value), proxy.GetSafeHwnd());
}

TEST_F(Dispatch, ResultIsLeftAloneOnFailure)
{
    short sentinel = 0x5A5A;
    EXPECT_EQ(proxy.TryInvokeHelper(99, kMethod, VT_I2, &sentinel, (const BYTE*)VTS_NONE), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(sentinel, 0x5A5A);
    std::string text = "untouched";
    EXPECT_EQ(proxy.TryInvokeHelper(8, kMethod, VT_BSTR, &text, (const BYTE*)VTS_I2, 9), DISP_E_EXCEPTION);
    EXPECT_EQ(text, "untouched");
}

} // namespace

namespace {

// A callee that only records the shape of the call it was given.
class RecordingDispatch : public IDispatch {
public:
    UINT cArgs = 99, cNamedArgs = 99;
    DISPID named = 0;
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override { *ppv = nullptr; return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* dp, VARIANT*, EXCEPINFO*, UINT*) override
    {
        cArgs = dp->cArgs;
        cNamedArgs = dp->cNamedArgs;
        named = dp->cNamedArgs ? dp->rgdispidNamedArgs[0] : 0;
        return S_OK;
    }
};

TEST(DispatchCaller, PropertyPutNamesOnlyAnArgumentThatIsThere)
{
    struct Case {
        const char* params;
        UINT cArgs, cNamedArgs;
    } cases[] = {{VTS_I2, 1, 1}, {VTS_NONE, 0, 0}};
    for (const Case& c : cases) {
        RecordingDispatch callee;
        EXPECT_EQ(fw::InvokeDispatch(&callee, 20, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, nullptr,
                                     (const BYTE*)c.params, 7),
                  S_OK);
        EXPECT_EQ(callee.cArgs, c.cArgs);
        EXPECT_EQ(callee.cNamedArgs, c.cNamedArgs);
        if (c.cNamedArgs) {
            EXPECT_EQ(callee.named, DISPID_PROPERTYPUT);
        }
    }
}

} // namespace
