// Self-registration and self-unregistration of the capture control module:
// the order of the steps, their result codes and the messages the user sees.
// The steps themselves come in through RegistrationServices, so that tests
// can make any of them fail.
#pragma once

#include <windows.h>
#include <comcat.h>

namespace penvanepdf {

struct RegistrationServices {
    BOOL (*registerTypeLib)();
    BOOL (*unregisterTypeLib)();
    BOOL (*updateRegistryAll)(BOOL bRegister);
    // *managerObtained tells whether the categories manager could be had.
    HRESULT (*createCategory)(REFCATID catid, const wchar_t* description, bool* managerObtained);
    HRESULT (*registerClassInCategory)(REFCLSID clsid, REFCATID catid);
    HRESULT (*unregisterClassInCategory)(REFCLSID clsid, REFCATID catid, bool* managerObtained);
};

// The real steps: this module's type library and class factories, the
// system's component categories manager.
const RegistrationServices& SystemRegistrationServices();

// Each step runs only when the one before succeeded; nothing is undone.
// SELFREG_E_TYPELIB or SELFREG_E_CLASS for the type library and class steps,
// the manager's code for the category steps.
HRESULT RegisterServer(const RegistrationServices& services);
HRESULT UnregisterServer(const RegistrationServices& services);

} // namespace penvanepdf
