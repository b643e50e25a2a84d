// The host's user-interface thread as a PDF host runs it: OLE initialised
// and the automation library loaded before any plug-in is. Plug-ins rely on
// the first (they create ActiveX controls and never initialise OLE
// themselves); the second keeps a plug-in's load from paying for loading the
// automation library, which a real host has long had in its process.
#pragma once
#include <windows.h>

namespace standin {

class HostApartment {
public:
    HostApartment();
    ~HostApartment();
    HostApartment(const HostApartment&) = delete;
    HostApartment& operator=(const HostApartment&) = delete;
    bool Initialised() const { return m_initialised; }

private:
    bool m_initialised;
    HMODULE m_automation;
};

}  // namespace standin
