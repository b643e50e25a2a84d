// The crypto seam: the few primitives the keyed text forms need. One source
// implements it with CNG (bcrypt) on Windows, another with OpenSSL elsewhere;
// both compute the same functions, so text made by one opens with the other.
// Every function answers false on any failure and never throws.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pendata::crypto {

constexpr size_t kKeySize = 32;     // AES-256
constexpr size_t kGcmNonceSize = 12;
constexpr size_t kGcmTagSize = 16;
constexpr size_t kBlockSize = 16;   // AES block, CBC IV
constexpr size_t kSha256Size = 32;

bool RandomBytes(uint8_t* out, size_t size);

bool HmacSha256(const uint8_t* key, size_t keySize, const uint8_t* data, size_t size,
                uint8_t mac[kSha256Size]);

// AES-256-GCM; the ciphertext has the plaintext's length. Open answers false
// when the tag does not authenticate the additional data and ciphertext.
bool AesGcmSeal(const uint8_t key[kKeySize], const uint8_t nonce[kGcmNonceSize],
                const uint8_t* aad, size_t aadSize, const uint8_t* plain, size_t size,
                uint8_t* cipher, uint8_t tag[kGcmTagSize]);
bool AesGcmOpen(const uint8_t key[kKeySize], const uint8_t nonce[kGcmNonceSize],
                const uint8_t* aad, size_t aadSize, const uint8_t* cipher, size_t size,
                const uint8_t tag[kGcmTagSize], uint8_t* plain);

// AES-256-CBC without padding: size is a positive multiple of kBlockSize.
bool AesCbcEncrypt(const uint8_t key[kKeySize], const uint8_t iv[kBlockSize],
                   const uint8_t* in, size_t size, uint8_t* out);
bool AesCbcDecrypt(const uint8_t key[kKeySize], const uint8_t iv[kBlockSize],
                   const uint8_t* in, size_t size, uint8_t* out);

} // namespace pendata::crypto
