// Self-registration entry points of the module (DllGetClassObject and
// DllCanUnloadNow are the framework's).
#include "SelfRegistration.h"

STDAPI DllRegisterServer(void)
{
    return penvanepdf::RegisterServer(penvanepdf::SystemRegistrationServices());
}

STDAPI DllUnregisterServer(void)
{
    return penvanepdf::UnregisterServer(penvanepdf::SystemRegistrationServices());
}
