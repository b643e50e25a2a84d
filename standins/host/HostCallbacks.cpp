#include "HostCallbacks.h"

namespace standin {

Callback HostCallbacks::Create(ExtensionID ext, void* function)
{
    if (!function)
        return nullptr;
    auto entry = std::make_unique<Entry>(Entry{ext, function});
    void* handle = entry.get();
    m_callbacks.emplace(handle, std::move(entry));
    ++m_created;
    return handle;
}

void HostCallbacks::Destroy(Callback cb)
{
    auto it = m_callbacks.find(cb);
    if (it == m_callbacks.end()) {
        ++m_strayDestroys;
        return;
    }
    m_callbacks.erase(it);
    ++m_destroyed;
}

void* HostCallbacks::FunctionOf(Callback cb) const
{
    auto it = m_callbacks.find(cb);
    return it == m_callbacks.end() ? nullptr : it->second->function;
}

}  // namespace standin
