// 8-bit text in the system ANSI code page, converted to and from UTF-16 and
// BSTRs. The layer converts only at automation boundaries; everything else
// keeps 8-bit strings.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <string>

namespace fw {

std::wstring AnsiToWide(const char* text, size_t length);
inline std::wstring AnsiToWide(const std::string& text) { return AnsiToWide(text.data(), text.size()); }
std::string WideToAnsi(const wchar_t* text, size_t length);
inline std::string WideToAnsi(const std::wstring& text) { return WideToAnsi(text.data(), text.size()); }

// A new BSTR owned by the caller; null text gives an empty BSTR. Null is
// returned only when memory runs out.
BSTR AnsiToBstr(const char* text);
BSTR AnsiToBstr(const std::string& text);
// The characters of a BSTR (a null BSTR is the empty string).
std::string BstrToAnsi(BSTR text);

} // namespace fw
