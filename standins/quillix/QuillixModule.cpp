// The stand-in pad-capture control as a registrable in-process server
// (quillix.dll): the module object and self-registration.
#include <olectl.h>

#include "QuillixCtrl.h"
#include "QuillixLib.h"

namespace {

class CQuillixModule : public COleControlModule {
public:
    BOOL InitInstance() override
    {
        AfxEnableControlContainer();
        return COleControlModule::InitInstance();
    }
};

CQuillixModule theModule;

} // namespace

STDAPI DllRegisterServer(void)
{
    if (!AfxModuleStartup()) return E_UNEXPECTED;
    if (!AfxOleRegisterTypeLib(AfxGetInstanceHandle(), LIBID_QuillixLib)) return SELFREG_E_TYPELIB;
    if (!COleObjectFactory::UpdateRegistryAll(TRUE)) return SELFREG_E_CLASS;
    return S_OK;
}

STDAPI DllUnregisterServer(void)
{
    if (!AfxModuleStartup()) return E_UNEXPECTED;
    // The classes go even when the type library cannot: a half-removed
    // registration that still names this module is worse than a stray library.
    const BOOL classesRemoved = COleObjectFactory::UpdateRegistryAll(FALSE);
    if (!AfxOleUnregisterTypeLib(LIBID_QuillixLib, 1, 0)) return SELFREG_E_TYPELIB;
    return classesRemoved ? S_OK : SELFREG_E_CLASS;
}
