// The test control as a registrable in-process server (fwtestctl.dll), for
// the scripting-host test.
#include <objsafe.h>
#include <olectl.h>

#include "TestControl.h"

namespace {

class CFwTestModule : public COleControlModule {
public:
    BOOL InitInstance() override
    {
        AfxEnableControlContainer();
        return COleControlModule::InitInstance();
    }
};

CFwTestModule theModule;

const GUID kLibId = {0x7fe8a03d, 0xcbb4, 0x408c, {0x9b, 0xcd, 0x25, 0x98, 0x17, 0x95, 0x35, 0x34}};

} // namespace

STDAPI DllRegisterServer(void)
{
    if (!AfxModuleStartup()) return E_UNEXPECTED;
    if (!AfxOleRegisterTypeLib(AfxGetInstanceHandle(), kLibId)) return SELFREG_E_TYPELIB;
    if (!COleObjectFactory::UpdateRegistryAll(TRUE)) return SELFREG_E_CLASS;
    HRESULT hr = fw::CreateComponentCategory(CATID_SafeForScripting, L"Controls safely scriptable!", 0x0409, nullptr);
    if (FAILED(hr)) return hr;
    return fw::RegisterClassInCategory(CFwTestCtrl::guid, CATID_SafeForScripting);
}

STDAPI DllUnregisterServer(void)
{
    if (!AfxModuleStartup()) return E_UNEXPECTED;
    HRESULT hr = fw::UnregisterClassInCategory(CFwTestCtrl::guid, CATID_SafeForScripting, nullptr);
    if (FAILED(hr)) return hr;
    if (!AfxOleUnregisterTypeLib(kLibId, 1, 0)) return SELFREG_E_TYPELIB;
    if (!COleObjectFactory::UpdateRegistryAll(FALSE)) return SELFREG_E_CLASS;
    return S_OK;
}
