// libFuzzer target for everything that reads pen data from outside.
// The first byte picks the path:
//   0  the bytes as signature text, plain mode (hex, envelope, unpack, record)
//   1  the bytes as signature text, keyed modes 4 and 1 (envelope checks)
//   2  the bytes as an authenticated packed record under mode 4: anyone who
//      knows a document's digest can make such text, so what lies behind a
//      valid tag is as hostile as the rest
//   3  the bytes as a packed record (Unpack + DecodeRecord)
//   4  the bytes as a stroke file
// Whatever loads is re-encoded and drawn, which must not fail either.
#include "compression.h"
#include "hex.h"
#include "pdf_drawing.h"
#include "signature_string.h"
#include "stroke_file.h"

#include <cstdlib>
#include <string_view>

using namespace pendata;

namespace {

const char kKey[] = "3A7BD3E2360A3D29EEA436FCFB7E44C735D117C4";
const uint8_t kNonce[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

void Exercise(const PenRecord& r, const uint8_t* data, size_t size) {
  if (r.PointCount() == 0) return;
  if (!IsEncodable(r)) std::abort();
  std::vector<uint8_t> raw = EncodeRecord(r);
  PenRecord back;
  if (!DecodeRecord(raw.data(), raw.size(), &back) || back.PointCount() != r.PointCount())
    std::abort();
  DrawingSettings s;
  s.width = size > 1 ? static_cast<int8_t>(data[size - 1]) * 3 : 120;
  s.height = 40;
  s.penWidth = size > 2 ? static_cast<int8_t>(data[size - 2]) : 2;
  s.justifyMode = size > 3 ? data[size - 3] % 7 : 5;
  s.justifyX = size > 4 ? static_cast<int8_t>(data[size - 4]) : 50;
  s.rotation = size > 5 ? static_cast<int8_t>(data[size - 5]) * 45 : 0;
  // Whatever loads is a record the pad could hold: it draws into any box
  // with area.
  std::string out;
  if (DrawInk(r, s, &out) != (s.width > 0)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t* body = data + 1;
  const size_t n = size - 1;
  std::string_view text(reinterpret_cast<const char*>(body), n);
  PenRecord r;
  switch (data[0] % 5) {
  case 0:
    DecodeSignatureString(text, {kEncryptionPlain, 1, kKey}, &r);
    break;
  case 1:
    DecodeSignatureString(text, {kEncryptionGcm, 1, kKey}, &r);
    DecodeSignatureString(text, {kEncryptionCbcHmac, 1, kKey}, &r);
    break;
  case 2: {
    std::vector<uint8_t> packed(body, body + n);
    std::vector<uint8_t> env = SealEnvelope(kEncryptionGcm, kKey, packed, kNonce);
    if (!packed.empty() && env.empty()) std::abort();
    DecodeSignatureString(HexEncode(env.data(), env.size()), {kEncryptionGcm, 1, kKey}, &r);
    break;
  }
  case 3: {
    std::vector<uint8_t> raw;
    if (Unpack(body, n, &raw)) DecodeRecord(raw.data(), raw.size(), &r);
    break;
  }
  case 4:
    ParseStrokeFile(text, &r);
    break;
  }
  Exercise(r, data, size);
  return 0;
}
