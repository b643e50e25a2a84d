// The crypto seam over CNG (bcrypt). Every provider and key handle is opened
// and closed within the call, so the library holds no handles between calls.
#include "crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <cstring>
#include <cwchar>

namespace pendata::crypto {
namespace {

bool Ok(NTSTATUS s) { return s >= 0; }
bool FitsUlong(size_t n) { return n <= ULONG_MAX; }

class Provider {
public:
  Provider(LPCWSTR alg, ULONG flags) {
    if (!Ok(BCryptOpenAlgorithmProvider(&h_, alg, nullptr, flags))) h_ = nullptr;
  }
  ~Provider() {
    if (h_) BCryptCloseAlgorithmProvider(h_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE get() const { return h_; }

private:
  BCRYPT_ALG_HANDLE h_ = nullptr;
};

class Key {
public:
  ~Key() {
    if (h_) BCryptDestroyKey(h_);
  }
  bool Open(const Provider& aes, LPCWSTR chaining, const uint8_t* key) {
    if (!aes.get()) return false;
    if (!Ok(BCryptSetProperty(aes.get(), BCRYPT_CHAINING_MODE,
                              reinterpret_cast<PUCHAR>(const_cast<LPWSTR>(chaining)),
                              static_cast<ULONG>((std::wcslen(chaining) + 1) * sizeof(WCHAR)), 0)))
      return false;
    return Ok(BCryptGenerateSymmetricKey(aes.get(), &h_, nullptr, 0, const_cast<PUCHAR>(key),
                                         kKeySize, 0));
  }
  BCRYPT_KEY_HANDLE get() const { return h_; }

private:
  BCRYPT_KEY_HANDLE h_ = nullptr;
};

bool Cbc(bool encrypt, const uint8_t* key, const uint8_t* iv, const uint8_t* in, size_t size,
         uint8_t* out) {
  if (size == 0 || size % kBlockSize != 0 || !FitsUlong(size)) return false;
  Provider aes(BCRYPT_AES_ALGORITHM, 0);
  Key k;
  if (!k.Open(aes, BCRYPT_CHAIN_MODE_CBC, key)) return false;
  UCHAR ivCopy[kBlockSize]; // CNG updates the IV in place
  std::memcpy(ivCopy, iv, kBlockSize);
  ULONG done = 0;
  NTSTATUS s = encrypt ? BCryptEncrypt(k.get(), const_cast<PUCHAR>(in), static_cast<ULONG>(size),
                                       nullptr, ivCopy, kBlockSize, out, static_cast<ULONG>(size),
                                       &done, 0)
                       : BCryptDecrypt(k.get(), const_cast<PUCHAR>(in), static_cast<ULONG>(size),
                                       nullptr, ivCopy, kBlockSize, out, static_cast<ULONG>(size),
                                       &done, 0);
  return Ok(s) && done == size;
}

void InitGcmInfo(BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO* info, const uint8_t* nonce,
                 const uint8_t* aad, size_t aadSize, uint8_t* tag) {
  BCRYPT_INIT_AUTH_MODE_INFO(*info);
  info->pbNonce = const_cast<PUCHAR>(nonce);
  info->cbNonce = kGcmNonceSize;
  info->pbAuthData = aadSize ? const_cast<PUCHAR>(aad) : nullptr;
  info->cbAuthData = static_cast<ULONG>(aadSize);
  info->pbTag = tag;
  info->cbTag = kGcmTagSize;
}

} // namespace

bool RandomBytes(uint8_t* out, size_t size) {
  return FitsUlong(size) &&
         Ok(BCryptGenRandom(nullptr, out, static_cast<ULONG>(size),
                            BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool HmacSha256(const uint8_t* key, size_t keySize, const uint8_t* data, size_t size,
                uint8_t mac[kSha256Size]) {
  if (!FitsUlong(keySize) || !FitsUlong(size)) return false;
  Provider sha(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
  if (!sha.get()) return false;
  static UCHAR kEmpty = 0;
  BCRYPT_HASH_HANDLE h = nullptr;
  if (!Ok(BCryptCreateHash(sha.get(), &h, nullptr, 0, keySize ? const_cast<PUCHAR>(key) : &kEmpty,
                           static_cast<ULONG>(keySize), 0)))
    return false;
  bool ok = (size == 0 || Ok(BCryptHashData(h, const_cast<PUCHAR>(data),
                                            static_cast<ULONG>(size), 0))) &&
            Ok(BCryptFinishHash(h, mac, kSha256Size, 0));
  BCryptDestroyHash(h);
  return ok;
}

bool AesGcmSeal(const uint8_t key[kKeySize], const uint8_t nonce[kGcmNonceSize],
                const uint8_t* aad, size_t aadSize, const uint8_t* plain, size_t size,
                uint8_t* cipher, uint8_t tag[kGcmTagSize]) {
  if (size == 0 || !FitsUlong(size) || !FitsUlong(aadSize)) return false;
  Provider aes(BCRYPT_AES_ALGORITHM, 0);
  Key k;
  if (!k.Open(aes, BCRYPT_CHAIN_MODE_GCM, key)) return false;
  BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
  InitGcmInfo(&info, nonce, aad, aadSize, tag);
  ULONG done = 0;
  return Ok(BCryptEncrypt(k.get(), const_cast<PUCHAR>(plain), static_cast<ULONG>(size), &info,
                          nullptr, 0, cipher, static_cast<ULONG>(size), &done, 0)) &&
         done == size;
}

bool AesGcmOpen(const uint8_t key[kKeySize], const uint8_t nonce[kGcmNonceSize],
                const uint8_t* aad, size_t aadSize, const uint8_t* cipher, size_t size,
                const uint8_t tag[kGcmTagSize], uint8_t* plain) {
  if (size == 0 || !FitsUlong(size) || !FitsUlong(aadSize)) return false;
  Provider aes(BCRYPT_AES_ALGORITHM, 0);
  Key k;
  if (!k.Open(aes, BCRYPT_CHAIN_MODE_GCM, key)) return false;
  uint8_t tagCopy[kGcmTagSize];
  std::memcpy(tagCopy, tag, kGcmTagSize);
  BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
  InitGcmInfo(&info, nonce, aad, aadSize, tagCopy);
  ULONG done = 0;
  // A tag that does not match gives STATUS_AUTH_TAG_MISMATCH: a failure here.
  return Ok(BCryptDecrypt(k.get(), const_cast<PUCHAR>(cipher), static_cast<ULONG>(size), &info,
                          nullptr, 0, plain, static_cast<ULONG>(size), &done, 0)) &&
         done == size;
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
