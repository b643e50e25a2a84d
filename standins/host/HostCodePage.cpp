#include "HostCodePage.h"

namespace standin {

namespace {

// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 controls
// of the same value, as the platform's own conversion does.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t DecodeByte(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh[byte - 0x80];
    return byte;
}

char EncodeChar(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<char>(ch);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == ch)
            return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

std::u16string DecodeHostBytes(const char* bytes, size_t length)
{
    std::u16string chars;
    chars.reserve(length);
    for (size_t i = 0; i < length; ++i)
        chars += DecodeByte(static_cast<unsigned char>(bytes[i]));
    return chars;
}

std::string EncodeHostBytes(const std::u16string& chars)
{
    std::string bytes;
    bytes.reserve(chars.size());
    for (char16_t ch : chars)
        bytes += EncodeChar(ch);
    return bytes;
}

std::string Utf16ToUtf8(const std::u16string& chars)
{
    std::string out;
    for (size_t i = 0; i < chars.size(); ++i) {
        uint32_t cp = chars[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < chars.size() && chars[i + 1] >= 0xDC00 && chars[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (chars[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        uint32_t cp;
        size_t extra;
        if (b < 0x80) { cp = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; extra = 2; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; extra = 3; }
        else { out += char16_t(0xFFFD); ++i; continue; }
        if (extra > 0 && i + extra >= text.size()) { out += char16_t(0xFFFD); break; }
        for (size_t k = 1; k <= extra; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::u16string DecodeCString(const char* text)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    if (p[0] == 0xFE && p[1] == 0xFF) {
        std::u16string chars;
        for (p += 2;; p += 2) {
            char16_t unit = static_cast<char16_t>((p[0] << 8) | p[1]);
            if (unit == 0)
                break;
            chars += unit;
        }
        return chars;
    }
    size_t length = 0;
    while (text[length])
        ++length;
    return DecodeHostBytes(text, length);
}

int32_t PdTextFromHostText(int32_t form, const char* text, int32_t length, char* buffer, int32_t bufferSize)
{
    const int32_t kMarkerAndTerminator = 4;
    if (form != 1 || length < 0 || (text == nullptr && length > 0) || buffer == nullptr ||
        bufferSize < kMarkerAndTerminator)
        return 0;
    int32_t room = (bufferSize - kMarkerAndTerminator) / 2;
    int32_t count = length < room ? length : room;
    unsigned char* out = reinterpret_cast<unsigned char*>(buffer);
    size_t at = 0;
    out[at++] = 0xFE;
    out[at++] = 0xFF;
    for (int32_t i = 0; i < count; ++i) {
        char16_t ch = DecodeByte(static_cast<unsigned char>(text[i]));
        out[at++] = static_cast<unsigned char>(ch >> 8);
        out[at++] = static_cast<unsigned char>(ch & 0xFF);
    }
    out[at] = 0;
    out[at + 1] = 0;
    return static_cast<int32_t>(at);
}

}  // namespace standin
