#include "PenvanePdfApp.h"

CPenvanePdfApp theApp;

BOOL CPenvanePdfApp::InitInstance()
{
    BOOL ok = COleControlModule::InitInstance();
    if (ok) AfxEnableControlContainer();
    return ok;
}

int CPenvanePdfApp::ExitInstance()
{
    return COleControlModule::ExitInstance();
}
