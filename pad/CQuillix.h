// CQuillix: the proxy window of the pad-capture control. Both deliverables
// reach the pad only through it, by automation calls by DISPID.
//
// Every operation throws COleDispatchException when the control refuses the
// call (as the framework's InvokeHelper does); callers that must never throw
// catch it and answer a failure.
#pragma once

#include <string>

#include "Framework.h"
#include "QuillixIds.h"

class CQuillix : public CWnd {
public:
    // The pad-capture control as a hidden child: no window text, style 0,
    // rectangle (0, 0, 1, 1). FALSE when it cannot be created.
    BOOL Create(CWnd* parent, UINT id);
    BOOL Create(HWND parent, UINT id);

    static const CLSID& GetClsid() { return quillix::kClsid; }

    void SetPdfWidth(short value);
    void SetPdfHeight(short value);
    void SetPdfPenWidth(short value);
    short GetPadExtentX();
    short GetPadExtentY();
    void SetCompressionMode(short value);
    void SetPadFeatureFlag(char value);
    void SetEncryptionMode(short value);
    void SetCaptureState(short value);
    void SetRotation(short value);
    void SetJustifyX(short value);
    void SetJustifyY(short value);
    void SetJustifyMode(short value);
    void SetPdfOption(short value);
    // The pen data as 8-bit text (the control's string converted at once).
    std::string GetSignatureString();
    void SetSignatureString(const char* value);
    void SetRotatedFlag(BOOL value);
    void SetKeyString(const char* value);
    void ClearPad();
    short GetPointCount();
    // Drawing data as a BSTR carrying bytes (SysStringByteLen counts them);
    // may be null. The caller owns *data and frees it with SysFreeString;
    // whatever *data held before is overwritten, not freed.
    void GetPdfData(BSTR* data);
    void EnablePadFeature(short value);
};
