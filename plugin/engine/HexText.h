// Base16 text of bytes, as the pad-capture control writes keyed pen data and
// as the signature value carries the document digest: two upper-case digits a
// byte, no separators (RFC 4648's upper-case alphabet).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

std::string HexEncode(const unsigned char* bytes, size_t count);

// The 40 characters of a 20-byte document digest.
std::string DigestToHex(const unsigned char* digest);

// A text HexDecode could not read: an odd length or a character that is no
// hexadecimal digit.
constexpr ptrdiff_t kNotHexText = -1;

// Decodes `text` (digits of either case) into `destination`, writing at most
// `capacity` bytes, and answers how many bytes the whole text stands for (so a
// caller sees a length other than the one it expected), or kNotHexText, in
// which case what was written is meaningless.
ptrdiff_t HexDecode(std::string_view text, unsigned char* destination, size_t capacity);
