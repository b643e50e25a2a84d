// CPenvanePlusApp: the plug-in module's application object.
#pragma once

#include "Framework.h"

class CPenvanePlusApp : public CWinApp {
public:
    // Control containment, then the base start-up.
    BOOL InitInstance() override;
    int ExitInstance() override;

    DECLARE_MESSAGE_MAP()
};
