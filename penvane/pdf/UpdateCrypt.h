// Encryption of what an incremental update adds to an encrypted document:
// strings and stream data under the per-object key of the standard security
// handler, exactly as the original's own objects are encrypted (RC4 for V < 4,
// the crypt filter's method for V 4, AES-256 for V 5).
#pragma once
#include "PdfLoad.h"

#include <qpdf/QPDFObjGen.hh>

#include <string>

namespace penvane {

class UpdateCrypt {
public:
    explicit UpdateCrypt(QPDF& qpdf);
    bool Active() const { return active_; }
    // The bytes as they are stored for object `og`; unchanged when the file
    // is not encrypted or the method is the identity.
    std::string String(const std::string& bytes, QPDFObjGen og) const;
    std::string Stream(const std::string& bytes, QPDFObjGen og) const;

private:
    enum class Method { None, Rc4, Aes };
    std::string Encrypt(const std::string& bytes, QPDFObjGen og, Method method) const;

    bool active_ = false;
    std::string key_;
    int V_ = 0, R_ = 0;
    Method strings_ = Method::None, streams_ = Method::None;
};

}  // namespace penvane
