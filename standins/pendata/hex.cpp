#include "hex.h"

namespace pendata {
namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

} // namespace

std::string HexEncode(const uint8_t* data, size_t size) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(size * 2, '0');
  for (size_t i = 0; i < size; ++i) {
    out[2 * i] = kDigits[data[i] >> 4];
    out[2 * i + 1] = kDigits[data[i] & 0x0F];
  }
  return out;
}

bool HexDecode(std::string_view text, std::vector<uint8_t>* out) {
  out->clear();
  if (text.size() % 2 != 0) return false;
  out->resize(text.size() / 2);
  for (size_t i = 0; i < out->size(); ++i) {
    int hi = DigitValue(text[2 * i]), lo = DigitValue(text[2 * i + 1]);
    if (hi < 0 || lo < 0) {
      out->clear();
      return false;
    }
    (*out)[i] = static_cast<uint8_t>(hi << 4 | lo);
  }
  return true;
}

} // namespace pendata
