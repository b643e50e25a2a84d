#include "pen_record.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace pendata {
namespace {

using testing::MixedRecord;
using testing::SameRecord;
using testing::SampleSignature;

TEST(PenRecord, RoundTripsSampleAndExtremes) {
  for (const PenRecord& r : {SampleSignature(), MixedRecord()}) {
    std::vector<uint8_t> bytes = EncodeRecord(r);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], kRecordVersion);
    PenRecord back;
    ASSERT_TRUE(DecodeRecord(bytes.data(), bytes.size(), &back));
    EXPECT_TRUE(SameRecord(r, back));
  }
}

TEST(PenRecord, SampleIsARealisticSignature) {
  PenRecord r = SampleSignature();
  EXPECT_GE(r.strokes.size(), 3u);
  EXPECT_GE(r.PointCount(), 1000u);
  for (const Stroke& s : r.strokes) EXPECT_TRUE(s.hasTime && s.hasPressure);
}

TEST(PenRecord, RefusesToEncodeWhatItCouldNotReadBack) {
  PenRecord base = MixedRecord();
  auto outside = base;
  outside.strokes[0].points[0].x = 32768;
  auto negative = base;
  negative.strokes[1].points[0].y = -1;
  auto emptyStroke = base;
  emptyStroke.strokes.push_back({});
  auto noExtent = base;
  noExtent.extentY = 0;
  auto tooMany = base;
  tooMany.strokes[1].points.resize(kMaxPoints);
  for (const PenRecord* r : {&outside, &negative, &emptyStroke, &noExtent, &tooMany})
    EXPECT_TRUE(EncodeRecord(*r).empty());
  PenRecord full = base;
  full.strokes = {Stroke{false, false, std::vector<PenPoint>(kMaxPoints)}};
  EXPECT_FALSE(EncodeRecord(full).empty()); // the limit itself is fine
}

TEST(PenRecord, EveryTruncationAndAnyTrailingByteIsRefused) {
  std::vector<uint8_t> bytes = EncodeRecord(MixedRecord());
  PenRecord out;
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(DecodeRecord(bytes.data(), n, &out)) << "prefix " << n;
  bytes.push_back(0);
  EXPECT_FALSE(DecodeRecord(bytes.data(), bytes.size(), &out));
}

TEST(PenRecord, MalformedRecordsLoadAsNothing) {
  // version, extentX, extentY, strokes, [count, flags]..., columns
  const std::vector<std::vector<uint8_t>> cases = {
      {},
      {2, 10, 10, 1, 1, 0, 0, 0},                       // unknown version
      {1, 0, 10, 1, 1, 0, 0, 0},                        // no extent
      {1, 0xFF, 0xFF, 0x02, 10, 1, 1, 0, 0, 0},        // extent beyond 32767
      {1, 10, 10, 1, 0, 0},                             // empty stroke
      {1, 10, 10, 1, 1, 4, 0, 0},                       // unknown channel flag
      {1, 10, 10, 1, 1, 0, 22, 0},                      // x = 11, outside the pad
      {1, 10, 10, 1, 1, 0, 1, 0},                       // x = -1
      {1, 10, 10, 1, 1, 2, 0, 0, 1},                    // pressure -1
      {1, 10, 10, 0xFF, 0xFF, 0x01, 1, 0},              // 32767 strokes claimed, none there
      {1, 10, 10, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 1, 0},  // 2^32 - 1 strokes
      {1, 10, 10, 1, 0x80, 0x80, 0x02, 0, 0, 0},        // 32768 points in a stroke
      {1, 10, 10, 1, 1, 0, 0x80, 0x80, 0x80, 0x80, 0x10, 0},  // varint beyond 32 bits
      {1, 10, 10, 1, 1, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0},  // six-byte varint
      {1, 10, 10, 1, 1, 0, 0x80, 0x00, 0},              // non-minimal zero
      {1, 10, 10, 1, 1, 0, 0x82},                       // varint cut short
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    PenRecord out = MixedRecord();
    EXPECT_FALSE(DecodeRecord(cases[i].data(), cases[i].size(), &out)) << "case " << i;
    EXPECT_EQ(out.PointCount(), 0u) << "case " << i;
  }
  const std::vector<uint8_t> good = {1, 10, 10, 1, 1, 0, 20, 0};
  PenRecord out;
  ASSERT_TRUE(DecodeRecord(good.data(), good.size(), &out));
  EXPECT_EQ(out.strokes[0].points[0].x, 10);
}

} // namespace
} // namespace pendata
