// CPenvanePdfCtrl: the capture control. A client hands it the field name and
// the reasons the field allows, asks it to acquire a signature (the modal
// capture dialog) and reads the results one string at a time, all through
// the dispatch interface _DPenvanePdf. It has no visible surface, fires no
// events and persists nothing but its version.
#pragma once

#include <string>
#include <vector>

#include "Framework.h"

class CPenvanePdfCtrl : public COleControl {
public:
    CPenvanePdfCtrl();
    ~CPenvanePdfCtrl() override;

    void DoPropExchange(CPropExchange* px) override;
    void OnResetState() override;
    void OnDraw(CDC* dc, const CRect& bounds, const CRect& invalid) override;

    DECLARE_OLECREATE_EX(CPenvanePdfCtrl)
    DECLARE_OLETYPELIB(CPenvanePdfCtrl)
    DECLARE_PROPPAGEIDS(CPenvanePdfCtrl)
    DECLARE_OLECTLTYPE(CPenvanePdfCtrl)
    DECLARE_DISPATCH_MAP()
    DECLARE_MESSAGE_MAP()
    DECLARE_EVENT_MAP()

protected:
    BSTR GetName();
    void GetPdfSig(BSTR* SigData, long Width, long Height);
    BSTR GetSigString();
    BOOL AcquireSig();
    BSTR GetReason();
    BSTR GetLocation();
    BSTR GetPathName();
    BSTR GetSigTag();
    void SetSigFieldName(const char* FieldName);
    void SetNumberOfReasons(unsigned short NumReasons);
    void SetReasonString(unsigned short Index, BSTR Reason);
    void SetReasonRequired(unsigned short RequiredFlag);
    BSTR GetContactInfo();

private:
    std::string m_sigString;
    std::string m_name = "Unknown";
    std::string m_reason;
    std::string m_location = "Unknown";
    std::string m_contactInfo = "Unknown";
    std::string m_pathName;
    std::string m_sigFieldName;
    std::string m_sigTag = "TestTag";
    // SetNumberOfReasons is the only writer of both: their sizes agree, and
    // stay within penvanepdf::kMaxReasons.
    std::vector<std::string> m_reasons;
    int m_numReasons = 0;
    int m_reasonRequired = 0;
};
