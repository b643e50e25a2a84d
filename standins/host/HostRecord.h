// A request record as the host lays one out for a handler callback: its own
// zeroed memory, fields read and written at byte offsets (no alignment
// promised, so every access is a byte copy).
#pragma once
#include <cstring>
#include <vector>

namespace standin {

class HostRecord {
public:
    explicit HostRecord(size_t size) : m_bytes(size, 0) {}
    template <typename T>
    void Put(size_t offset, const T& value) { std::memcpy(m_bytes.data() + offset, &value, sizeof value); }
    template <typename T>
    T Get(size_t offset) const
    {
        T value;
        std::memcpy(&value, m_bytes.data() + offset, sizeof value);
        return value;
    }
    void* data() { return m_bytes.data(); }

private:
    std::vector<unsigned char> m_bytes;
};

}  // namespace standin
