#!/usr/bin/env bash
# Makes the CMS fixtures of CmsIntegrityTest with throw-away keys (deleted at
# the end, so none exists anywhere):
#   detached.pdf   a one-page document signed by podofosign (adbe.pkcs7.detached)
#   sha1.p7s       signed data holding the SHA-1 of detached.pdf's ranges
#   sha1-no-certificate.p7s  the same without the signer's certificate
#   timestamp.tst  a time-stamp token whose message imprint is the SHA-256 of
#                  those ranges
# Run from anywhere; writes beside this script. Needs openssl, podofosign and
# python3 (for make_attacks.py's base-plain.pdf).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
key() { openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 3650 "$@" 2>/dev/null; }
key -keyout key.pem -out cert.pem -subj "/CN=Throw-away test signer"
key -keyout tsakey.pem -out tsa.pem -subj "/CN=Throw-away test time stamps" \
  -addext "extendedKeyUsage=critical,timeStamping"
python3 "$here/../../attacks/make_attacks.py" base .
podofosign -in base-plain.pdf -out "$here/detached.pdf" -cert cert.pem -pkey key.pem -digest SHA256 \
  -field-name Approval -field-use-existing -sigsize 1700 >/dev/null
python3 - "$here/detached.pdf" <<'PYTHON'
import re, sys
d = open(sys.argv[1], "rb").read()
r = [int(x) for x in re.search(rb"/ByteRange\s*\[\s*([0-9 ]+)\]", d).group(1).split()]
open("ranges.bin", "wb").write(d[r[0]:r[0] + r[1]] + d[r[2]:r[2] + r[3]])
PYTHON
openssl dgst -sha1 -binary ranges.bin >sha1.bin
openssl cms -sign -binary -nodetach -md sha256 -in sha1.bin -signer cert.pem -inkey key.pem \
  -outform DER -out "$here/sha1.p7s"
openssl cms -sign -binary -nodetach -nocerts -md sha256 -in sha1.bin -signer cert.pem -inkey key.pem \
  -outform DER -out "$here/sha1-no-certificate.p7s"
cat >ts.cnf <<CONF
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = $work/serial
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
ess_cert_id_alg = sha256
CONF
echo 01 >serial
openssl ts -query -data ranges.bin -sha256 -cert -out query.tsq 2>/dev/null
openssl ts -reply -config ts.cnf -queryfile query.tsq -signer tsa.pem -inkey tsakey.pem -token_out \
  -out "$here/timestamp.tst" 2>/dev/null
