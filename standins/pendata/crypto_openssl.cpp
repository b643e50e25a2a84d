// The crypto seam over OpenSSL's libcrypto.
#include "crypto.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <climits>
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
EVP_MAC* Hmac() {
  static EVP_MAC* m = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  return m;
}

struct MacCtxFree {
  void operator()(EVP_MAC_CTX* c) const { EVP_MAC_CTX_free(c); }
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

bool HmacSha256(const uint8_t* key, size_t keySize, const uint8_t* data, size_t size,
                uint8_t mac[kSha256Size]) {
  if (!Hmac()) return false;
  std::unique_ptr<EVP_MAC_CTX, MacCtxFree> ctx(EVP_MAC_CTX_new(Hmac()));
  char digest[] = "SHA256";
  OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                         OSSL_PARAM_construct_end()};
  static const uint8_t kEmpty = 0;
  size_t len = 0;
  return ctx && EVP_MAC_init(ctx.get(), keySize ? key : &kEmpty, keySize, params) == 1 &&
         (size == 0 || EVP_MAC_update(ctx.get(), data, size) == 1) &&
         EVP_MAC_final(ctx.get(), mac, &len, kSha256Size) == 1 && len == kSha256Size;
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
