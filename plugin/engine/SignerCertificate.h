// The signer certificate handed to the host with every signature: a
// self-signed X.509 v3 certificate in DER, made once by
// scripts/make-signer-certificate.sh and kept here as constant data. Its
// private key was thrown away when it was made; the certificate only names
// the handler as signer, the pen data carries the signature.
#pragma once
#include <cstdint>

constexpr int32_t kSignerCertificateLength = 1087;
extern const unsigned char kSignerCertificate[kSignerCertificateLength];
