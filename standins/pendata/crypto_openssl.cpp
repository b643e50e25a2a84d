// The crypto seam over OpenSSL's libcrypto.
#include "crypto.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>
#include <cstring>
#include <memory>

namespace pendata::crypto {
namespace {

struct CtxFree {
  void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

bool FitsInt(size_t n) { return n <= static_cast<size_t>(INT_MAX); }

// Algorithms are fetched once per process: fetching on every call (as the
// one-shot and legacy interfaces do) costs more than the work itself on the
// short inputs here. Fetched objects are immutable and safe to share.
const EVP_CIPHER* Cipher(const char* name) {
  return EVP_CIPHER_fetch(nullptr, name, nullptr);
}
const EVP_CIPHER* Gcm() {
  static const EVP_CIPHER* c = Cipher("AES-256-GCM");
  return c;
}
const EVP_CIPHER* CbcCipher() {
  static const EVP_CIPHER* c = Cipher("AES-256-CBC");
  return c;
}
const EVP_MD* Sha256() {
  static const EVP_MD* md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  return md;
}

struct MdCtxFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

bool Cbc(bool encrypt, const uint8_t* key, const uint8_t* iv, const uint8_t* in, size_t size,
         uint8_t* out) {
  if (size == 0 || size % kBlockSize != 0 || !FitsInt(size)) return false;
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  int len = 0, fin = 0;
  return ctx &&
         CbcCipher() &&
         EVP_CipherInit_ex(ctx.get(), CbcCipher(), nullptr, key, iv, encrypt ? 1 : 0) == 1 &&
         EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
         EVP_CipherUpdate(ctx.get(), out, &len, in, static_cast<int>(size)) == 1 &&
         EVP_CipherFinal_ex(ctx.get(), out + len, &fin) == 1 &&
         static_cast<size_t>(len + fin) == size;
}

} // namespace

bool RandomBytes(uint8_t* out, size_t size) {
  return FitsInt(size) && RAND_bytes(out, static_cast<int>(size)) == 1;
}

// RFC 2104 over the prefetched digest: the MAC interface fetches its digest
// on every initialisation, which dominated the cost of a keyed load.
bool HmacSha256(const uint8_t* key, size_t keySize, const uint8_t* data, size_t size,
                uint8_t mac[kSha256Size]) {
  constexpr size_t kBlock = 64;
  std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
  if (!ctx || !Sha256()) return false;
  uint8_t k[kBlock] = {};
  if (keySize > kBlock) {
    if (EVP_Digest(key, keySize, k, nullptr, Sha256(), nullptr) != 1) return false;
  } else if (keySize) {
    std::memcpy(k, key, keySize);
  }
  uint8_t pad[kBlock], inner[kSha256Size];
  for (size_t i = 0; i < kBlock; ++i) pad[i] = k[i] ^ 0x36;
  bool ok = EVP_DigestInit_ex(ctx.get(), Sha256(), nullptr) == 1 &&
            EVP_DigestUpdate(ctx.get(), pad, kBlock) == 1 &&
            (size == 0 || EVP_DigestUpdate(ctx.get(), data, size) == 1) &&
            EVP_DigestFinal_ex(ctx.get(), inner, nullptr) == 1;
  for (size_t i = 0; i < kBlock; ++i) pad[i] = k[i] ^ 0x5C;
  return ok && EVP_DigestInit_ex(ctx.get(), Sha256(), nullptr) == 1 &&
         EVP_DigestUpdate(ctx.get(), pad, kBlock) == 1 &&
         EVP_DigestUpdate(ctx.get(), inner, sizeof inner) == 1 &&
         EVP_DigestFinal_ex(ctx.get(), mac, nullptr) == 1;
}

bool AesGcmSeal(const uint8_t key[kKeySize], const uint8_t nonce[kGcmNonceSize],
                const uint8_t* aad, size_t aadSize, const uint8_t* plain, size_t size,
                uint8_t* cipher, uint8_t tag[kGcmTagSize]) {
  if (size == 0 || !FitsInt(size) || !FitsInt(aadSize)) return false; // as CNG
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  int len = 0, fin = 0;
  return ctx && Gcm() &&
         EVP_EncryptInit_ex(ctx.get(), Gcm(), nullptr, key, nonce) == 1 &&
         (aadSize == 0 ||
          EVP_EncryptUpdate(ctx.get(), nullptr, &len, aad, static_cast<int>(aadSize)) == 1) &&
         (
          EVP_EncryptUpdate(ctx.get(), cipher, &len, plain, static_cast<int>(size)) == 1) &&
         EVP_EncryptFinal_ex(ctx.get(), cipher + len, &fin) == 1 &&
         EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kGcmTagSize, tag) == 1;
}

bool AesGcmOpen(const uint8_t key[kKeySize], const uint8_t nonce[kGcmNonceSize],
                const uint8_t* aad, size_t aadSize, const uint8_t* cipher, size_t size,
                const uint8_t tag[kGcmTagSize], uint8_t* plain) {
  if (size == 0 || !FitsInt(size) || !FitsInt(aadSize)) return false; // as CNG
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  int len = 0, fin = 0;
  return ctx && Gcm() &&
         EVP_DecryptInit_ex(ctx.get(), Gcm(), nullptr, key, nonce) == 1 &&
         (aadSize == 0 ||
          EVP_DecryptUpdate(ctx.get(), nullptr, &len, aad, static_cast<int>(aadSize)) == 1) &&
         (
          EVP_DecryptUpdate(ctx.get(), plain, &len, cipher, static_cast<int>(size)) == 1) &&
         EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kGcmTagSize,
                             const_cast<uint8_t*>(tag)) == 1 &&
         EVP_DecryptFinal_ex(ctx.get(), plain + len, &fin) == 1;
}

bool AesCbcEncrypt(const uint8_t key[kKeySize], const uint8_t iv[kBlockSize], const uint8_t* in,
                   size_t size, uint8_t* out) {
  return Cbc(true, key, iv, in, size, out);
}

bool AesCbcDecrypt(const uint8_t key[kKeySize], const uint8_t iv[kBlockSize], const uint8_t* in,
                   size_t size, uint8_t* out) {
  return Cbc(false, key, iv, in, size, out);
}

} // namespace pendata::crypto
