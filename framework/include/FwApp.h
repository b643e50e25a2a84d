// The module: its application object, its instance handle, control
// containment, the count of live COM objects and locks, message boxes.
//
// Loader lock: the application object is constructed during static
// initialisation (inside the loader), so its constructor only records itself.
// InitInstance runs later, on the first call that enters the module from
// outside: AfxModuleStartup(), which DllGetClassObject, DllRegisterServer
// helpers and a plug-in's entry point call. ExitInstance runs from
// AfxModuleShutdown(): at a plug-in's unload step, or when DllCanUnloadNow
// answers S_OK. Nothing runs at DLL_PROCESS_DETACH.
#pragma once

#include <windows.h>

#include "FwTypes.h"

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    HINSTANCE m_hInstance;
    const char* m_pszAppName;  // caption of AfxMessageBox; the module's file name when null
};

// The module object of an ActiveX control module.
class COleControlModule : public CWinApp {
public:
    explicit COleControlModule(const char* appName = nullptr) : CWinApp(appName) {}
};

CWinApp* AfxGetApp();
// The module this code is linked into (no DllMain needed to know it).
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// Runs InitInstance once, outside the loader lock; FALSE when it failed.
// Repeated calls answer the first result until AfxModuleShutdown.
BOOL AfxModuleStartup();
// Runs ExitInstance when InitInstance ran.
void AfxModuleShutdown();

// Enables the default control container of this module. Creating an ActiveX
// control (CWnd::CreateControl, dialog templates) fails until it is called.
void AfxEnableControlContainer();
namespace fw {
bool ControlContainmentEnabled();
}

// Resources always come from the module this code is linked into, so there is
// no module state to switch; the macro stays for code written against it.
#define AFX_MANAGE_STATE(state)

// Live COM objects and server locks of this module (DllCanUnloadNow).
void AfxOleLockApp();
void AfxOleUnlockApp();
LONG AfxOleGetObjectCount();

// A plain message box with an OK button and the module's caption. Tests
// install a hook that receives the text instead (null restores the box).
int AfxMessageBox(const char* text, UINT type = MB_OK);
namespace fw {
typedef int (*MessageBoxHook)(const char* text, UINT type);
void SetMessageBoxHook(MessageBoxHook hook);
}
