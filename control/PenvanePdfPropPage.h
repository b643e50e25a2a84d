// CPenvanePdfPropPage: the control's property page (template 200, caption
// string 200). The control has no properties to edit; the page is what the
// Properties verb opens.
#pragma once

#include "Framework.h"

class CPenvanePdfPropPage : public COlePropertyPage {
public:
    CPenvanePdfPropPage();
    DECLARE_OLECREATE_EX(CPenvanePdfPropPage)

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
