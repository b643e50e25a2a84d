#include "CPenvanePdf.h"

namespace {

namespace id = penvanepdf::dispid;

const RECT kHiddenRect = {0, 0, 1, 1};
const BYTE kNoParams[] = VTS_NONE;

}  // namespace

BOOL CPenvanePdf::Create(HWND parent, UINT childId)
{
    return CreateControl(penvanepdf::kControlClsid, nullptr, 0, kHiddenRect, parent, childId);
}

namespace {

// A member without arguments that answers a string, as 8-bit text.
std::string TextOf(CWnd& control, DISPID dispid)
{
    std::string text;
    control.InvokeHelper(dispid, DISPATCH_METHOD, VT_BSTR, &text, kNoParams);
    return text;
}

}  // namespace

std::string CPenvanePdf::GetName() { return TextOf(*this, id::GetName); }

void CPenvanePdf::GetPdfSig(BSTR* data, long width, long height)
{
    // The control gets a null string in, never the caller's old value; the
    // caller's variable changes only once the call succeeded.
    static const BYTE params[] = VTS_PBSTR VTS_I4 VTS_I4;
    BSTR result = nullptr;
    InvokeHelper(id::GetPdfSig, DISPATCH_METHOD, VT_EMPTY, nullptr, params, &result, width, height);
    *data = result;
}

std::string CPenvanePdf::GetSigString() { return TextOf(*this, id::GetSigString); }

bool CPenvanePdf::AcquireSig()
{
    BOOL accepted = FALSE;
    InvokeHelper(id::AcquireSig, DISPATCH_METHOD, VT_BOOL, &accepted, kNoParams);
    return accepted != FALSE;
}

std::string CPenvanePdf::GetReason() { return TextOf(*this, id::GetReason); }
std::string CPenvanePdf::GetLocation() { return TextOf(*this, id::GetLocation); }
std::string CPenvanePdf::GetPathName() { return TextOf(*this, id::GetPathName); }
std::string CPenvanePdf::GetSigTag() { return TextOf(*this, id::GetSigTag); }

void CPenvanePdf::SetSigFieldName(const char* name)
{
    static const BYTE params[] = VTS_BSTR;
    InvokeHelper(id::SetSigFieldName, DISPATCH_METHOD, VT_EMPTY, nullptr, params, name ? name : "");
}

void CPenvanePdf::SetNumberOfReasons(unsigned short count)
{
    static const BYTE params[] = VTS_UI2;
    InvokeHelper(id::SetNumberOfReasons, DISPATCH_METHOD, VT_EMPTY, nullptr, params, count);
}

void CPenvanePdf::SetReasonString(unsigned short index, const char* reason)
{
    static const BYTE params[] = VTS_UI2 VTS_BSTR;
    InvokeHelper(id::SetReasonString, DISPATCH_METHOD, VT_EMPTY, nullptr, params, index, reason ? reason : "");
}

void CPenvanePdf::SetReasonRequired(unsigned short required)
{
    static const BYTE params[] = VTS_UI2;
    InvokeHelper(id::SetReasonRequired, DISPATCH_METHOD, VT_EMPTY, nullptr, params, required);
}

std::string CPenvanePdf::GetContactInfo() { return TextOf(*this, id::GetContactInfo); }
