#include "HostApartment.h"

#include <ole2.h>

namespace standin {

HostApartment::HostApartment()
    : m_initialised(SUCCEEDED(OleInitialize(nullptr))), m_automation(LoadLibraryW(L"oleaut32.dll"))
{
}

HostApartment::~HostApartment()
{
    if (m_automation)
        FreeLibrary(m_automation);
    if (m_initialised)
        OleUninitialize();
}

}  // namespace standin
