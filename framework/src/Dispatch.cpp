#include "FwDispatch.h"

#include <new>
#include <utility>

namespace fw {

namespace {
HRESULT ChangeType(VARIANT* out, const VARIANT* in, VARTYPE vt);
}

// ---- caller side ------------------------------------------------------------

DispArgs::~DispArgs()
{
    for (VARIANT& v : m_reversed) VariantClear(&v);
}

HRESULT DispArgs::Build(const BYTE* params, va_list args)
{
    std::vector<VARIANT> inOrder;
    HRESULT hr = S_OK;
    for (const BYTE* p = params; p && *p; ++p) {
        VARIANT v;
        VariantInit(&v);
        const bool byRef = (*p & kVtsByRef) != 0;
        const VARTYPE vt = (VARTYPE)(*p & ~kVtsByRef);
        if (byRef) {
            void* target = va_arg(args, void*);
            switch (vt) {
            case VT_I2: V_VT(&v) = VT_I2 | VT_BYREF; V_I2REF(&v) = static_cast<short*>(target); break;
            case VT_I4: V_VT(&v) = VT_I4 | VT_BYREF; V_I4REF(&v) = static_cast<LONG*>(target); break;
            case VT_BSTR: V_VT(&v) = VT_BSTR | VT_BYREF; V_BSTRREF(&v) = static_cast<BSTR*>(target); break;
            case VT_VARIANT: V_VT(&v) = VT_VARIANT | VT_BYREF; V_VARIANTREF(&v) = static_cast<VARIANT*>(target); break;
            default: hr = E_INVALIDARG; break;
            }
        } else {
            switch (vt) {
            case VT_I2: V_VT(&v) = VT_I2; V_I2(&v) = (SHORT)va_arg(args, int); break;
            case VT_UI2: V_VT(&v) = VT_UI2; V_UI2(&v) = (USHORT)va_arg(args, int); break;
            case VT_I1: V_VT(&v) = VT_I1; V_I1(&v) = (CHAR)va_arg(args, int); break;
            case VT_UI1: V_VT(&v) = VT_UI1; V_UI1(&v) = (BYTE)va_arg(args, int); break;
            case VT_I4: V_VT(&v) = VT_I4; V_I4(&v) = (LONG)va_arg(args, long); break;
            case VT_UI4: V_VT(&v) = VT_UI4; V_UI4(&v) = (ULONG)va_arg(args, unsigned long); break;
            case VT_BOOL: V_VT(&v) = VT_BOOL; V_BOOL(&v) = va_arg(args, int) ? VARIANT_TRUE : VARIANT_FALSE; break;
            case VT_BSTR:
                V_VT(&v) = VT_BSTR;
                V_BSTR(&v) = AnsiToBstr(va_arg(args, const char*));
                if (!V_BSTR(&v)) { V_VT(&v) = VT_EMPTY; hr = E_OUTOFMEMORY; }
                break;
            case VT_VARIANT: {
                const VARIANT* src = va_arg(args, const VARIANT*);
                if (src) hr = VariantCopy(&v, const_cast<VARIANT*>(src));
                break;
            }
            default: hr = E_INVALIDARG; break;
            }
        }
        inOrder.push_back(v);
        if (FAILED(hr)) break;
    }
    m_reversed.assign(inOrder.rbegin(), inOrder.rend());
    return hr;
}

DISPPARAMS DispArgs::Params(bool propertyPut)
{
    DISPPARAMS dp = {};
    dp.cArgs = (UINT)m_reversed.size();
    dp.rgvarg = m_reversed.empty() ? nullptr : m_reversed.data();
    if (propertyPut && dp.cArgs) {  // the named argument is the value; none without one
        dp.cNamedArgs = 1;
        dp.rgdispidNamedArgs = &m_putId;
    }
    return dp;
}

HRESULT InvokeDispatchV(IDispatch* dispatch, DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet,
                        const BYTE* params, va_list args, EXCEPINFO* excepInfo)
{
    if (!dispatch) return E_POINTER;
    if (vtRet != VT_EMPTY && !pvRet) return E_POINTER;
    DispArgs built;
    HRESULT hr = built.Build(params, args);
    if (FAILED(hr)) return hr;
    const bool put = (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS dp = built.Params(put);

    VARIANT result;
    VariantInit(&result);
    EXCEPINFO local = {};
    UINT argErr = 0;
    hr = dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &dp,
                          vtRet == VT_EMPTY ? nullptr : &result, &local, &argErr);
    if (hr == DISP_E_EXCEPTION && local.pfnDeferredFillIn) local.pfnDeferredFillIn(&local);
    if (excepInfo) *excepInfo = local;
    else {
        SysFreeString(local.bstrSource);
        SysFreeString(local.bstrDescription);
        SysFreeString(local.bstrHelpFile);
    }
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    if (vtRet == VT_EMPTY) return hr;
    if (vtRet == VT_VARIANT) {
        *static_cast<VARIANT*>(pvRet) = result;
        return hr;
    }
    VARIANT converted;
    VariantInit(&converted);
    HRESULT hc = ChangeType(&converted, &result, vtRet);
    VariantClear(&result);
    if (FAILED(hc)) return hc;
    switch (vtRet) {
    case VT_I2: *static_cast<short*>(pvRet) = V_I2(&converted); break;
    case VT_UI2: *static_cast<unsigned short*>(pvRet) = V_UI2(&converted); break;
    case VT_I1: *static_cast<char*>(pvRet) = V_I1(&converted); break;
    case VT_UI1: *static_cast<BYTE*>(pvRet) = V_UI1(&converted); break;
    case VT_I4: *static_cast<long*>(pvRet) = V_I4(&converted); break;
    case VT_UI4: *static_cast<unsigned long*>(pvRet) = V_UI4(&converted); break;
    case VT_BOOL: *static_cast<BOOL*>(pvRet) = V_BOOL(&converted) ? TRUE : FALSE; break;
    case VT_BSTR: *static_cast<std::string*>(pvRet) = BstrToAnsi(V_BSTR(&converted)); break;
    default: hr = E_INVALIDARG; break;
    }
    VariantClear(&converted);
    return hr;
}

HRESULT InvokeDispatch(IDispatch* dispatch, DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet,
                       EXCEPINFO* excepInfo, const BYTE* params, ...)
{
    va_list args;
    va_start(args, params);
    HRESULT hr = InvokeDispatchV(dispatch, dispid, wFlags, vtRet, pvRet, params, args, excepInfo);
    va_end(args);
    return hr;
}

// ---- callee side ------------------------------------------------------------

namespace {

bool IntegerLimits(VARTYPE vt, long long* lo, long long* hi)
{
    switch (vt) {
    case VT_I1: *lo = -128; *hi = 127; return true;
    case VT_UI1: *lo = 0; *hi = 255; return true;
    case VT_I2: *lo = -32768; *hi = 32767; return true;
    case VT_UI2: *lo = 0; *hi = 65535; return true;
    case VT_I4: case VT_INT: *lo = -2147483648LL; *hi = 2147483647LL; return true;
    case VT_UI4: case VT_UINT: *lo = 0; *hi = 4294967295LL; return true;
    default: return false;
    }
}

bool IntegerValue(const VARIANT& v, long long* value)
{
    if (V_VT(&v) & VT_BYREF) {
        // The range check applies to what the reference points at.
        VARIANT direct;
        VariantInit(&direct);
        if (FAILED(VariantCopyInd(&direct, const_cast<VARIANT*>(&v)))) return false;
        const bool integer = IntegerValue(direct, value);
        VariantClear(&direct);
        return integer;
    }
    switch (V_VT(&v)) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
        *value = detail::IntegerOf(v);
        return true;
    case VT_I8: *value = V_I8(&v); return true;
    case VT_UI8:
        if (V_UI8(&v) > 0x7FFFFFFFFFFFFFFFull) *value = 0x7FFFFFFFFFFFFFFFll;
        else *value = (long long)V_UI8(&v);
        return true;
    default: return false;
    }
}

// Integer to integer keeps the value or fails with DISP_E_OVERFLOW, as the
// per-type conversions (VarUI2FromI2, ...) do. VariantChangeType itself is
// not relied on here: Wine's turns a VT_I2 of -1 into a VT_UI2 of 65535.
HRESULT ChangeType(VARIANT* out, const VARIANT* in, VARTYPE vt)
{
    long long lo = 0, hi = 0, value = 0;
    if (IntegerLimits(vt, &lo, &hi) && IntegerValue(*in, &value)) {
        if (value < lo || value > hi) return DISP_E_OVERFLOW;
        VARIANT tmp;
        VariantInit(&tmp);
        V_VT(&tmp) = VT_I8;
        V_I8(&tmp) = value;
        return VariantChangeType(out, &tmp, 0, vt);
    }
    return VariantChangeType(out, const_cast<VARIANT*>(in), 0, vt);
}

} // namespace

CoercedArgs::~CoercedArgs()
{
    for (VARIANT& v : m_values) VariantClear(&v);
}

namespace {

// The variant that a chain of VT_VARIANT|VT_BYREF references ends at: itself
// when `arg` is no such reference. A null reference anywhere, or a chain
// longer than kMaxVariantReferences (a variant that refers to itself never
// ends), is refused here, before anything reads through it.
HRESULT FollowVariantReferences(VARIANT* arg, VARIANT** target)
{
    VARIANT* v = arg;
    for (int followed = 0; V_VT(v) == (VT_VARIANT | VT_BYREF); ++followed) {
        if (followed == kMaxVariantReferences || !V_VARIANTREF(v)) return DISP_E_TYPEMISMATCH;
        v = V_VARIANTREF(v);
    }
    // Any other reference is read by the platform's conversion, which does
    // not check the pointer.
    if ((V_VT(v) & VT_BYREF) && !V_BYREF(v)) return DISP_E_TYPEMISMATCH;
    *target = v;
    return S_OK;
}

} // namespace

HRESULT CoercedArgs::Coerce(const DISPPARAMS* dp, const BYTE* params, UINT* argErr)
{
    try {
        return CoerceAll(dp, params, argErr);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;  // a huge string argument: refused, not thrown across COM
    }
}

HRESULT CoercedArgs::CoerceAll(const DISPPARAMS* dp, const BYTE* params, UINT* argErr)
{
    size_t declared = 0;
    for (const BYTE* p = params; p && *p; ++p) ++declared;
    const UINT given = dp ? dp->cArgs : 0;
    if (given != declared) return DISP_E_BADPARAMCOUNT;
    if (given && !dp->rgvarg) return E_INVALIDARG;

    m_values.resize(declared);
    for (VARIANT& v : m_values) VariantInit(&v);
    m_ansi.resize(declared);
    m_ansiPtrs.assign(declared, nullptr);
    // Empty variants of the caller that out parameters will fill: typed only
    // once every argument has been accepted, so a refused call changes nothing.
    std::vector<std::pair<VARIANT*, VARTYPE>> emptyOuts;

    for (size_t i = 0; i < declared; ++i) {
        const UINT index = given - 1 - (UINT)i;  // DISPPARAMS holds the last argument first
        VARIANT* src = &dp->rgvarg[index];
        const bool byRef = (params[i] & kVtsByRef) != 0;
        const VARTYPE vt = (VARTYPE)(params[i] & ~kVtsByRef);
        VARIANT* target = nullptr;
        HRESULT hr = FollowVariantReferences(src, &target);
        if (SUCCEEDED(hr) && byRef) {
            VARIANT& out = m_values[i];
            if (V_VT(src) == (vt | VT_BYREF) && vt != VT_VARIANT) {
                out = *src;  // shares the caller's storage; never cleared here
            } else if (V_VT(src) == (VT_VARIANT | VT_BYREF)) {
                // What scripting hosts pass: a reference to the caller's variant
                // (through a further reference or two when a script passes on
                // a by-reference argument of its own).
                if (vt == VT_VARIANT) {
                    V_VT(&out) = VT_VARIANT | VT_BYREF; V_VARIANTREF(&out) = target;
                } else if (V_VT(target) == vt) {
                    V_VT(&out) = vt | VT_BYREF; V_BYREF(&out) = &target->bVal;
                } else if (V_VT(target) == VT_EMPTY || V_VT(target) == VT_NULL) {
                    emptyOuts.emplace_back(target, vt);
                    V_VT(&out) = vt | VT_BYREF; V_BYREF(&out) = &target->bVal;
                } else {
                    hr = DISP_E_TYPEMISMATCH;
                }
            } else {
                hr = DISP_E_TYPEMISMATCH;
            }
            if (SUCCEEDED(hr)) {
                // Keep VariantClear away from storage that belongs to the caller.
                continue;
            }
        } else if (SUCCEEDED(hr)) {
            if (vt == VT_VARIANT) hr = VariantCopyInd(&m_values[i], target);
            else hr = ChangeType(&m_values[i], target, vt);
            if (SUCCEEDED(hr) && vt == VT_BSTR) {
                m_ansi[i] = BstrToAnsi(V_BSTR(&m_values[i]));
                m_ansiPtrs[i] = m_ansi[i].c_str();
            }
        }
        if (FAILED(hr)) {
            if (argErr) *argErr = index;
            return hr;
        }
    }
    for (const auto& out : emptyOuts) {
        V_VT(out.first) = out.second;
        out.first->llVal = 0;
    }
    return S_OK;
}

namespace detail {

long long IntegerOf(const VARIANT& v)
{
    switch (V_VT(&v)) {
    case VT_I1: return V_I1(&v);
    case VT_UI1: return V_UI1(&v);
    case VT_I2: return V_I2(&v);
    case VT_UI2: return V_UI2(&v);
    case VT_I4: return V_I4(&v);
    case VT_UI4: return V_UI4(&v);
    case VT_INT: return V_INT(&v);
    case VT_UINT: return V_UINT(&v);
    case VT_BOOL: return V_BOOL(&v) ? 1 : 0;
    default: return 0;
    }
}

HRESULT StoreInteger(long long value, VARIANT* out, VARTYPE vt)
{
    if (!out || vt == VT_EMPTY) return S_OK;
    VARIANT tmp;
    VariantInit(&tmp);
    V_VT(&tmp) = VT_I8;
    V_I8(&tmp) = value;
    return ChangeType(out, &tmp, vt);
}

HRESULT StoreBstr(BSTR value, VARIANT* out, VARTYPE vt)
{
    if (!out || vt == VT_EMPTY) {
        SysFreeString(value);
        return S_OK;
    }
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = value;
    if (vt == VT_BSTR || vt == VT_VARIANT) return S_OK;
    return VariantChangeType(out, out, 0, vt);
}

} // namespace detail

void FillExcepInfo(EXCEPINFO* info, SCODE scode, const std::string& description, const wchar_t* source)
{
    if (!info) return;
    *info = EXCEPINFO();
    info->scode = scode;
    info->bstrDescription = AnsiToBstr(description);
    info->bstrSource = source ? SysAllocString(source) : nullptr;
}

} // namespace fw

void AfxThrowInvalidArgException()
{
    throw std::invalid_argument("The parameter is incorrect.");
}
