#include "pen_pad.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>

namespace pendata {
namespace {

PenSample At(int x, int y, bool time = true, bool pressure = false) {
  PenSample s;
  s.x = x;
  s.y = y;
  s.hasTime = time;
  s.timeMs = 1000 + x;
  s.hasPressure = pressure;
  s.pressure = 300;
  return s;
}

TEST(PenPad, TakesInputOnlyWhileCapturingAndKeepsItOnThePad) {
  PenPad pad;
  EXPECT_EQ(pad.PadExtentX(), kDefaultPadExtentX);
  EXPECT_EQ(pad.PadExtentY(), kDefaultPadExtentY);
  EXPECT_FALSE(pad.PenDown(At(1, 1)));
  pad.SetCaptureState(1);
  EXPECT_TRUE(pad.PenDown(At(10, 10)));
  EXPECT_TRUE(pad.PenMove(At(-50, 99999)));              // clamped to the pad
  EXPECT_TRUE(pad.PenMove(At(30, 30, true, true)));      // another channel set: new stroke
  pad.PenUp();
  EXPECT_TRUE(pad.PenMove(At(40, 40)));                  // pen was up: new stroke
  EXPECT_EQ(pad.PointCount(), 4);
  const PenRecord& r = pad.Record();
  ASSERT_EQ(r.strokes.size(), 3u);
  EXPECT_EQ(r.strokes[0].points[1].x, 0);
  EXPECT_EQ(r.strokes[0].points[1].y, kDefaultPadExtentY);
  EXPECT_TRUE(r.strokes[1].hasPressure);
  pad.SetCaptureState(0);
  EXPECT_FALSE(pad.PenMove(At(50, 50)));
  pad.ClearPad();
  EXPECT_EQ(pad.PointCount(), 0);
  std::string data = "sentinel";
  pad.SetPdfWidth(100);
  pad.SetPdfHeight(50);
  EXPECT_FALSE(pad.GetPdfData(&data));
  EXPECT_TRUE(data.empty());
}

TEST(PenPad, PointCountStopsAtTheSigned16BitLimit) {
  PenPad pad;
  pad.SetCaptureState(1);
  for (size_t i = 0; i < kMaxPoints; ++i) ASSERT_TRUE(pad.PenMove(At(i % 100, 5)));
  EXPECT_FALSE(pad.PenMove(At(1, 1)));
  EXPECT_EQ(pad.PointCount(), 32767);
  PenPad copy;
  copy.SetSignatureString(pad.GetSignatureString());
  EXPECT_EQ(copy.PointCount(), 32767);
}

// The life of one signature: captured, handed over as plain text, keyed under
// the initial key, re-keyed to the document digest into a buffer sized from
// the first keyed text, then checked with that digest.
TEST(PenPad, SigningAndValidationFlow) {
  const std::string initialKey = "initial key";
  const std::string digest = "3A7BD3E2360A3D29EEA436FCFB7E44C735D117C4";
  PenPad capture;
  capture.SetCaptureState(1);
  for (const Stroke& s : testing::SampleSignature().strokes) {
    bool down = true;
    for (const PenPoint& p : s.points) {
      PenSample in{p.x, p.y, true, p.timeMs, true, p.pressure};
      ASSERT_TRUE(down ? capture.PenDown(in) : capture.PenMove(in));
      down = false;
    }
    capture.PenUp();
  }
  const int points = capture.PointCount();
  const std::string captured = capture.GetSignatureString(); // fresh pad: plain

  PenPad prepare;
  prepare.SetEncryptionMode(0);
  ASSERT_TRUE(prepare.SetSignatureString(captured));
  prepare.SetEncryptionMode(4);
  prepare.SetKeyString(initialKey);
  prepare.SetCompressionMode(9);
  const std::string stored = prepare.GetSignatureString();

  PenPad bind;
  bind.SetKeyString(initialKey);
  bind.SetEncryptionMode(4);
  bind.SetCompressionMode(1);
  ASSERT_TRUE(bind.SetSignatureString(stored));
  bind.SetKeyString(digest);
  const std::string bound = bind.GetSignatureString();
  EXPECT_EQ(bound.size(), stored.size());

  PenPad check;
  check.SetKeyString(digest);
  check.SetEncryptionMode(4);
  check.SetCompressionMode(1);
  EXPECT_TRUE(check.SetSignatureString(bound));
  EXPECT_EQ(check.PointCount(), points);
  EXPECT_EQ(check.PadExtentX(), capture.PadExtentX());
  // The older keyed form, another digest, or the initial key: no pen data.
  check.SetEncryptionMode(1);
  EXPECT_FALSE(check.SetSignatureString(bound));
  EXPECT_EQ(check.PointCount(), 0);
  check.SetEncryptionMode(4);
  check.SetKeyString("3A7BD3E2360A3D29EEA436FCFB7E44C735D117C5");
  EXPECT_FALSE(check.SetSignatureString(bound));
  check.SetKeyString(initialKey);
  EXPECT_FALSE(check.SetSignatureString(bound));
  EXPECT_EQ(check.PointCount(), 0);
  EXPECT_EQ(check.PadExtentX(), capture.PadExtentX());

  // A signature keyed in the older form still opens in that mode.
  PenPad olderMaker;
  ASSERT_TRUE(olderMaker.SetSignatureString(captured));
  olderMaker.SetKeyString(digest);
  olderMaker.SetEncryptionMode(1);
  PenPad older;
  older.SetKeyString(digest);
  older.SetEncryptionMode(1);
  ASSERT_TRUE(older.SetSignatureString(olderMaker.GetSignatureString()));
  EXPECT_EQ(older.PointCount(), points);
}

// An unknown mode, or a keyed mode on a pad that was never given a key.
TEST(PenPad, ModesThatCannotSealMakeNoTextAndLoadNothing) {
  const struct {
    int mode;
    const char* key; // null: never set
  } cases[] = {{2, "key"}, {4, nullptr}, {1, nullptr}, {4, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " key " << (c.key ? c.key : "unset"));
    PenPad pad;
    pad.SetCaptureState(1);
    pad.PenDown(At(5, 5));
    const std::string plain = pad.GetSignatureString();
    if (c.key) pad.SetKeyString(c.key);
    pad.SetEncryptionMode(c.mode);
    EXPECT_EQ(pad.GetSignatureString(), "");
    EXPECT_FALSE(pad.SetSignatureString(plain));
    EXPECT_EQ(pad.PointCount(), 0);
  }
}

} // namespace
} // namespace pendata
