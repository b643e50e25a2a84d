#include "signature_string.h"

#include "compression.h"
#include "crypto.h"
#include "hex.h"

#include <algorithm>
#include <cstring>

namespace pendata {
namespace {

using crypto::kBlockSize;
using crypto::kGcmNonceSize;
using crypto::kGcmTagSize;
using crypto::kKeySize;
using crypto::kSha256Size;

constexpr size_t kHeaderSize = 4;
constexpr size_t kMaxBodySize = 0xFFFFFF;
constexpr char kSalt[] = "penvane pen data";
constexpr char kGcmInfo[] = "pen record aes-256-gcm v1";
constexpr char kCbcInfo[] = "pen record aes-256-cbc hmac-sha-256 v1";

// RFC 5869 with HMAC-SHA-256; size at most 64 here.
bool Hkdf(std::string_view ikm, const char* info, uint8_t* out, size_t size) {
  uint8_t prk[kSha256Size];
  if (!crypto::HmacSha256(reinterpret_cast<const uint8_t*>(kSalt), sizeof kSalt - 1,
                          reinterpret_cast<const uint8_t*>(ikm.data()), ikm.size(), prk))
    return false;
  std::vector<uint8_t> block;
  uint8_t t[kSha256Size];
  size_t tSize = 0;
  for (uint8_t counter = 1; size > 0; ++counter) {
    block.assign(t, t + tSize);
    block.insert(block.end(), info, info + std::strlen(info));
    block.push_back(counter);
    if (!crypto::HmacSha256(prk, sizeof prk, block.data(), block.size(), t)) return false;
    tSize = kSha256Size;
    size_t n = std::min(size, tSize);
    std::memcpy(out, t, n);
    out += n;
    size -= n;
  }
  return true;
}

bool ConstantTimeEqual(const uint8_t* a, const uint8_t* b, size_t n) {
  uint8_t diff = 0;
  for (size_t i = 0; i < n; ++i) diff |= a[i] ^ b[i];
  return diff == 0;
}

void PutHeader(std::vector<uint8_t>& out, int mode, size_t bodySize) {
  out.push_back(static_cast<uint8_t>(mode));
  out.push_back(static_cast<uint8_t>(bodySize >> 16));
  out.push_back(static_cast<uint8_t>(bodySize >> 8));
  out.push_back(static_cast<uint8_t>(bodySize));
}

std::vector<uint8_t> SealGcm(std::string_view key, const std::vector<uint8_t>& packed,
                             const uint8_t* nonce) {
  uint8_t k[kKeySize];
  if (packed.empty() || !Hkdf(key, kGcmInfo, k, sizeof k)) return {};
  std::vector<uint8_t> out;
  PutHeader(out, kEncryptionGcm, kGcmNonceSize + packed.size() + kGcmTagSize);
  out.resize(kHeaderSize + kGcmNonceSize + packed.size() + kGcmTagSize);
  uint8_t* n = out.data() + kHeaderSize;
  uint8_t* c = n + kGcmNonceSize;
  if (nonce) std::memcpy(n, nonce, kGcmNonceSize);
  else if (!crypto::RandomBytes(n, kGcmNonceSize)) return {};
  if (!crypto::AesGcmSeal(k, n, out.data(), kHeaderSize, packed.data(), packed.size(), c,
                          c + packed.size()))
    return {};
  return out;
}

std::vector<uint8_t> SealCbcHmac(std::string_view key, const std::vector<uint8_t>& packed,
                                 const uint8_t* iv) {
  uint8_t k[2 * kKeySize];
  if (packed.empty() || !Hkdf(key, kCbcInfo, k, sizeof k)) return {};
  size_t pad = kBlockSize - packed.size() % kBlockSize; // 1 .. 16
  std::vector<uint8_t> plain(packed);
  plain.insert(plain.end(), pad, static_cast<uint8_t>(pad));
  std::vector<uint8_t> out;
  PutHeader(out, kEncryptionCbcHmac, kBlockSize + plain.size() + kSha256Size);
  out.resize(kHeaderSize + kBlockSize + plain.size());
  uint8_t* v = out.data() + kHeaderSize;
  if (iv) std::memcpy(v, iv, kBlockSize);
  else if (!crypto::RandomBytes(v, kBlockSize)) return {};
  if (!crypto::AesCbcEncrypt(k, v, plain.data(), plain.size(), v + kBlockSize)) return {};
  uint8_t mac[kSha256Size];
  if (!crypto::HmacSha256(k + kKeySize, kKeySize, out.data(), out.size(), mac)) return {};
  out.insert(out.end(), mac, mac + sizeof mac);
  return out;
}

bool OpenGcm(std::string_view key, const uint8_t* env, size_t bodySize,
             std::vector<uint8_t>* packed) {
  if (bodySize <= kGcmNonceSize + kGcmTagSize) return false;
  uint8_t k[kKeySize];
  if (!Hkdf(key, kGcmInfo, k, sizeof k)) return false;
  const uint8_t* n = env + kHeaderSize;
  const uint8_t* c = n + kGcmNonceSize;
  size_t size = bodySize - kGcmNonceSize - kGcmTagSize;
  packed->resize(size);
  if (crypto::AesGcmOpen(k, n, env, kHeaderSize, c, size, c + size, packed->data())) return true;
  packed->clear();
  return false;
}

bool OpenCbcHmac(std::string_view key, const uint8_t* env, size_t bodySize,
                 std::vector<uint8_t>* packed) {
  if (bodySize < kBlockSize + kBlockSize + kSha256Size) return false;
  size_t cipherSize = bodySize - kBlockSize - kSha256Size;
  if (cipherSize % kBlockSize != 0) return false;
  uint8_t k[2 * kKeySize];
  if (!Hkdf(key, kCbcInfo, k, sizeof k)) return false;
  size_t macked = kHeaderSize + kBlockSize + cipherSize;
  uint8_t mac[kSha256Size];
  if (!crypto::HmacSha256(k + kKeySize, kKeySize, env, macked, mac) ||
      !ConstantTimeEqual(mac, env + macked, kSha256Size))
    return false;
  // Authenticated: only now decrypt and look at the padding.
  const uint8_t* iv = env + kHeaderSize;
  packed->resize(cipherSize);
  if (!crypto::AesCbcDecrypt(k, iv, iv + kBlockSize, cipherSize, packed->data())) {
    packed->clear();
    return false;
  }
  uint8_t pad = packed->back();
  bool padOk = pad >= 1 && pad <= kBlockSize && pad < cipherSize;
  for (size_t i = 0; padOk && i < pad; ++i) padOk = (*packed)[cipherSize - 1 - i] == pad;
  if (!padOk) {
    packed->clear();
    return false;
  }
  packed->resize(cipherSize - pad);
  return true;
}

// A keyed mode with no key would make text that any document opens; a key
// call that failed must not come out as that.
bool KeyMissing(int mode, std::string_view key) {
  return (mode == kEncryptionGcm || mode == kEncryptionCbcHmac) && key.empty();
}

} // namespace

std::vector<uint8_t> SealEnvelope(int mode, std::string_view key,
                                  const std::vector<uint8_t>& packed, const uint8_t* nonce) {
  if (packed.size() > kMaxBodySize - 64 || KeyMissing(mode, key)) return {};
  switch (mode) {
  case kEncryptionPlain: {
    std::vector<uint8_t> out;
    PutHeader(out, kEncryptionPlain, packed.size());
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
  }
  case kEncryptionGcm:
    return SealGcm(key, packed, nonce);
  case kEncryptionCbcHmac:
    return SealCbcHmac(key, packed, nonce);
  default:
    return {};
  }
}

bool OpenEnvelope(const uint8_t* data, size_t size, int mode, std::string_view key,
                  std::vector<uint8_t>* packed) {
  packed->clear();
  if (data == nullptr || size < kHeaderSize || data[0] != mode || KeyMissing(mode, key))
    return false;
  size_t bodySize = size_t{data[1]} << 16 | size_t{data[2]} << 8 | data[3];
  if (bodySize > size - kHeaderSize) return false;
  const uint8_t* tail = data + kHeaderSize + bodySize;
  if (std::any_of(tail, data + size, [](uint8_t b) { return b != 0; })) return false;
  switch (mode) {
  case kEncryptionPlain:
    packed->assign(data + kHeaderSize, tail);
    return true;
  case kEncryptionGcm:
    return OpenGcm(key, data, bodySize, packed);
  case kEncryptionCbcHmac:
    return OpenCbcHmac(key, data, bodySize, packed);
  default:
    return false;
  }
}

std::string EncodeSignatureString(const PenRecord& record, const CodecSettings& settings) {
  std::vector<uint8_t> raw = EncodeRecord(record);
  if (raw.empty()) return {};
  std::vector<uint8_t> env =
      SealEnvelope(settings.encryptionMode, settings.key, Pack(raw, settings.compressionMode),
                   nullptr);
  return HexEncode(env.data(), env.size());
}

bool DecodeSignatureString(std::string_view text, const CodecSettings& settings,
                           PenRecord* out) {
  out->extentX = out->extentY = 0;
  out->strokes.clear();
  std::vector<uint8_t> env, packed, raw;
  return text.size() <= kMaxSignatureTextSize && HexDecode(text, &env) &&
         OpenEnvelope(env.data(), env.size(), settings.encryptionMode, settings.key, &packed) &&
         Unpack(packed.data(), packed.size(), &raw) && DecodeRecord(raw.data(), raw.size(), out);
}

} // namespace pendata
