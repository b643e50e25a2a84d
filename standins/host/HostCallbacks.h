// Callback handles: each wraps one plug-in function address and the
// extension that made it. The host calls plug-in code only through these.
#pragma once
#include <memory>
#include <unordered_map>

#include "HostAbi.h"

namespace standin {

class HostCallbacks {
public:
    Callback Create(ExtensionID ext, void* function);   // null for a null function
    void Destroy(Callback cb);                          // unknown handles counted, not obeyed
    // The wrapped function, or null for a handle that is not live.
    void* FunctionOf(Callback cb) const;

    size_t Live() const { return m_callbacks.size(); }
    size_t Created() const { return m_created; }
    size_t Destroyed() const { return m_destroyed; }
    size_t StrayDestroys() const { return m_strayDestroys; }

private:
    struct Entry {
        ExtensionID ext;
        void* function;
    };
    std::unordered_map<void*, std::unique_ptr<Entry>> m_callbacks;
    size_t m_created = 0, m_destroyed = 0, m_strayDestroys = 0;
};

}  // namespace standin
