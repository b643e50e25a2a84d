// regdump KEY...: prints each key under HKEY_LOCAL_MACHINE with its subkeys
// and values, in name order, one line per key ("KEY") and per value
// ("KEY<TAB>NAME=VALUE", "@" for the default value), or "KEY<TAB>(missing)".
// One process for what would take a reg.exe per key: every Wine process
// start costs the installer test about a second.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], n, nullptr, nullptr);
    std::printf("%s\n", out.c_str());
}

std::wstring ValueText(DWORD type, const std::vector<BYTE>& data, DWORD size)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::wstring s(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        while (!s.empty() && s.back() == L'\0') s.pop_back();
        return s;
    }
    case REG_DWORD:
        return size == sizeof(DWORD) ? std::to_wstring(*reinterpret_cast<const DWORD*>(data.data())) : L"(bad dword)";
    default:
        return L"(type " + std::to_wstring(type) + L", " + std::to_wstring(size) + L" bytes)";
    }
}

void Dump(HKEY parent, const std::wstring& name, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        Print(path + L"\t(missing)");
        return;
    }
    Print(path);
    std::vector<std::wstring> lines;
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size + sizeof(wchar_t));
        nameLength = 16384;
        if (RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        lines.push_back(path + L"\t" + (nameLength ? std::wstring(valueName) : L"@") + L"=" + ValueText(type, data, size));
    }
    std::sort(lines.begin(), lines.end());
    for (const auto& line : lines) Print(line);

    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t sub[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(sub, length);
    }
    std::sort(subkeys.begin(), subkeys.end());
    for (const auto& sub : subkeys) Dump(key, sub, path + L"\\" + sub);
    RegCloseKey(key);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i) Dump(HKEY_LOCAL_MACHINE, argv[i], argv[i]);
    return 0;
}
