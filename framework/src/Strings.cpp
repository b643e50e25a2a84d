#include "FwStrings.h"

#include <climits>

namespace fw {

std::wstring AnsiToWide(const char* text, size_t length)
{
    if (!text || length == 0 || length > INT_MAX) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text, (int)length, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out((size_t)n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, (int)length, &out[0], n);
    return out;
}

std::string WideToAnsi(const wchar_t* text, size_t length)
{
    if (!text || length == 0 || length > INT_MAX) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, text, (int)length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, (int)length, &out[0], n, nullptr, nullptr);
    return out;
}

BSTR AnsiToBstr(const char* text)
{
    return AnsiToBstr(std::string(text ? text : ""));
}

BSTR AnsiToBstr(const std::string& text)
{
    std::wstring w = AnsiToWide(text);
    // Embedded NULs survive: the length is explicit.
    return SysAllocStringLen(w.data(), (UINT)w.size());
}

std::string BstrToAnsi(BSTR text)
{
    if (!text) return std::string();
    return WideToAnsi(text, SysStringLen(text));
}

} // namespace fw
