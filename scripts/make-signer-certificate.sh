#!/usr/bin/env bash
# Makes the signer certificate once and writes it as constant data into
# plugin/engine/SignerCertificate.cpp.
#
# The certificate is self-signed (RSA 2048, sha256WithRSAEncryption) with a
# subject key identifier, an authority key identifier and basic constraints
# CA:TRUE. Its size is fixed at 1087 bytes (DER 30 82 04 3B): the subject was
# chosen to come out at that length with a two-byte serial number, a
# notBefore before 2050 (UTCTime) and a notAfter after it (GeneralizedTime).
# The key is made in a private temporary folder and deleted with it; no copy
# is kept anywhere, so the certificate can never sign anything again.
#
# Usage: scripts/make-signer-certificate.sh [output.cpp]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/plugin/engine/SignerCertificate.cpp}"
subject="/C=DE/O=Orvel/OU=PenvanePlus Handwritten Signatures/OU=Pen data bound to the document digest/CN=Orvel PenvanePlus Signature Pad Signing Party 1"
expected_length=1087

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"

openssl genrsa -out "$work/key.pem" 2048 2>/dev/null
openssl req -x509 -new -key "$work/key.pem" -sha256 -days 36500 -set_serial 0x0102 \
  -subj "$subject" \
  -addext "basicConstraints=critical,CA:TRUE" \
  -addext "subjectKeyIdentifier=hash" \
  -addext "authorityKeyIdentifier=keyid:always" \
  -outform DER -out "$work/cert.der"
rm -f "$work/key.pem"

length="$(stat -c %s "$work/cert.der")"
head="$(head -c 4 "$work/cert.der" | od -An -tx1 | tr -d ' \n')"
if [ "$length" != "$expected_length" ] || [ "$head" != "3082043b" ]; then
  echo "certificate is $length bytes starting $head, not $expected_length starting 3082043b" >&2
  exit 1
fi

{
  echo "// The signer certificate, made by scripts/make-signer-certificate.sh:"
  openssl x509 -inform DER -in "$work/cert.der" -noout -subject -dates -nameopt oneline | sed 's|^|//   |'
  echo "// Generated; make a new one with the script rather than editing bytes."
  echo '#include "SignerCertificate.h"'
  echo
  echo "const unsigned char kSignerCertificate[kSignerCertificateLength] = {"
  od -An -v -tx1 -w12 "$work/cert.der" | sed -E 's/ ([0-9a-f]{2})/ 0x\1,/g; s/^ /    /'
  echo "};"
} > "$out"
echo "wrote $out ($length bytes)"
