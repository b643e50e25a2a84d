#include "compression.h"
#include "pen_record.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

namespace pendata {
namespace {

std::vector<uint8_t> RawDeflate(const std::vector<uint8_t>& in) {
  z_stream z;
  std::memset(&z, 0, sizeof z);
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY), Z_OK);
  std::vector<uint8_t> out(deflateBound(&z, in.size()) + 1);
  out[0] = 1; // method byte: deflate
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data() + 1;
  z.avail_out = static_cast<uInt>(out.size() - 1);
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(1 + z.total_out);
  deflateEnd(&z);
  return out;
}

TEST(Compression, RoundTripsEveryModeAndPositiveModesAgree) {
  std::vector<uint8_t> record = EncodeRecord(testing::SampleSignature());
  std::vector<uint8_t> deflated = Pack(record, 1);
  EXPECT_LT(deflated.size(), record.size());
  for (int mode : {-5, 0, 1, 2, 9, 32767}) {
    std::vector<uint8_t> packed = Pack(record, mode), back;
    ASSERT_TRUE(Unpack(packed.data(), packed.size(), &back)) << mode;
    EXPECT_EQ(back, record) << mode;
    // Same bytes for every positive mode: the stored size never changes when
    // a signature is re-encoded under mode 1.
    if (mode >= 1) EXPECT_EQ(packed, deflated) << mode;
    else EXPECT_EQ(packed.size(), record.size() + 1) << mode;
  }
}

TEST(Compression, BombsAndBrokenStreamsAreRefused) {
  std::vector<uint8_t> atCap(kMaxUnpackedSize, 0), overCap(kMaxUnpackedSize + 1, 0);
  std::vector<uint8_t> huge(16u << 20, 0); // 16 MiB of zeros in about 16 KiB
  std::vector<uint8_t> out;
  std::vector<uint8_t> packed = RawDeflate(atCap);
  ASSERT_TRUE(Unpack(packed.data(), packed.size(), &out));
  EXPECT_EQ(out.size(), kMaxUnpackedSize);
  for (const std::vector<uint8_t>* bomb : {&overCap, &huge}) {
    packed = RawDeflate(*bomb);
    EXPECT_FALSE(Unpack(packed.data(), packed.size(), &out));
    EXPECT_TRUE(out.empty());
  }
  std::vector<uint8_t> good = Pack(EncodeRecord(testing::MixedRecord()), 1);
  std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
  std::vector<uint8_t> trailing = good;
  trailing.push_back(0);
  std::vector<uint8_t> unknownMethod = good;
  unknownMethod[0] = 2;
  std::vector<uint8_t> garbage = {1, 0xFF, 0xFF, 0xFF};
  std::vector<uint8_t> storedTooBig(kMaxUnpackedSize + 2, 0);
  for (const auto* bad : {&truncated, &trailing, &unknownMethod, &garbage, &storedTooBig}) {
    EXPECT_FALSE(Unpack(bad->data(), bad->size(), &out));
    EXPECT_TRUE(out.empty());
  }
  EXPECT_FALSE(Unpack(nullptr, 0, &out));
}

} // namespace
} // namespace pendata
