// A request record as the host lays one out for a handler callback: its own
// zeroed memory, fields read and written at byte offsets (no alignment
// promised, so every access is a byte copy).
#pragma once
#include <cstring>
#include <vector>

namespace standin {

// A field of any record at a byte offset: the handshake and setup records,
// and records the host lays out in its own arrays.
template <typename T>
T ReadAt(const void* record, size_t offset)
{
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}

template <typename T>
void WriteAt(void* record, size_t offset, const T& value)
{
    std::memcpy(static_cast<unsigned char*>(record) + offset, &value, sizeof value);
}

class HostRecord {
public:
    explicit HostRecord(size_t size) : m_bytes(size, 0) {}
    template <typename T>
    void Put(size_t offset, const T& value) { WriteAt(m_bytes.data(), offset, value); }
    template <typename T>
    T Get(size_t offset) const { return ReadAt<T>(m_bytes.data(), offset); }
    void* data() { return m_bytes.data(); }

private:
    std::vector<unsigned char> m_bytes;
};

}  // namespace standin
