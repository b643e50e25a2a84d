#include "UpdateCrypt.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <qpdf/QPDFCryptoProvider.hh>

#include "PdfError.h"

namespace penvane {
namespace {

std::string AesCbc(const std::string& key, const std::string& bytes) {
    // A random IV in front of the cipher text, PKCS#7 padding: the form the
    // standard security handler's AES methods store.
    unsigned char iv[16];
    if (RAND_bytes(iv, sizeof iv) != 1) throw PdfError("no random data for encryption");
    const EVP_CIPHER* cipher = key.size() == 32 ? EVP_aes_256_cbc() : EVP_aes_128_cbc();
    std::string out(reinterpret_cast<char*>(iv), sizeof iv);
    out.resize(16 + bytes.size() + 16);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int n1 = 0, n2 = 0;
    bool ok = ctx && EVP_EncryptInit_ex(ctx, cipher, nullptr, reinterpret_cast<const unsigned char*>(key.data()), iv) == 1 &&
              EVP_EncryptUpdate(ctx, reinterpret_cast<unsigned char*>(&out[16]), &n1,
                                reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size())) == 1 &&
              EVP_EncryptFinal_ex(ctx, reinterpret_cast<unsigned char*>(&out[16 + n1]), &n2) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok) throw PdfError("encryption failed");
    out.resize(16 + n1 + n2);
    return out;
}

std::string Rc4(const std::string& key, const std::string& bytes) {
    // qpdf's own crypto provider: RC4 is not in OpenSSL 3's default provider.
    auto impl = QPDFCryptoProvider::getImpl();
    impl->RC4_init(reinterpret_cast<const unsigned char*>(key.data()), static_cast<int>(key.size()));
    std::string out(bytes.size(), '\0');
    impl->RC4_process(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                      reinterpret_cast<unsigned char*>(&out[0]));
    impl->RC4_finalize();
    return out;
}

}  // namespace

UpdateCrypt::UpdateCrypt(QPDF& qpdf) {
    int P = 0;
    QPDF::encryption_method_e stream = QPDF::e_none, string = QPDF::e_none, file = QPDF::e_none;
    if (!qpdf.isEncrypted(R_, P, V_, stream, string, file)) return;
    active_ = true;
    key_ = qpdf.getEncryptionKey();
    auto method = [this](QPDF::encryption_method_e m) {
        // Below V 4 there are no crypt filters and qpdf reports no method:
        // such files are RC4 throughout.
        if (V_ < 4) return Method::Rc4;
        switch (m) {
        case QPDF::e_rc4: return Method::Rc4;
        case QPDF::e_aes:
        case QPDF::e_aesv3: return Method::Aes;
        default: return Method::None;
        }
    };
    strings_ = method(string);
    streams_ = method(stream);
}

std::string UpdateCrypt::Encrypt(const std::string& bytes, QPDFObjGen og, Method method) const {
    if (!active_ || method == Method::None) return bytes;
    const bool aes = method == Method::Aes;
    std::string key = QPDF::compute_data_key(key_, og.getObj(), og.getGen(), aes, V_, R_);
    return aes ? AesCbc(key, bytes) : Rc4(key, bytes);
}

std::string UpdateCrypt::String(const std::string& bytes, QPDFObjGen og) const {
    return Encrypt(bytes, og, strings_);
}

std::string UpdateCrypt::Stream(const std::string& bytes, QPDFObjGen og) const {
    return Encrypt(bytes, og, streams_);
}

}  // namespace penvane
