#include <cstring>

#include "FwOleControl.h"

bool CPropExchange::ExchangeBytes(void* data, size_t size)
{
    switch (m_mode) {
    case Saving: {
        const BYTE* p = static_cast<const BYTE*>(data);
        m_output.insert(m_output.end(), p, p + size);
        return true;
    }
    case Loading:
        if (m_failed || !m_input || size > m_input->size() - m_pos) {
            m_failed = true;
            return false;
        }
        std::memcpy(data, m_input->data() + m_pos, size);
        m_pos += size;
        return true;
    case Resetting:
    default:
        return false;
    }
}

bool CPropExchange::CanRead(size_t size)
{
    if (m_mode != Loading) return true;
    if (m_failed || !m_input || size > m_input->size() - m_pos) {
        m_failed = true;
        return false;
    }
    return true;
}

namespace {
template <class T> BOOL ExchangePlain(CPropExchange* px, T& value, T defaultValue)
{
    if (!px) return FALSE;
    if (px->GetMode() == CPropExchange::Resetting) {
        value = defaultValue;
        return TRUE;
    }
    T tmp = value;
    if (!px->ExchangeBytes(&tmp, sizeof tmp)) return FALSE;
    value = tmp;
    return TRUE;
}
} // namespace

BOOL PX_Long(CPropExchange* px, const char*, long& value, long defaultValue)
{
    // Four bytes on every Windows compiler (long is 32-bit there).
    return ExchangePlain<long>(px, value, defaultValue);
}

BOOL PX_Short(CPropExchange* px, const char*, short& value, short defaultValue)
{
    return ExchangePlain<short>(px, value, defaultValue);
}

BOOL PX_Bool(CPropExchange* px, const char*, BOOL& value, BOOL defaultValue)
{
    return ExchangePlain<BOOL>(px, value, defaultValue);
}

BOOL PX_Blob(CPropExchange* px, const char*, std::vector<BYTE>& value)
{
    if (!px) return FALSE;
    if (px->GetMode() == CPropExchange::Resetting) {
        value.clear();
        return TRUE;
    }
    DWORD length = (DWORD)value.size();
    if (!px->ExchangeBytes(&length, sizeof length)) return FALSE;
    if (px->GetMode() == CPropExchange::Saving) return px->ExchangeBytes(value.data(), value.size());
    if (!px->CanRead(length)) return FALSE;  // never trust a length before the bytes are there
    std::vector<BYTE> loaded(length);
    if (length && !px->ExchangeBytes(loaded.data(), length)) return FALSE;
    value.swap(loaded);
    return TRUE;
}

BOOL PX_String(CPropExchange* px, const char* name, std::string& value, const std::string& defaultValue)
{
    if (!px) return FALSE;
    if (px->GetMode() == CPropExchange::Resetting) {
        value = defaultValue;
        return TRUE;
    }
    std::vector<BYTE> bytes(value.begin(), value.end());
    if (!PX_Blob(px, name, bytes)) return FALSE;
    value.assign(bytes.begin(), bytes.end());
    return TRUE;
}
