#include "FakePad.h"

#include "Framework.h"
#include "QuillixIds.h"

namespace {

void Log(const char* name, long value)
{
    fake_pad::Get().calls.push_back(std::string(name) + "=" + std::to_string(value));
}

// Only ever made available per test with CoRegisterClassObject; its dispatch
// interface is reached by DISPID alone.
class CFakePad : public COleControl {
public:
    CFakePad()
    {
        static const IID kDispatch = {0x5b0f3c1e, 0x41d7, 0x4d8e, {0x9a, 0x51, 0x0c, 0x6e, 0x2b, 0x7d, 0x91, 0x04}};
        static const IID kEvents = {0x5b0f3c1e, 0x41d7, 0x4d8e, {0x9a, 0x51, 0x0c, 0x6e, 0x2b, 0x7d, 0x91, 0x05}};
        InitializeIIDs(&kDispatch, &kEvents);
        ++fake_pad::Get().created;
    }
    void OnDraw(CDC* dc, const CRect& bounds, const CRect&) override
    {
        FillRect(dc->GetSafeHdc(), &bounds, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    DECLARE_OLECREATE_EX(CFakePad)
    DECLARE_DISPATCH_MAP()

#define FAKE_PUT(Name, Type)                                   \
    Type Get##Name() { return 0; }                             \
    void Set##Name(Type value) { Log(#Name, (long)value); }
    FAKE_PUT(PdfWidth, short)
    FAKE_PUT(PdfHeight, short)
    FAKE_PUT(PdfPenWidth, short)
    FAKE_PUT(CompressionMode, short)
    FAKE_PUT(PadFeatureFlag, char)
    FAKE_PUT(EncryptionMode, short)
    FAKE_PUT(CaptureState, short)
    FAKE_PUT(Rotation, short)
    FAKE_PUT(JustifyX, short)
    FAKE_PUT(JustifyY, short)
    FAKE_PUT(JustifyMode, short)
    FAKE_PUT(PdfOption, short)
    FAKE_PUT(RotatedFlag, BOOL)
#undef FAKE_PUT
    short GetPadExtentX() { return fake_pad::Get().extentX; }
    short GetPadExtentY() { return fake_pad::Get().extentY; }
    void SetReadOnly(short) { AfxThrowInvalidArgException(); }
    std::string GetSignatureString()
    {
        fake_pad::Get().calls.push_back("GetSignatureString()");
        return fake_pad::Get().signature;
    }
    void SetSignatureString(const char* text) { fake_pad::Get().calls.push_back(std::string("SignatureString=") + text); }
    std::string GetKeyString() { return std::string(); }
    void SetKeyString(const char* text) { fake_pad::Get().calls.push_back(std::string("KeyString=") + text); }
    void ClearPad() { fake_pad::Get().calls.push_back("ClearPad()"); }
    short GetPointCount()
    {
        fake_pad::Get().calls.push_back("GetPointCount()");
        return fake_pad::Get().pointCount;
    }
    void GetPdfData(BSTR* data)
    {
        fake_pad::Get().calls.push_back("GetPdfData()");
        if (data) *data = SysAllocStringByteLen("q 1 0 0 1 0 0 cm Q", 18);
    }
    void EnablePadFeature(short value) { Log("EnablePadFeature", value); }
};

IMPLEMENT_OLECREATE_EX(CFakePad, "FakePad.1", 0xd5a47061, 0xaee9, 0x496b, 0xb4, 0xa3, 0xa8, 0xa7, 0x94, 0xcf, 0x5a,
                       0xd0)

BOOL CFakePad::CFakePadFactory::UpdateRegistry(BOOL)
{
    return TRUE;  // never registered
}

BEGIN_DISPATCH_MAP(CFakePad, COleControl)
    DISP_PROPERTY_EX_ID(CFakePad, "PdfWidth", 2, GetPdfWidth, SetPdfWidth, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "PdfHeight", 3, GetPdfHeight, SetPdfHeight, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "PdfPenWidth", 4, GetPdfPenWidth, SetPdfPenWidth, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "PadExtentX", 5, GetPadExtentX, SetReadOnly, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "PadExtentY", 6, GetPadExtentY, SetReadOnly, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "CompressionMode", 17, GetCompressionMode, SetCompressionMode, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "PadFeatureFlag", 25, GetPadFeatureFlag, SetPadFeatureFlag, VT_I1)
    DISP_PROPERTY_EX_ID(CFakePad, "EncryptionMode", 27, GetEncryptionMode, SetEncryptionMode, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "CaptureState", 28, GetCaptureState, SetCaptureState, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "Rotation", 29, GetRotation, SetRotation, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "JustifyX", 30, GetJustifyX, SetJustifyX, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "JustifyY", 31, GetJustifyY, SetJustifyY, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "JustifyMode", 32, GetJustifyMode, SetJustifyMode, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "PdfOption", 35, GetPdfOption, SetPdfOption, VT_I2)
    DISP_PROPERTY_EX_ID(CFakePad, "SignatureString", 49, GetSignatureString, SetSignatureString, VT_BSTR)
    DISP_PROPERTY_EX_ID(CFakePad, "RotatedFlag", 55, GetRotatedFlag, SetRotatedFlag, VT_BOOL)
    DISP_PROPERTY_EX_ID(CFakePad, "KeyString", 57, GetKeyString, SetKeyString, VT_BSTR)
    DISP_FUNCTION_ID(CFakePad, "ClearPad", 67, ClearPad, VT_EMPTY, VTS_NONE)
    DISP_FUNCTION_ID(CFakePad, "GetPointCount", 70, GetPointCount, VT_I2, VTS_NONE)
    DISP_FUNCTION_ID(CFakePad, "GetPdfData", 97, GetPdfData, VT_EMPTY, VTS_PBSTR)
    DISP_FUNCTION_ID(CFakePad, "EnablePadFeature", 113, EnablePadFeature, VT_EMPTY, VTS_I2)
END_DISPATCH_MAP()

} // namespace

namespace fake_pad {

State& Get()
{
    static State state;
    return state;
}

void Reset()
{
    Get() = State();
}

IClassFactory* Factory()
{
    return &CFakePad::factory;
}

} // namespace fake_pad
