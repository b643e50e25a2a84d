// CPenvanePdf: the proxy window of the capture control (PenvanePdf.OCX). One
// method per member of its dispatch interface, called by DISPID; 8-bit text
// is converted to and from the control's UTF-16 strings here and nowhere
// else. The plug-in links nothing of the control module: the class
// identifier and DISPIDs come from the module's own identity header.
//
// Every operation throws COleDispatchException when the control refuses the
// call; callers that must never throw catch it and answer a failure.
#pragma once

#include <string>

#include "Framework.h"
#include "PenvanePdfIds.h"

class CPenvanePdf : public CWnd {
public:
    // The capture control as a hidden child: no window text, style 0,
    // rectangle (0, 0, 1, 1). FALSE when it cannot be created (for instance
    // the control module is not registered).
    BOOL Create(HWND parent, UINT id);

    static const CLSID& GetClsid() { return penvanepdf::kControlClsid; }

    std::string GetName();
    // Drawing data as a BSTR carrying bytes; may be null. The caller owns
    // *data and frees it with SysFreeString.
    void GetPdfSig(BSTR* data, long width, long height);
    std::string GetSigString();
    // Runs the capture dialog modally; true when the signer accepted.
    bool AcquireSig();
    std::string GetReason();
    std::string GetLocation();
    std::string GetPathName();
    std::string GetSigTag();
    void SetSigFieldName(const char* name);
    void SetNumberOfReasons(unsigned short count);
    void SetReasonString(unsigned short index, const char* reason);
    void SetReasonRequired(unsigned short required);
    std::string GetContactInfo();
};
