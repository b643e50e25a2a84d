#include "RegistryRead.h"

#include <oleauto.h>

namespace testsupport {

bool KeyExists(const std::wstring& key)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

std::optional<std::wstring> FindString(const std::wstring& key, const wchar_t* name)
{
    wchar_t buffer[512] = {};
    // One character short of the buffer, so that the text always ends in a
    // terminator even when the stored value has none.
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

std::wstring ReadString(const std::wstring& key, const wchar_t* name)
{
    return FindString(key, name).value_or(L"<missing>");
}

bool TypeLibRegistered(REFGUID libid, WORD major, WORD minor, LCID lcid)
{
    ITypeLib* lib = nullptr;
    if (FAILED(LoadRegTypeLib(libid, major, minor, lcid, &lib))) return false;
    lib->Release();
    return true;
}

} // namespace testsupport
