#include "HostApartment.h"

#include <ole2.h>

namespace standin {

HostApartment::HostApartment() : m_initialised(SUCCEEDED(OleInitialize(nullptr))) {}

HostApartment::~HostApartment()
{
    if (m_initialised)
        OleUninitialize();
}

}  // namespace standin
