#include "SelfRegistration.h"

#include <objsafe.h>
#include <olectl.h>

#include "PenvanePdfCtrl.h"
#include "PenvanePdfIds.h"

namespace penvanepdf {

namespace {

const LCID kCategoryLocale = 0x0409;
const LCID kTypeLibLocale = 0x0409;  // the type library's own locale

HRESULT CreateCategory(const RegistrationServices& s, REFCATID catid, const wchar_t* description)
{
    bool managerObtained = false;
    HRESULT hr = s.createCategory(catid, description, &managerObtained);
    if (!managerObtained) {
        AfxMessageBox("Unable to create instance for StdComponentCategoriesMgr");
        return FAILED(hr) ? hr : E_FAIL;
    }
    if (FAILED(hr)) AfxMessageBox("Unable to Register categories with StdComponentCategoriesMgr");
    return hr;
}

HRESULT UnregisterFromCategory(const RegistrationServices& s, REFCATID catid)
{
    bool managerObtained = false;
    HRESULT hr = s.unregisterClassInCategory(CPenvanePdfCtrl::guid, catid, &managerObtained);
    if (!managerObtained) {
        AfxMessageBox("Failed to unregister CLSID");
        return FAILED(hr) ? hr : E_FAIL;
    }
    return hr;
}

BOOL RegisterOwnTypeLib() { return AfxOleRegisterTypeLib(AfxGetInstanceHandle(), kLibId); }

// Under the locale the library was registered with (0x0409, read back from
// the registration): Wine neither unregisters nor even finds under locale 0 a
// library registered under 0x0409, and stopping there would leave every
// class registered.
BOOL UnregisterOwnTypeLib()
{
    return AfxOleUnregisterTypeLib(kLibId, kLibVersionMajor, kLibVersionMinor, kTypeLibLocale);
}

HRESULT CreateSystemCategory(REFCATID catid, const wchar_t* description, bool* managerObtained)
{
    return fw::CreateComponentCategory(catid, description, kCategoryLocale, managerObtained);
}

const RegistrationServices kSystemServices = {
    RegisterOwnTypeLib,
    UnregisterOwnTypeLib,
    COleObjectFactory::UpdateRegistryAll,
    CreateSystemCategory,
    fw::RegisterClassInCategory,
    fw::UnregisterClassInCategory,
};

} // namespace

const RegistrationServices& SystemRegistrationServices()
{
    return kSystemServices;
}

HRESULT RegisterServer(const RegistrationServices& s)
{
    AFX_MANAGE_STATE(_afxModuleAddrThis);
    if (!s.registerTypeLib()) return SELFREG_E_TYPELIB;
    if (!s.updateRegistryAll(TRUE)) return SELFREG_E_CLASS;

    HRESULT hr = CreateCategory(s, CATID_SafeForInitializing, L"Controls safely initializable from persistent data!");
    if (FAILED(hr)) {
        AfxMessageBox("Failed to create category for SafeForInitializing");
        return hr;
    }
    hr = s.registerClassInCategory(CPenvanePdfCtrl::guid, CATID_SafeForInitializing);
    if (FAILED(hr)) {
        AfxMessageBox("Failed to register SafeForInitializing");
        return hr;
    }
    hr = CreateCategory(s, CATID_SafeForScripting, L"Controls safely scriptable!");
    if (FAILED(hr)) {
        AfxMessageBox("Failed to create category for SafeForScripting");
        return hr;
    }
    hr = s.registerClassInCategory(CPenvanePdfCtrl::guid, CATID_SafeForScripting);
    if (FAILED(hr)) {
        AfxMessageBox("Failed to register SafeForScripting");
        return hr;
    }
    return S_OK;
}

HRESULT UnregisterServer(const RegistrationServices& s)
{
    AFX_MANAGE_STATE(_afxModuleAddrThis);
    HRESULT hr = UnregisterFromCategory(s, CATID_SafeForInitializing);
    if (FAILED(hr)) {
        AfxMessageBox("Failed to unregister SafeForInitializing");
        return hr;
    }
    hr = UnregisterFromCategory(s, CATID_SafeForScripting);
    if (FAILED(hr)) return hr;
    if (!s.unregisterTypeLib()) return SELFREG_E_TYPELIB;
    if (!s.updateRegistryAll(FALSE)) return SELFREG_E_CLASS;
    return S_OK;
}

} // namespace penvanepdf
