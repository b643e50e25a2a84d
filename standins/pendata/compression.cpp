#include "compression.h"

#include <zlib.h>

#include <cstring>

namespace pendata {
namespace {

constexpr uint8_t kMethodStored = 0;
constexpr uint8_t kMethodDeflate = 1;

bool Deflate(const std::vector<uint8_t>& in, std::vector<uint8_t>* out) {
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    return false;
  size_t bound = deflateBound(&z, static_cast<uLong>(in.size()));
  size_t start = out->size();
  out->resize(start + bound);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out->data() + start;
  z.avail_out = static_cast<uInt>(bound);
  int rc = deflate(&z, Z_FINISH);
  out->resize(start + z.total_out);
  deflateEnd(&z);
  return rc == Z_STREAM_END;
}

bool Inflate(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  // Grow the output in steps, never past the cap (plus one byte, to tell a
  // record of exactly the cap from one beyond it).
  int rc = Z_OK;
  size_t chunk = size * 4 + 256;
  while (rc == Z_OK) {
    size_t have = z.total_out;
    size_t want = have + chunk;
    if (want > kMaxUnpackedSize + 1) want = kMaxUnpackedSize + 1;
    if (want <= have) break;
    out->resize(want);
    z.next_out = out->data() + have;
    z.avail_out = static_cast<uInt>(want - have);
    rc = inflate(&z, Z_NO_FLUSH);
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break; // input ends early
    if (rc == Z_BUF_ERROR) rc = Z_OK;                // output full: grow
    chunk *= 2;
  }
  bool ok = rc == Z_STREAM_END && z.avail_in == 0 && z.total_out <= kMaxUnpackedSize;
  out->resize(ok ? z.total_out : 0);
  inflateEnd(&z);
  return ok;
}

} // namespace

std::vector<uint8_t> Pack(const std::vector<uint8_t>& record, int compressionMode) {
  std::vector<uint8_t> out;
  if (compressionMode >= 1) {
    out.push_back(kMethodDeflate);
    if (Deflate(record, &out)) return out;
    out.clear();
  }
  out.reserve(record.size() + 1);
  out.push_back(kMethodStored);
  out.insert(out.end(), record.begin(), record.end());
  return out;
}

bool Unpack(const uint8_t* data, size_t size, std::vector<uint8_t>* record) {
  record->clear();
  if (data == nullptr || size == 0) return false;
  if (size - 1 > kMaxUnpackedSize * 2) return false; // uInt sizes stay far from overflow
  switch (data[0]) {
  case kMethodStored:
    if (size - 1 > kMaxUnpackedSize) return false;
    record->assign(data + 1, data + size);
    return true;
  case kMethodDeflate:
    return Inflate(data + 1, size - 1, record);
  default:
    return false;
  }
}

} // namespace pendata
