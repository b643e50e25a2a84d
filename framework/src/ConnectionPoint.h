// The connection point of a control's event interface. It is a separate
// object from the control because IConnectionPoint::Unadvise and
// IOleObject::Unadvise share a signature but not a meaning. Its references
// are the control's.
#pragma once

#include <ocidl.h>
#include <vector>

namespace fw {

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* owner, REFIID iid) : m_owner(owner), m_iid(iid) {}
    ~ConnectionPoint();
    // The connected sinks, each AddRef'ed for the caller to Release.
    std::vector<IDispatch*> Snapshot() const;
    size_t Count() const { return m_sinks.size(); }
    void DisconnectAll();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return m_owner->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_owner->Release(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** e) override { if (e) *e = nullptr; return E_NOTIMPL; }

private:
    struct Connection {
        DWORD cookie;
        IDispatch* sink;
    };
    IConnectionPointContainer* m_owner;
    IID m_iid;
    std::vector<Connection> m_sinks;
    DWORD m_nextCookie = 1;
};

} // namespace fw
