// The host's 8-bit code page (Windows-1252) and the PDF text forms built on it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

// Host 8-bit bytes to UTF-16.
std::u16string DecodeHostBytes(const char* bytes, size_t length);
// UTF-16 back to host bytes; characters the code page lacks become '?'.
std::string EncodeHostBytes(const std::u16string& chars);
// UTF-16 (lone surrogates become U+FFFD) to UTF-8, for readable test output.
std::string Utf16ToUtf8(const std::u16string& chars);
std::u16string Utf8ToUtf16(const std::string& text);

// A C string as ASTextFromCString reads it: PDF text when it starts with
// FE FF (UTF-16BE up to the first zero unit), host 8-bit text otherwise.
std::u16string DecodeCString(const char* text);

// PDTextFromHostText, form 1: FE FF, the text as UTF-16BE, two zero bytes;
// never more than bufferSize bytes, only whole characters. Answers the bytes
// written before the two zero bytes, or 0 with nothing written when the
// arguments are unusable (unknown form, negative length, no buffer, or no
// room for the marker and the terminator).
int32_t PdTextFromHostText(int32_t form, const char* text, int32_t length, char* buffer, int32_t bufferSize);

}  // namespace standin
