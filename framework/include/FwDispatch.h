// Automation calls in both directions.
//
// Caller side: InvokeDispatch builds DISPPARAMS from a VTS_ parameter list and
// C varargs, calls IDispatch::Invoke and converts the result. It never throws;
// CWnd::InvokeHelper wraps it and throws COleDispatchException.
//
// Callee side: CallMember converts DISPPARAMS arguments, already coerced to
// the declared types, into a C++ member call; the dispatch tables of
// COleControl and the event-sink tables use it.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <cstdarg>
#include <exception>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "FwStrings.h"

// Parameter type lists, concatenated as string literals: VTS_I2 VTS_BSTR.
// The byte 0x40 marks a by-reference parameter.
#define VTS_NONE     ""
#define VTS_I2       "\x02"
#define VTS_I4       "\x03"
#define VTS_BSTR     "\x08"   // caller: const char* (ANSI); callee: const char*
#define VTS_BOOL     "\x0B"   // BOOL
#define VTS_VARIANT  "\x0C"   // caller: const VARIANT*; callee: const VARIANT*
#define VTS_I1       "\x10"   // caller: int (promoted char)
#define VTS_UI1      "\x11"
#define VTS_UI2      "\x12"   // caller: int (promoted unsigned short)
#define VTS_UI4      "\x13"
#define VTS_PI2      "\x42"   // short*
#define VTS_PI4      "\x43"   // long*
#define VTS_PBSTR    "\x48"   // BSTR*: in/out, raw UTF-16 (or bytes), owned by the caller
#define VTS_PVARIANT "\x4C"   // VARIANT*

namespace fw {

const BYTE kVtsByRef = 0x40;

// The most VT_VARIANT|VT_BYREF references the callee follows to reach an
// argument. A scripting host passes one; a script that hands on a
// by-reference argument of its own adds one per call. Deeper chains, and a
// variant that refers to itself, are refused with DISP_E_TYPEMISMATCH.
const int kMaxVariantReferences = 8;

// Holds DISPPARAMS arguments built from a VTS_ list; frees what it made.
class DispArgs {
public:
    DispArgs() = default;
    DispArgs(const DispArgs&) = delete;
    DispArgs& operator=(const DispArgs&) = delete;
    ~DispArgs();
    // Reads one vararg per entry of `params`. E_INVALIDARG for an unknown
    // type byte, E_OUTOFMEMORY when a BSTR cannot be made.
    HRESULT Build(const BYTE* params, va_list args);
    // Arguments in DISPPARAMS order (last parameter first).
    DISPPARAMS Params(bool propertyPut);

private:
    std::vector<VARIANT> m_reversed;
    DISPID m_putId = DISPID_PROPERTYPUT;
};

// Invokes `dispid` on `dispatch` with `wFlags` (DISPATCH_METHOD,
// DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT). The result, when vtRet is not
// VT_EMPTY, is converted to vtRet and stored in *pvRet: VT_I2 short*, VT_UI2
// unsigned short*, VT_I1 char*, VT_I4 long*, VT_BOOL BOOL*, VT_BSTR
// std::string* (ANSI), VT_VARIANT VARIANT* (caller clears). On failure
// *pvRet is left alone and `excepInfo` (optional) receives what the callee
// reported with DISP_E_EXCEPTION.
HRESULT InvokeDispatchV(IDispatch* dispatch, DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet,
                        const BYTE* params, va_list args, EXCEPINFO* excepInfo);

// The same with the arguments as varargs after `params`.
HRESULT InvokeDispatch(IDispatch* dispatch, DISPID dispid, WORD wFlags, VARTYPE vtRet, void* pvRet,
                       EXCEPINFO* excepInfo, const BYTE* params, ...);

// ---- callee side ------------------------------------------------------------

// Coerces DISPPARAMS to declared types, holding the converted copies. By-
// reference BSTR parameters accept VT_BSTR|VT_BYREF and, as scripting hosts
// pass them, VT_VARIANT|VT_BYREF around a BSTR or an empty variant. A null
// reference of any type, and a chain of references longer than
// kMaxVariantReferences, is a type mismatch: nothing reads through it.
class CoercedArgs {
public:
    CoercedArgs() = default;
    CoercedArgs(const CoercedArgs&) = delete;
    CoercedArgs& operator=(const CoercedArgs&) = delete;
    ~CoercedArgs();
    // DISP_E_BADPARAMCOUNT, E_OUTOFMEMORY, or the conversion error with
    // *argErr set to the failing argument's DISPPARAMS index. Never throws.
    HRESULT Coerce(const DISPPARAMS* dp, const BYTE* params, UINT* argErr);
    VARIANT* Values() { return m_values.empty() ? nullptr : m_values.data(); }
    const char* const* Ansi() { return m_ansiPtrs.empty() ? nullptr : m_ansiPtrs.data(); }

private:
    HRESULT CoerceAll(const DISPPARAMS* dp, const BYTE* params, UINT* argErr);

    std::vector<VARIANT> m_values;
    std::vector<std::string> m_ansi;
    std::vector<const char*> m_ansiPtrs;
};

namespace detail {

long long IntegerOf(const VARIANT& v);

template <class T, class Enable = void> struct ArgFrom;
template <class T> struct ArgFrom<T, typename std::enable_if<std::is_integral<T>::value>::type> {
    static T Get(VARIANT& v, const char*) { return static_cast<T>(IntegerOf(v)); }
};
template <> struct ArgFrom<const char*> {
    static const char* Get(VARIANT&, const char* ansi) { return ansi ? ansi : ""; }
};
template <> struct ArgFrom<BSTR> {
    static BSTR Get(VARIANT& v, const char*) { return V_VT(&v) == VT_BSTR ? V_BSTR(&v) : nullptr; }
};
template <> struct ArgFrom<const OLECHAR*> {
    static const OLECHAR* Get(VARIANT& v, const char*) { return V_VT(&v) == VT_BSTR ? V_BSTR(&v) : nullptr; }
};
template <> struct ArgFrom<BSTR*> {
    static BSTR* Get(VARIANT& v, const char*) { return V_VT(&v) == (VT_BSTR | VT_BYREF) ? V_BSTRREF(&v) : nullptr; }
};
template <> struct ArgFrom<short*> {
    static short* Get(VARIANT& v, const char*) { return V_VT(&v) == (VT_I2 | VT_BYREF) ? V_I2REF(&v) : nullptr; }
};
template <> struct ArgFrom<long*> {
    static long* Get(VARIANT& v, const char*) { return V_VT(&v) == (VT_I4 | VT_BYREF) ? reinterpret_cast<long*>(V_I4REF(&v)) : nullptr; }
};
template <> struct ArgFrom<VARIANT*> {
    static VARIANT* Get(VARIANT& v, const char*) { return V_VT(&v) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(&v) : &v; }
};
template <> struct ArgFrom<const VARIANT*> {
    static const VARIANT* Get(VARIANT& v, const char*) { return &v; }
};

// Stores a member's result as `vt` (nothing when `out` is null).
HRESULT StoreInteger(long long value, VARIANT* out, VARTYPE vt);
HRESULT StoreBstr(BSTR value, VARIANT* out, VARTYPE vt);

template <class R> struct ResultTo {
    static HRESULT Put(R value, VARIANT* out, VARTYPE vt) {
        static_assert(std::is_integral<R>::value, "unsupported result type");
        return StoreInteger(static_cast<long long>(value), out, vt);
    }
};
template <> struct ResultTo<BSTR> {
    static HRESULT Put(BSTR value, VARIANT* out, VARTYPE vt) { return StoreBstr(value, out, vt); }
};
template <> struct ResultTo<std::string> {
    static HRESULT Put(const std::string& value, VARIANT* out, VARTYPE vt) {
        BSTR b = AnsiToBstr(value);
        if (!b) return E_OUTOFMEMORY;
        return StoreBstr(b, out, vt);
    }
};

template <class T, class R, class... A, size_t... I>
HRESULT CallWith(T* self, R (T::*pfn)(A...), VARIANT* args, const char* const* ansi, VARIANT* result,
                 VARTYPE vtResult, std::index_sequence<I...>)
{
    (void)args; (void)ansi;
    if constexpr (std::is_void<R>::value) {
        (self->*pfn)(ArgFrom<A>::Get(args[I], ansi ? ansi[I] : nullptr)...);
        (void)result; (void)vtResult;
        return S_OK;
    } else {
        return ResultTo<R>::Put((self->*pfn)(ArgFrom<A>::Get(args[I], ansi ? ansi[I] : nullptr)...), result,
                                vtResult);
    }
}

// Calls `pfn` on `self` with the coerced arguments (declared order) and
// stores its result. Exceptions pass through to the caller.
template <class C, class T, class R, class... A>
HRESULT CallMember(C* self, R (T::*pfn)(A...), VARIANT* args, const char* const* ansi, VARIANT* result,
                   VARTYPE vtResult)
{
    return CallWith(static_cast<T*>(self), pfn, args, ansi, result, vtResult, std::index_sequence_for<A...>());
}

} // namespace detail

// Fills EXCEPINFO for DISP_E_EXCEPTION from a caught exception.
void FillExcepInfo(EXCEPINFO* info, SCODE scode, const std::string& description, const wchar_t* source);

} // namespace fw

// A failed automation call. Thrown by value; code that must not throw across
// a boundary catches it (or uses CWnd::TryInvokeHelper, which never throws).
class COleDispatchException : public std::exception {
public:
    COleDispatchException(SCODE scode, const std::string& description, WORD wCode = 0)
        : m_scError(scode), m_wCode(wCode), m_strDescription(description) {}
    const char* what() const noexcept override { return m_strDescription.c_str(); }
    SCODE m_scError;
    WORD m_wCode;
    std::string m_strDescription;
};

// The invalid-argument failure of a dispatch member: the dispatch layer turns
// it into DISP_E_EXCEPTION with scode E_INVALIDARG.
[[noreturn]] void AfxThrowInvalidArgException();
