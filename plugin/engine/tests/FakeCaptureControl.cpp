#include "FakeCaptureControl.h"

#include "Framework.h"
#include "PenvanePdfIds.h"

namespace {

void Log(const std::string& call)
{
    fake_capture::Get().calls.push_back(call);
}

class CFakeCapture : public COleControl {
public:
    CFakeCapture()
    {
        static const IID kDispatch = {0x7c2e51a0, 0x3b8d, 0x4f61, {0x8e, 0x27, 0x5d, 0x90, 0x1a, 0x44, 0xc3, 0x01}};
        static const IID kEvents = {0x7c2e51a0, 0x3b8d, 0x4f61, {0x8e, 0x27, 0x5d, 0x90, 0x1a, 0x44, 0xc3, 0x02}};
        InitializeIIDs(&kDispatch, &kEvents);
    }
    void OnDraw(CDC* dc, const CRect& bounds, const CRect&) override
    {
        FillRect(dc->GetSafeHdc(), &bounds, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    DECLARE_OLECREATE_EX(CFakeCapture)
    DECLARE_DISPATCH_MAP()

    BSTR GetName() { return Answer("GetName()", fake_capture::Get().name); }
    void GetPdfSig(BSTR* data, long width, long height)
    {
        Log("GetPdfSig=" + std::to_string(width) + "x" + std::to_string(height));
        if (data) *data = nullptr;
    }
    BSTR GetSigString() { return Answer("GetSigString()", fake_capture::Get().signature); }
    BOOL AcquireSig()
    {
        Log("AcquireSig()");
        return fake_capture::Get().accept ? TRUE : FALSE;
    }
    BSTR GetReason() { return Answer("GetReason()", fake_capture::Get().reason); }
    BSTR GetLocation() { return Answer("GetLocation()", fake_capture::Get().location); }
    BSTR GetPathName() { return Answer("GetPathName()", ""); }
    BSTR GetSigTag() { return Answer("GetSigTag()", ""); }
    void SetSigFieldName(const char* name) { Log(std::string("SetSigFieldName=") + name); }
    void SetNumberOfReasons(unsigned short count) { Log("SetNumberOfReasons=" + std::to_string(count)); }
    void SetReasonString(unsigned short index, const char* reason)
    {
        Log("SetReasonString=" + std::to_string(index) + ":" + reason);
    }
    void SetReasonRequired(unsigned short flag) { Log("SetReasonRequired=" + std::to_string(flag)); }
    BSTR GetContactInfo() { return Answer("GetContactInfo()", fake_capture::Get().contactInfo); }

private:
    static BSTR Answer(const char* call, const std::string& text)
    {
        Log(call);
        return fw::AnsiToBstr(text);
    }
};

IMPLEMENT_OLECREATE_EX(CFakeCapture, "FakeCapture.1", 0xabd79ae3, 0xde31, 0x44f1, 0xb4, 0xb6, 0xf8, 0x84, 0x4b, 0xf7,
                       0x90, 0x39)

BOOL CFakeCapture::CFakeCaptureFactory::UpdateRegistry(BOOL)
{
    return TRUE;  // never registered
}

BEGIN_DISPATCH_MAP(CFakeCapture, COleControl)
    DISP_FUNCTION_ID(CFakeCapture, "GetName", 1, GetName, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CFakeCapture, "GetPdfSig", 2, GetPdfSig, VT_EMPTY, VTS_PBSTR VTS_I4 VTS_I4)
    DISP_FUNCTION_ID(CFakeCapture, "GetSigString", 3, GetSigString, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CFakeCapture, "AcquireSig", 4, AcquireSig, VT_BOOL, VTS_NONE)
    DISP_FUNCTION_ID(CFakeCapture, "GetReason", 5, GetReason, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CFakeCapture, "GetLocation", 6, GetLocation, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CFakeCapture, "GetPathName", 7, GetPathName, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CFakeCapture, "GetSigTag", 8, GetSigTag, VT_BSTR, VTS_NONE)
    DISP_FUNCTION_ID(CFakeCapture, "SetSigFieldName", 9, SetSigFieldName, VT_EMPTY, VTS_BSTR)
    DISP_FUNCTION_ID(CFakeCapture, "SetNumberOfReasons", 10, SetNumberOfReasons, VT_EMPTY, VTS_UI2)
    DISP_FUNCTION_ID(CFakeCapture, "SetReasonString", 11, SetReasonString, VT_EMPTY, VTS_UI2 VTS_BSTR)
    DISP_FUNCTION_ID(CFakeCapture, "SetReasonRequired", 12, SetReasonRequired, VT_EMPTY, VTS_UI2)
    DISP_FUNCTION_ID(CFakeCapture, "GetContactInfo", 13, GetContactInfo, VT_BSTR, VTS_NONE)
END_DISPATCH_MAP()

} // namespace

namespace fake_capture {

State& Get()
{
    static State state;
    return state;
}

Registration::Registration()
{
    Get() = State();
    if (CoRegisterClassObject(penvanepdf::kControlClsid, &CFakeCapture::factory, CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &m_cookie) != S_OK)
        m_cookie = 0;
}

Registration::~Registration()
{
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
}

} // namespace fake_capture
