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

bool TypeLibRegistered()
{
    BSTR path = nullptr;
    const HRESULT hr = QueryPathOfRegTypeLib(LIBID_QuillixLib, 1, 0, 0, &path);
    SysFreeString(path);
    return SUCCEEDED(hr);
}

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
    // Unregistering a module that was never registered (a new machine, a
    // second /u) is no failure: only a library that stays registered is.
    if (!AfxOleUnregisterTypeLib(LIBID_QuillixLib, 1, 0) && TypeLibRegistered()) return SELFREG_E_TYPELIB;
    return classesRemoved ? S_OK : SELFREG_E_CLASS;
}
