#include "compression.h"
#include "hex.h"
#include "signature_string.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace pendata {
namespace {

using testing::MixedRecord;
using testing::SameRecord;
using testing::SampleSignature;

const char kDigestKey[] = "3A7BD3E2360A3D29EEA436FCFB7E44C735D117C4";

CodecSettings Settings(int mode, int compression = 1, std::string key = kDigestKey) {
  return {mode, compression, std::move(key)};
}

std::string ToLower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

TEST(SignatureString, RoundTripsEveryModeAndCompression) {
  const PenRecord sample = SampleSignature();
  for (int mode : {0, 1, 4})
    for (int compression : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << "mode " << mode << " compression " << compression);
      std::string text = EncodeSignatureString(sample, Settings(mode, compression));
      ASSERT_FALSE(text.empty());
      EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos);
      PenRecord back;
      ASSERT_TRUE(DecodeSignatureString(text, Settings(mode, compression), &back));
      EXPECT_TRUE(SameRecord(sample, back));
      // The text says how it is compressed; lower case loads too.
      ASSERT_TRUE(DecodeSignatureString(ToLower(text), Settings(mode, 1 - compression), &back));
      EXPECT_TRUE(SameRecord(sample, back));
    }
}

TEST(SignatureString, KeyedTextOpensOnlyWithItsKeyModeAndEveryCharacter) {
  const PenRecord r = MixedRecord();
  for (int mode : {1, 4}) {
    SCOPED_TRACE(::testing::Message() << "mode " << mode);
    const std::string text = EncodeSignatureString(r, Settings(mode));
    PenRecord out;
    ASSERT_TRUE(DecodeSignatureString(text, Settings(mode), &out));
    EXPECT_FALSE(DecodeSignatureString(text, Settings(mode, 1, "3A7BD3E2360A3D29EEA436FCFB7E44C735D117C5"), &out));
    EXPECT_FALSE(DecodeSignatureString(text, Settings(mode, 1, ""), &out));
    EXPECT_FALSE(DecodeSignatureString(text, Settings(5 - mode), &out));
    EXPECT_FALSE(DecodeSignatureString(text, Settings(0), &out));
    EXPECT_EQ(out.PointCount(), 0u);
    for (size_t i = 0; i < text.size(); ++i) {
      std::string changed = text;
      changed[i] = changed[i] == '0' ? '1' : '0';
      EXPECT_FALSE(DecodeSignatureString(changed, Settings(mode), &out)) << "character " << i;
    }
  }
}

TEST(SignatureString, SameRecordGivesSameLengthUnderAnyKeyAndPositiveCompression) {
  // The stored value is sized from the text under the initial key and then
  // filled with the text under the document key.
  const PenRecord sample = SampleSignature();
  for (int mode : {1, 4}) {
    size_t len = EncodeSignatureString(sample, Settings(mode, 7, "initial")).size();
    EXPECT_EQ(EncodeSignatureString(sample, Settings(mode, 1)).size(), len);
    EXPECT_EQ(EncodeSignatureString(sample, Settings(mode, 1, "x")).size(), len);
  }
}

TEST(SignatureString, ZeroPaddingAfterTheTextIsIgnoredAnythingElseIsNot) {
  const PenRecord r = MixedRecord();
  for (int mode : {0, 1, 4}) {
    const std::string text = EncodeSignatureString(r, Settings(mode));
    PenRecord out;
    EXPECT_TRUE(DecodeSignatureString(text + std::string(200, '0'), Settings(mode), &out));
    EXPECT_TRUE(SameRecord(r, out));
    EXPECT_FALSE(DecodeSignatureString(text + "0001", Settings(mode), &out));
    EXPECT_FALSE(DecodeSignatureString(text + "0", Settings(mode), &out));
  }
}

TEST(SignatureString, MalformedTextLoadsAsNothing) {
  const std::string good = EncodeSignatureString(MixedRecord(), Settings(0));
  const std::vector<std::string> cases = {
      "",
      "0",
      "GG",
      good.substr(1),
      good.substr(0, good.size() - 2),
      good.substr(0, 8),
      std::string(good).replace(4, 1, "Z"),
      "00FFFFFF00",                                       // body longer than the text
      "04000000",                                         // empty keyed body
      std::string(kMaxSignatureTextSize + 2, '0'),        // beyond the length cap
  };
  for (int mode : {0, 1, 4})
    for (size_t i = 0; i < cases.size(); ++i) {
      PenRecord out = MixedRecord();
      EXPECT_FALSE(DecodeSignatureString(cases[i], Settings(mode), &out)) << mode << "/" << i;
      EXPECT_EQ(out.PointCount(), 0u);
    }
}

TEST(SignatureString, AuthenticatedGarbageLoadsAsNothing) {
  // The validation key is public: anyone can make authenticated text, so the
  // content behind a valid tag is as hostile as any other input.
  std::vector<uint8_t> bomb = {1};
  {
    std::vector<uint8_t> zeros(4u << 20, 0);
    std::vector<uint8_t> packed = Pack(zeros, 1);
    bomb = packed; // a stored-size-looking deflate of 4 MiB
  }
  const std::vector<std::vector<uint8_t>> payloads = {
      {0},                                      // stored, empty record
      {1},                                      // deflate, no stream
      {9, 1, 2, 3},                             // unknown method
      {0, 1, 10, 10, 0xFF, 0xFF, 0x01},         // absurd stroke count
      bomb,
  };
  for (int mode : {0, 1, 4})
    for (size_t i = 0; i < payloads.size(); ++i) {
      std::vector<uint8_t> env = SealEnvelope(mode, kDigestKey, payloads[i], nullptr);
      ASSERT_FALSE(env.empty());
      PenRecord out;
      EXPECT_FALSE(DecodeSignatureString(HexEncode(env.data(), env.size()), Settings(mode), &out))
          << mode << "/" << i;
    }
}

// Made once with the OpenSSL backend; the CNG backend must produce and open the
// very same text (and the OpenSSL one must keep doing so).
const uint8_t kFixedNonce[16] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                                 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
const char kGcmVector[] =
    "040000601032547698BADCFE01234567E26C05437254FB7EC4AE9C4A2717C7B529429F5287F0965B94471F52A643"
    "DEBC1FD42368E038188018FCBA581D3F42F37EDD5A3E7C136D130391AA81AED68E16EC6E3ACC7AC28C69921F3601"
    "A74D201A7BDCB717";
const char kCbcHmacVector[] =
    "010000801032547698BADCFE0123456789ABCDEF7C50D55C0AC5E1BFF1362CC180728AC292D9246BF5E5AEC4C940"
    "EE17F341FA1382940A1EF1CEC6E1CD0649A75F7C5A0E17A927622D3148E91E61F41FA98583772AB11AF34277A8F5"
    "E00CD7829316602B05E028B9118CCD7458D65623777F136B51CCCB0330786A1BB95D4B014BA06730";

TEST(SignatureString, CrossBackendVectors) {
  const PenRecord r = MixedRecord();
  const std::vector<uint8_t> packed = Pack(EncodeRecord(r), 0);
  const struct {
    int mode;
    const char* expected;
  } vectors[] = {{4, kGcmVector}, {1, kCbcHmacVector}};
  for (const auto& v : vectors) {
    std::vector<uint8_t> env = SealEnvelope(v.mode, kDigestKey, packed, kFixedNonce);
    EXPECT_EQ(HexEncode(env.data(), env.size()), v.expected) << "mode " << v.mode;
    PenRecord out;
    ASSERT_TRUE(DecodeSignatureString(v.expected, Settings(v.mode), &out)) << "mode " << v.mode;
    EXPECT_TRUE(SameRecord(r, out));
  }
}

// Sealed under an empty key (by a build that still allowed it; fixed nonce)
// from a two-point record: text tied to no document.
const char kGcmNoKey[] =
    "0400002B1032547698BADCFE01234567BC41497BD9602A7688CF52DCBDB199E072AA2D8C2AA91064969C1CADAE0DAD";
const char kCbcHmacNoKey[] =
    "010000401032547698BADCFE0123456789ABCDEF4B79793BD83747E176907AFDBF7325690823B30C2231C38237C0"
    "99943F2489211D87FB02C6EB3F5B1369F16C5DF5A0E3";

// A keyed mode without a key (never set, or a key call that failed) neither
// seals nor opens: the text would belong to no document.
TEST(SignatureString, KeyedModesRefuseAnEmptyKey) {
  const PenRecord r = MixedRecord();
  const std::vector<uint8_t> packed = Pack(EncodeRecord(r), 0);
  const struct {
    int mode;
    const char* noKeyText;
  } cases[] = {{4, kGcmNoKey}, {1, kCbcHmacNoKey}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode);
    EXPECT_EQ(EncodeSignatureString(r, Settings(c.mode, 1, "")), "");
    EXPECT_TRUE(SealEnvelope(c.mode, "", packed, kFixedNonce).empty());
    PenRecord out = MixedRecord();
    EXPECT_FALSE(DecodeSignatureString(c.noKeyText, Settings(c.mode, 1, ""), &out));
    EXPECT_EQ(out.PointCount(), 0u);
    std::vector<uint8_t> env, opened = {1};
    ASSERT_TRUE(HexDecode(c.noKeyText, &env));
    EXPECT_FALSE(OpenEnvelope(env.data(), env.size(), c.mode, "", &opened));
    EXPECT_TRUE(opened.empty());
  }
}

} // namespace
} // namespace pendata
