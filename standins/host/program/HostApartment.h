// The host's user-interface thread as a PDF host runs it: OLE initialised
// (which brings in the window and automation libraries) before any plug-in
// is loaded. Plug-ins rely on it: they create ActiveX controls and never
// initialise OLE themselves.
#pragma once

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
};

}  // namespace standin
