#include "PenvanePdfCtrl.h"

#include "CQuillix.h"
#include "GetSigDlg.h"
#include "PadSettings.h"
#include "PenvanePdfIds.h"
#include "PenvanePdfPropPage.h"
#include "Resource.h"

IMPLEMENT_OLECREATE_EX(CPenvanePdfCtrl, "PENVANEPDF.PenvanePdfCtrl.1", 0xabd79ae3, 0xde31, 0x44f1, 0xb4, 0xb6, 0xf8,
                       0x84, 0x4b, 0xf7, 0x90, 0x39)
IMPLEMENT_OLETYPELIB(CPenvanePdfCtrl, penvanepdf::kLibId, penvanepdf::kLibVersionMajor, penvanepdf::kLibVersionMinor)
IMPLEMENT_OLECTLTYPE(CPenvanePdfCtrl, IDS_PENVANEPDF, penvanepdf::kControlMiscStatus)

BEGIN_PROPPAGEIDS(CPenvanePdfCtrl, 1)
    PROPPAGEID(CPenvanePdfPropPage::guid)
END_PROPPAGEIDS(CPenvanePdfCtrl)

BEGIN_MESSAGE_MAP(CPenvanePdfCtrl, COleControl)
    ON_OLEVERB(AFX_IDS_VERB_PROPERTIES, OnProperties)
END_MESSAGE_MAP()

BEGIN_EVENT_MAP(CPenvanePdfCtrl, COleControl)
END_EVENT_MAP()

BEGIN_DISPATCH_MAP(CPenvanePdfCtrl, COleControl)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "GetName", 1, GetName, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "GetPdfSig", 2, GetPdfSig, VT_EMPTY, VTS_PBSTR VTS_I4 VTS_I4)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "GetSigString", 3, GetSigString, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "AcquireSig", 4, AcquireSig, VT_BOOL, VTS_NONE)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "GetReason", 5, GetReason, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "GetLocation", 6, GetLocation, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "GetPathName", 7, GetPathName, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "GetSigTag", 8, GetSigTag, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "SetSigFieldName", 9, SetSigFieldName, VT_EMPTY, VTS_BSTR)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "SetNumberOfReasons", 10, SetNumberOfReasons, VT_EMPTY, VTS_UI2)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "SetReasonString", 11, SetReasonString, VT_EMPTY, VTS_UI2 VTS_BSTR)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "SetReasonRequired", 12, SetReasonRequired, VT_EMPTY, VTS_UI2)
    DISP_FUNCTION_ID(CPenvanePdfCtrl, "GetContactInfo", 13, GetContactInfo, VT_BSTR, VTS_NONE)
END_DISPATCH_MAP()

BOOL CPenvanePdfCtrl::CPenvanePdfCtrlFactory::UpdateRegistry(BOOL bRegister)
{
    if (bRegister)
        return AfxOleRegisterControlClass(AfxGetInstanceHandle(), m_clsid, m_lpszProgID, IDS_PENVANEPDF,
                                          IDB_PENVANEPDF, afxRegApartmentThreading, penvanepdf::kControlMiscStatus,
                                          penvanepdf::kLibId, penvanepdf::kLibVersionMajor,
                                          penvanepdf::kLibVersionMinor);
    return AfxOleUnregisterClass(m_clsid, m_lpszProgID);
}

CPenvanePdfCtrl::CPenvanePdfCtrl()
{
    InitializeIIDs(&penvanepdf::kDispatchIid, &penvanepdf::kEventsIid);
}

CPenvanePdfCtrl::~CPenvanePdfCtrl() = default;

void CPenvanePdfCtrl::DoPropExchange(CPropExchange* px)
{
    ExchangeVersion(px, MAKELONG(penvanepdf::kLibVersionMinor, penvanepdf::kLibVersionMajor));
    COleControl::DoPropExchange(px);
}

void CPenvanePdfCtrl::OnResetState()
{
    COleControl::OnResetState();
}

void CPenvanePdfCtrl::OnDraw(CDC*, const CRect&, const CRect&)
{
    // The control has no visible surface.
}

BSTR CPenvanePdfCtrl::GetName() { return fw::AnsiToBstr(m_name); }
BSTR CPenvanePdfCtrl::GetSigString() { return fw::AnsiToBstr(m_sigString); }
BSTR CPenvanePdfCtrl::GetReason() { return fw::AnsiToBstr(m_reason); }
BSTR CPenvanePdfCtrl::GetLocation() { return fw::AnsiToBstr(m_location); }
BSTR CPenvanePdfCtrl::GetPathName() { return fw::AnsiToBstr(m_pathName); }
BSTR CPenvanePdfCtrl::GetSigTag() { return fw::AnsiToBstr(m_sigTag); }
BSTR CPenvanePdfCtrl::GetContactInfo() { return fw::AnsiToBstr(m_contactInfo); }

void CPenvanePdfCtrl::SetSigFieldName(const char* FieldName)
{
    m_sigFieldName = FieldName ? FieldName : "";
}

void CPenvanePdfCtrl::SetNumberOfReasons(unsigned short NumReasons)
{
    if (NumReasons > penvanepdf::kMaxReasons) AfxThrowInvalidArgException();
    m_reasons.resize(NumReasons);
    m_numReasons = NumReasons;
}

void CPenvanePdfCtrl::SetReasonString(unsigned short Index, BSTR Reason)
{
    // Measured as the caller wrote it, before the conversion to 8-bit text.
    if (Index >= m_reasons.size() || SysStringLen(Reason) > penvanepdf::kMaxReasonChars)
        AfxThrowInvalidArgException();
    m_reasons[Index] = fw::BstrToAnsi(Reason);
}

void CPenvanePdfCtrl::SetReasonRequired(unsigned short RequiredFlag)
{
    m_reasonRequired = RequiredFlag;
}

BOOL CPenvanePdfCtrl::AcquireSig()
{
    try {
        GetSigDlg dialog;
        dialog.m_name = m_name;
        dialog.m_location = m_location;
        dialog.m_contactInfo = m_contactInfo;
        dialog.m_reasons = m_reasons;
        dialog.m_numReasons = m_numReasons;
        dialog.m_reasonRequired = m_reasonRequired;
        dialog.m_minPoints = penvane::ReadMinPoints();
        if (dialog.DoModal() != IDOK) return FALSE;
        m_sigString = dialog.m_sigString;
        m_reason = dialog.m_reason;
        m_name = dialog.m_name;
        m_location = dialog.m_location;
        m_contactInfo = dialog.m_contactInfo;
        m_pathName.clear();
        return TRUE;
    } catch (...) {
        return FALSE;  // no capture; the results of an earlier one stay
    }
}

void CPenvanePdfCtrl::GetPdfSig(BSTR* SigData, long Width, long Height)
{
    // In/out: the old value is freed here, as COM's rule for such parameters
    // has it (a script that calls this in a loop would otherwise lose one
    // string a call); the caller owns the new value.
    if (!SigData) return;
    SysFreeString(*SigData);
    *SigData = nullptr;
    if (!m_hWnd) return;
    CQuillix pad;
    if (!pad.Create(this, penvanepdf::kPdfSigPadId)) return;
    try {
        const penvane::JustifySettings justify = penvane::ReadJustify();
        pad.SetPdfWidth(penvane::PadValue(Width));
        pad.SetPdfHeight(penvane::PadValue(Height));
        pad.SetPdfPenWidth(2);
        pad.SetJustifyMode(justify.mode);
        pad.SetJustifyX(justify.x);
        pad.SetJustifyY(justify.y);
        pad.SetPdfOption(2);
        pad.SetSignatureString(m_sigString.c_str());
        BSTR data = nullptr;
        pad.GetPdfData(&data);
        *SigData = data;
    } catch (...) {
        // a pad that refuses a call gives no drawing data
    }
    pad.DestroyWindow();
}
