// Reading what self-registration wrote under HKEY_CLASSES_ROOT.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testsupport {

// Whether HKEY_CLASSES_ROOT\key exists.
bool KeyExists(const std::wstring& key);

// The REG_SZ value `name` of HKEY_CLASSES_ROOT\key (null: the key's default
// value), or nothing when it is missing, of another type or longer than 511
// characters.
std::optional<std::wstring> FindString(const std::wstring& key, const wchar_t* name);
// As FindString, with "<missing>" for nothing: a failed comparison then shows
// what was expected next to an unmistakable absence.
std::wstring ReadString(const std::wstring& key, const wchar_t* name);

// Whether the type library `libid` version major.minor is registered under
// locale `lcid` (LoadRegTypeLib finds and loads it).
bool TypeLibRegistered(REFGUID libid, WORD major, WORD minor, LCID lcid);

} // namespace testsupport
