#include "PenvanePlusApp.h"

CPenvanePlusApp theApp;

BEGIN_MESSAGE_MAP(CPenvanePlusApp, CWinApp)
END_MESSAGE_MAP()

BOOL CPenvanePlusApp::InitInstance()
{
    AfxEnableControlContainer();
    return CWinApp::InitInstance();
}

int CPenvanePlusApp::ExitInstance()
{
    return CWinApp::ExitInstance();
}
