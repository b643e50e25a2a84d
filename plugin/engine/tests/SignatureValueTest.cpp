// The signature value (size, header, payload keyed with the digest) and its
// validation, against the registered pad stand-in.
#include "CQuillix.h"
#include "HexText.h"
#include "HostStrings.h"
#include "SignatureCapture.h"
#include "SignatureValidation.h"
#include "SignatureValue.h"
#include "SigningTestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;
const std::vector<int32_t> kValid = {7, 0xFFFF, 4};
const std::vector<int32_t> kUntouched = {-100, -100, -100};

class ValueAndValidation : public SigningTest {
protected:
    // The engine holds `text` as a captured signature.
    void HoldCaptured(const std::string& text)
    {
        engine->AdoptCapturedSignature(HostStringCopy(text), static_cast<int32_t>(text.size()));
    }
    // The sample, kept as a capture keeps it (initial key, mode 4).
    void HoldSample()
    {
        ASSERT_TRUE(PrepareCapturedSignature(*engine, SampleSignatureString(),
                                             DocumentParams(NewSigning(standin::HostCos::Null())->document.data())));
    }
    // Asks for the size only (request code 0); the value field keeps the
    // host's sentinel.
    uint32_t SizeOnly(bool* done)
    {
        HostRecord record(0x40);
        record.Put<uint16_t>(0x20, 0);
        record.Put<void*>(0x28, &record);
        *done = ProduceSignatureValue(*engine, SignatureValueRequest(record.data()));
        EXPECT_EQ(record.Get<void*>(0x28), &record) << "the value field was written";
        return record.Get<uint32_t>(0x30);
    }
};

TEST_F(ValueAndValidation, SizeAndHeaderFollowTheCapturedLength)
{
    const struct {
        size_t captured;
        bool done;
        uint32_t size;
        Bytes header;
    } cases[] = {
        {0, true, 4, {0x04, 0x82, 0x00, 0x00}},
        {7, true, 7, {0x04, 0x82, 0x00, 0x03}},
        {600, true, 304, {0x04, 0x82, 0x01, 0x2C}},
        {131071, true, 65539, {0x04, 0x82, 0xFF, 0xFF}},
        // 65536 payload bytes cannot be stated in two length bytes: refused.
        {131072, false, 0, {}},
    };
    for (const auto& c : cases) {
        HoldCaptured(std::string(c.captured, 'A'));
        bool done = false;
        EXPECT_EQ(SizeOnly(&done), c.size) << c.captured;
        EXPECT_EQ(done, c.done) << c.captured;
        ASSERT_NE(engine->CapturedSignature(), nullptr);

        // These captured strings hold no pen data: the value request answers
        // the header and zero bytes, and says it failed.
        const SigningTest::Value value = RequestValue(Digest(1));
        EXPECT_FALSE(value.done) << c.captured;
        EXPECT_EQ(value.size, c.size) << c.captured;
        ASSERT_EQ(value.bytes.size(), c.size) << c.captured;
        if (c.size == 0)
            continue;
        EXPECT_EQ(Bytes(value.bytes.begin(), value.bytes.begin() + 4), c.header) << c.captured;
        EXPECT_EQ(std::count(value.bytes.begin() + 4, value.bytes.end(), 0), static_cast<ptrdiff_t>(c.size - 4))
            << c.captured;
    }
}

TEST_F(ValueAndValidation, BoundToItsDigestAndUsedOnce)
{
    HoldSample();
    const int32_t captured = engine->CapturedSignatureLength();
    bool done = false;
    const uint32_t size = SizeOnly(&done);
    EXPECT_TRUE(done);
    EXPECT_EQ(size, static_cast<uint32_t>(captured / 2 + 4));

    const Bytes digest = Digest(1);
    const SigningTest::Value value = RequestValue(digest);
    ASSERT_TRUE(value.done);
    ASSERT_EQ(value.size, size);
    EXPECT_EQ(value.bytes[0], 0x04);
    EXPECT_EQ(value.bytes[1], 0x82);
    EXPECT_EQ((value.bytes[2] << 8) | value.bytes[3], static_cast<int>(size - 4));
    EXPECT_EQ(engine->CapturedSignature(), nullptr);
    EXPECT_EQ(engine->CapturedSignatureLength(), captured);

    EXPECT_EQ(Validate(value.bytes, digest), kValid);
    for (size_t bit = 0; bit < 160; bit += 37) {
        Bytes other = digest;
        other[bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
        EXPECT_EQ(Validate(value.bytes, other), kUntouched) << "bit " << bit;
    }
    // Zero bytes a host keeps after the payload are handed on and do no harm;
    // a changed payload byte, or another tag, is not this document's.
    Bytes padded = value.bytes;
    padded.resize(padded.size() + 64, 0);
    EXPECT_EQ(Validate(padded, digest), kValid);
    Bytes changed = value.bytes;
    changed[changed.size() / 2] ^= 0x01;
    EXPECT_EQ(Validate(changed, digest), kUntouched);
    Bytes otherTag = value.bytes;
    otherTag[0] = 0x30;
    EXPECT_EQ(Validate(otherTag, digest), kUntouched);

    // Same size again, but the captured signature is spent: the second value
    // is the header and zeros, and fails.
    EXPECT_EQ(SizeOnly(&done), size);
    const SigningTest::Value again = RequestValue(digest);
    EXPECT_FALSE(again.done);
    ASSERT_EQ(again.bytes.size(), size);
    EXPECT_EQ(Bytes(again.bytes.begin(), again.bytes.begin() + 4), Bytes(value.bytes.begin(), value.bytes.begin() + 4));
    EXPECT_EQ(std::count(again.bytes.begin() + 4, again.bytes.end(), 0), static_cast<ptrdiff_t>(size - 4));
    EXPECT_EQ(Validate(again.bytes, digest), kUntouched);
}

TEST_F(ValueAndValidation, RefusedValueMemoryLeavesTheCapturedSignature)
{
    HoldSample();
    const char* captured = engine->CapturedSignature();
    HostRecord record(0x40);
    const Bytes digest = Digest(1);
    record.Put(0x10, digest.data());
    record.Put<uint16_t>(0x20, 1);
    record.Put<void*>(0x28, &record);
    host.memory().SetRefuseAllocations(true);
    EXPECT_FALSE(ProduceSignatureValue(*engine, SignatureValueRequest(record.data())));
    host.memory().SetRefuseAllocations(false);
    EXPECT_EQ(record.Get<void*>(0x28), nullptr);
    EXPECT_EQ(record.Get<uint32_t>(0x30), static_cast<uint32_t>(engine->CapturedSignatureLength() / 2 + 4));
    EXPECT_EQ(engine->CapturedSignature(), captured);
}

TEST_F(ValueAndValidation, ShortAndEmptyValuesAreNotValid)
{
    const Bytes digest = Digest(1);
    for (const Bytes& value : {Bytes{}, Bytes{0x04}, Bytes{0x04, 0x82, 0x00}, Bytes{0x04, 0x82, 0x00, 0x00},
                               Bytes{0x04, 0x82, 0x00, 0x02, 0x00, 0x00}}) {
        EXPECT_EQ(Validate(value, digest), kUntouched) << value.size() << " bytes";
        HostRecord record(0x40);
        record.Put(0x10, digest.data());
        record.Put(0x18, value.data());
        record.Put<uint32_t>(0x20, static_cast<uint32_t>(value.size()));
        EXPECT_FALSE(CheckSignatureWithDigest(*engine, ValidationRequest(record.data()))) << value.size() << " bytes";
    }
}

TEST_F(ValueAndValidation, OlderKeyedFormValidates)
{
    // A payload in keyed form 1 under the digest key, as older values hold.
    const Bytes digest = Digest(2);
    std::string keyed;
    {
        CQuillix pad;
        ASSERT_TRUE(pad.Create(::GetDesktopWindow(), 2002));
        pad.SetEncryptionMode(0);
        pad.SetSignatureString(SampleSignatureString().c_str());
        pad.SetEncryptionMode(1);
        pad.SetCompressionMode(1);
        pad.SetKeyString(DigestToHex(digest.data()).c_str());
        keyed = pad.GetSignatureString();
    }
    const size_t n = keyed.size() / 2;
    ASSERT_LE(n, 0xFFFFu);
    Bytes value = {0x04, 0x82, static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
    value.resize(4 + n);
    ASSERT_EQ(HexDecode(keyed, value.data() + 4, n), static_cast<ptrdiff_t>(n));
    EXPECT_EQ(Validate(value, digest), kValid);
    EXPECT_EQ(Validate(value, Digest(3)), kUntouched);
}

}  // namespace
