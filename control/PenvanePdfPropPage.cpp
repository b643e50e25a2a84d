#include "PenvanePdfPropPage.h"

#include "Resource.h"

IMPLEMENT_OLECREATE_EX(CPenvanePdfPropPage, "PENVANEPDF.PenvanePdfPropPage.1", 0xc36a975c, 0x6be5, 0x4abd, 0xb0,
                       0xab, 0xf3, 0x5d, 0x2b, 0x4d, 0x00, 0x54)

BOOL CPenvanePdfPropPage::CPenvanePdfPropPageFactory::UpdateRegistry(BOOL bRegister)
{
    if (bRegister)
        return AfxOleRegisterPropertyPageClass(AfxGetInstanceHandle(), m_clsid, IDS_PENVANEPDF_PPG, afxRegDefault);
    return AfxOleUnregisterClass(m_clsid, nullptr);
}

CPenvanePdfPropPage::CPenvanePdfPropPage() : COlePropertyPage(IDD_PROPPAGE_PENVANEPDF, IDS_PENVANEPDF_PPG_CAPTION) {}

void CPenvanePdfPropPage::DoDataExchange(CDataExchange* dx)
{
    DDP_PostProcessing(dx);
}
