// The in-process server entry points that every control module exports in
// the same way. Linked into a module only when its .def file names them.
#include "FwObjectFactory.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv)
{
    return COleObjectFactory::GetClassObject(clsid, riid, ppv);
}

STDAPI DllCanUnloadNow(void)
{
    return COleObjectFactory::CanUnloadNow();
}
