// The hexadecimal text of values and digests, and the validity texts.
#include <cstring>
#include <string>

#include "BoundHost.h"
#include "HexText.h"
#include "SignatureValidation.h"

namespace {

TEST(HexText, EncodesTwoUpperCaseDigitsPerByteHighDigitFirst)
{
    const unsigned char bytes[] = {0x00, 0x0F, 0x10, 0x9A, 0xAB, 0xFF};
    EXPECT_EQ(HexEncode(bytes, sizeof bytes), "000F109AABFF");
    EXPECT_EQ(HexEncode(bytes, 0), "");
}

TEST(HexText, DigestKeyHasFortyCharactersWithLeadingZeros)
{
    unsigned char digest[20];
    for (int i = 0; i < 20; ++i)
        digest[i] = static_cast<unsigned char>(i * 13);   // 0x00, 0x0D, ... below and above 0x10
    const std::string key = DigestToHex(digest);
    ASSERT_EQ(key.size(), 40u);
    EXPECT_EQ(key.substr(0, 8), "000D1A27");
    EXPECT_EQ(key.substr(38), "F7");
}

TEST(HexText, DecodesEitherCaseAndNeverWritesPastTheCapacity)
{
    const struct {
        const char* text;
        ptrdiff_t answer;
        const char* bytes;   // what lands in a 4-byte destination (rest untouched, 0xEE)
        size_t written;
    } cases[] = {
        {"", 0, "", 0},
        {"00ff7Fa0", 4, "\x00\xFF\x7F\xA0", 4},
        {"0102030405", 5, "\x01\x02\x03\x04", 4},    // longer than the destination: its length is still told
        {"ABC", kNotHexText, "", 0},                 // odd length: no half byte read from beyond
        {"0G", kNotHexText, "", 0},
        {"12 4", kNotHexText, "", 0},
    };
    for (const auto& c : cases) {
        unsigned char out[6];
        std::memset(out, 0xEE, sizeof out);
        const ptrdiff_t answer = HexDecode(c.text, out, 4);
        EXPECT_EQ(answer, c.answer) << c.text;
        if (answer != kNotHexText) {
            EXPECT_EQ(std::memcmp(out, c.bytes, c.written), 0) << c.text;
            for (size_t i = c.written; i < sizeof out; ++i)
                EXPECT_EQ(out[i], 0xEE) << c.text << " byte " << i;
        }
        EXPECT_EQ(out[4], 0xEE) << c.text;
        EXPECT_EQ(out[5], 0xEE) << c.text;
    }
}

TEST(HexText, RoundTripsEveryByte)
{
    unsigned char bytes[256], back[256];
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(HexDecode(HexEncode(bytes, 256), back, sizeof back), 256);
    EXPECT_EQ(std::memcmp(bytes, back, 256), 0);
}

using ValidityTexts = BoundHost;

TEST_F(ValidityTexts, AnsweredByIdentifierAsNewTexts)
{
    EXPECT_EQ(TakeText(ValidityText(8)), "The PenvanePlus Signature is Valid.");
    EXPECT_EQ(TakeText(ValidityText(9)), "PenvanePlus Signature");
    EXPECT_EQ(TakeText(ValidityText(10)), "PenvanePlus Signature");
    for (int32_t id : {0, 7, 11, -1})
        EXPECT_EQ(ValidityText(id), nullptr) << id;
    EXPECT_EQ(host.texts().LiveTexts(), 0u);
}

}  // namespace
