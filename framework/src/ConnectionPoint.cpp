#include "ConnectionPoint.h"

#include <olectl.h>

namespace fw {

ConnectionPoint::~ConnectionPoint()
{
    DisconnectAll();
}

void ConnectionPoint::DisconnectAll()
{
    std::vector<Connection> sinks;
    sinks.swap(m_sinks);
    for (Connection& c : sinks) c.sink->Release();
}

std::vector<IDispatch*> ConnectionPoint::Snapshot() const
{
    std::vector<IDispatch*> out;
    for (const Connection& c : m_sinks) {
        c.sink->AddRef();
        out.push_back(c.sink);
    }
    return out;
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid) return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container) return E_POINTER;
    *container = m_owner;
    m_owner->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(m_iid, (void**)&dispatch)) &&
        FAILED(sink->QueryInterface(IID_IDispatch, (void**)&dispatch)))
        return CONNECT_E_CANNOTCONNECT;
    Connection c = {m_nextCookie++, dispatch};
    m_sinks.push_back(c);
    *cookie = c.cookie;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
        if (it->cookie != cookie) continue;
        IDispatch* sink = it->sink;
        m_sinks.erase(it);
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

} // namespace fw
