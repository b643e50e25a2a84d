#include "CQuillix.h"

namespace {
const RECT kHiddenRect = {0, 0, 1, 1};
}

BOOL CQuillix::Create(CWnd* parent, UINT id)
{
    return CreateControl(quillix::kClsid, nullptr, 0, kHiddenRect, parent, id);
}

BOOL CQuillix::Create(HWND parent, UINT id)
{
    return CreateControl(quillix::kClsid, nullptr, 0, kHiddenRect, parent, id);
}

void CQuillix::SetPdfWidth(short value) { SetProperty(quillix::dispid::PdfWidth, VT_I2, value); }
void CQuillix::SetPdfHeight(short value) { SetProperty(quillix::dispid::PdfHeight, VT_I2, value); }
void CQuillix::SetPdfPenWidth(short value) { SetProperty(quillix::dispid::PdfPenWidth, VT_I2, value); }

short CQuillix::GetPadExtentX()
{
    short value = 0;
    GetProperty(quillix::dispid::PadExtentX, VT_I2, &value);
    return value;
}

short CQuillix::GetPadExtentY()
{
    short value = 0;
    GetProperty(quillix::dispid::PadExtentY, VT_I2, &value);
    return value;
}

void CQuillix::SetCompressionMode(short value) { SetProperty(quillix::dispid::CompressionMode, VT_I2, value); }
void CQuillix::SetPadFeatureFlag(char value) { SetProperty(quillix::dispid::PadFeatureFlag, VT_I1, value); }
void CQuillix::SetEncryptionMode(short value) { SetProperty(quillix::dispid::EncryptionMode, VT_I2, value); }
void CQuillix::SetCaptureState(short value) { SetProperty(quillix::dispid::CaptureState, VT_I2, value); }
void CQuillix::SetRotation(short value) { SetProperty(quillix::dispid::Rotation, VT_I2, value); }
void CQuillix::SetJustifyX(short value) { SetProperty(quillix::dispid::JustifyX, VT_I2, value); }
void CQuillix::SetJustifyY(short value) { SetProperty(quillix::dispid::JustifyY, VT_I2, value); }
void CQuillix::SetJustifyMode(short value) { SetProperty(quillix::dispid::JustifyMode, VT_I2, value); }
void CQuillix::SetPdfOption(short value) { SetProperty(quillix::dispid::PdfOption, VT_I2, value); }

std::string CQuillix::GetSignatureString()
{
    std::string value;
    GetProperty(quillix::dispid::SignatureString, VT_BSTR, &value);
    return value;
}

void CQuillix::SetSignatureString(const char* value)
{
    SetProperty(quillix::dispid::SignatureString, VT_BSTR, value ? value : "");
}

void CQuillix::SetRotatedFlag(BOOL value) { SetProperty(quillix::dispid::RotatedFlag, VT_BOOL, value); }

void CQuillix::SetKeyString(const char* value)
{
    SetProperty(quillix::dispid::KeyString, VT_BSTR, value ? value : "");
}

void CQuillix::ClearPad()
{
    InvokeHelper(quillix::dispid::ClearPad, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}

short CQuillix::GetPointCount()
{
    short count = 0;
    InvokeHelper(quillix::dispid::GetPointCount, DISPATCH_METHOD, VT_I2, &count, nullptr);
    return count;
}

void CQuillix::GetPdfData(BSTR* data)
{
    // The control gets a null string in, never whatever the caller's variable
    // held: it might free that. The caller's value is replaced only once the
    // call has succeeded.
    static const BYTE params[] = VTS_PBSTR;
    BSTR result = nullptr;
    InvokeHelper(quillix::dispid::GetPdfData, DISPATCH_METHOD, VT_EMPTY, nullptr, params, &result);
    *data = result;
}

void CQuillix::EnablePadFeature(short value)
{
    static const BYTE params[] = VTS_I2;
    InvokeHelper(quillix::dispid::EnablePadFeature, DISPATCH_METHOD, VT_EMPTY, nullptr, params, value);
}
