#include "HexText.h"

#include "RequestRecords.h"

namespace {

const char kDigits[] = "0123456789ABCDEF";

// The value of one hexadecimal digit of either case, or -1.
int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string HexEncode(const unsigned char* bytes, size_t count)
{
    std::string text;
    text.reserve(2 * count);
    for (size_t i = 0; i < count; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

std::string DigestToHex(const unsigned char* digest)
{
    return HexEncode(digest, kSignatureDigestLength);
}

ptrdiff_t HexDecode(std::string_view text, unsigned char* destination, size_t capacity)
{
    // A lone last digit would pair with whatever follows the text: refuse it
    // rather than read past the end.
    if (text.size() % 2 != 0)
        return kNotHexText;
    const size_t count = text.size() / 2;
    for (size_t k = 0; k < count; ++k) {
        const int high = DigitValue(text[2 * k]);
        const int low = DigitValue(text[2 * k + 1]);
        if (high < 0 || low < 0)
            return kNotHexText;
        if (k < capacity)
            destination[k] = static_cast<unsigned char>(high * 16 + low);
    }
    return static_cast<ptrdiff_t>(count);
}
