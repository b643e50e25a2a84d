// Fields of the records the host hands over (handshake, setup and request
// records), read and written at byte offsets: the host promises no alignment,
// so every access is a byte copy.
#pragma once
#include <cstddef>
#include <cstring>

template <typename T>
T ReadAt(const void* record, size_t offset)
{
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}

template <typename T>
void WriteAt(void* record, size_t offset, T value)
{
    std::memcpy(static_cast<unsigned char*>(record) + offset, &value, sizeof value);
}
