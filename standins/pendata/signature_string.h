// The signature string: pen data as text, under an encryption mode and key.
//
// Encryption modes (SetEncryptionMode):
//   0  plain: the packed record, unauthenticated;
//   4  keyed: AES-256-GCM with a random 96-bit nonce, key = HKDF-SHA-256 of
//      the key string (salt "penvane pen data", info "pen record aes-256-gcm v1");
//   1  the other keyed form: AES-256-CBC with a random IV and PKCS#7 padding,
//      then HMAC-SHA-256 over everything before the MAC (encrypt-then-MAC);
//      64 bytes of HKDF-SHA-256 (same salt, info "pen record aes-256-cbc
//      hmac-sha-256 v1"): the first 32 are the AES key, the last 32 the MAC key.
//   Any other mode makes no text and loads nothing, and so do modes 4 and 1
//   with an empty key (none set, or a key call that failed).
// A fast derivation on purpose: the key string is usually a 40-digit digest,
// not a password, and validation derives it on every check.
//
// The text is upper-case hexadecimal, two digits a byte, of the envelope:
//   mode byte | body length (3 bytes, big-endian) | body | zero bytes
//   body, mode 0: packed record (compression.h)
//   body, mode 4: nonce (12) | ciphertext of the packed record | tag (16)
//   body, mode 1: IV (16) | ciphertext of the padded packed record | MAC (32)
// The four header bytes are authenticated with the body. Zero bytes after
// the body are accepted and ignored: a host may hand back the stored value
// with the zero padding of its reserved space. Loading accepts either case.
//
// Whatever the fault (another key, another mode, any changed character, an
// odd length, a malformed record) loading gives no pen data and no crash; the
// work and memory spent are bounded by the text's length and by the caps of
// compression.h and pen_record.h.
#pragma once

#include "pen_record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pendata {

enum EncryptionMode : int {
  kEncryptionPlain = 0,
  kEncryptionCbcHmac = 1,
  kEncryptionGcm = 4,
};

struct CodecSettings {
  int encryptionMode = kEncryptionPlain;
  int compressionMode = 1;
  std::string key; // the key string's bytes, for modes 4 and 1
};

// Longest text the loader reads: a larger one is refused before decoding.
constexpr size_t kMaxSignatureTextSize = 8u << 20;

// Empty for an unknown mode, an unencodable record or a crypto failure.
std::string EncodeSignatureString(const PenRecord& record, const CodecSettings& settings);

// True with the pen data in *out; false with *out empty.
bool DecodeSignatureString(std::string_view text, const CodecSettings& settings, PenRecord* out);

// The envelope alone, for tests and fuzzing. nonce: 12 bytes (mode 4) or 16
// (mode 1); null draws a random one.
std::vector<uint8_t> SealEnvelope(int encryptionMode, std::string_view key,
                                  const std::vector<uint8_t>& packed, const uint8_t* nonce);
bool OpenEnvelope(const uint8_t* data, size_t size, int encryptionMode, std::string_view key,
                  std::vector<uint8_t>* packed);

} // namespace pendata
