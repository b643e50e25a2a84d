// CPenvanePdfApp: the module object of the capture control module.
#pragma once

#include "Framework.h"

class CPenvanePdfApp : public COleControlModule {
public:
    // The base initialisation, then control containment, so that the
    // module's own dialogs can host the pad controls.
    BOOL InitInstance() override;
    int ExitInstance() override;
};
