// Base16 text: upper-case digits out, either case in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pendata {

std::string HexEncode(const uint8_t* data, size_t size);

// False (and *out empty) for an odd length or any character that is not a
// hexadecimal digit.
bool HexDecode(std::string_view text, std::vector<uint8_t>* out);

} // namespace pendata
