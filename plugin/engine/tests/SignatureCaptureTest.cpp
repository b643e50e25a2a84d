// The capture flow against a recording capture control: what the control is
// told about the field, what the engine keeps, and what a signing request
// answers after an accepted, a cancelled or a starved capture.
#include <optional>

#include "FakeCaptureControl.h"
#include "PenvanePdfIds.h"
#include "SignatureCapture.h"
#include "SignatureValue.h"
#include "SignerCertificate.h"
#include "SigningTestSupport.h"

namespace {

class Capture : public SigningTest {
protected:
    void SetUp() override
    {
        SigningTest::SetUp();
        fake = std::make_unique<fake_capture::Registration>();
        ASSERT_TRUE(fake->Registered());
    }
    void TearDown() override
    {
        fake.reset();
        SigningTest::TearDown();
    }

    // The calls the control received, up to and with AcquireSig.
    static std::vector<std::string> CallsUntilAcquire()
    {
        std::vector<std::string> calls;
        for (const std::string& call : fake_capture::Get().calls) {
            calls.push_back(call);
            if (call == "AcquireSig()")
                break;
        }
        return calls;
    }

    std::unique_ptr<fake_capture::Registration> fake;
};

using Calls = std::vector<std::string>;
using Reasons = std::vector<std::string>;

// A signature field as the host stand-in makes it; absent parts left out.
standin::SignatureFieldDescription Field(std::optional<std::string> name, bool seedValue = false,
                                         std::optional<int32_t> flags = std::nullopt,
                                         std::optional<Reasons> reasons = std::nullopt)
{
    standin::SignatureFieldDescription field;
    field.name = std::move(name);
    field.hasSeedValue = seedValue;
    field.flags = flags;
    field.reasons = std::move(reasons);
    return field;
}

TEST_F(Capture, FieldNameAndSeedValueReasonsReachTheControl)
{
    const Calls clear = {"SetNumberOfReasons=0", "SetReasonRequired=0"};
    auto join = [](std::initializer_list<Calls> parts) {
        Calls all;
        for (const Calls& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        all.push_back("AcquireSig()");
        return all;
    };
    const struct {
        const char* what;
        std::optional<standin::SignatureFieldDescription> field;   // none: the null object
        Calls expected;
    } cases[] = {
        {"no field object", std::nullopt, join({{"SetSigFieldName=NoFieldName"}})},
        {"field without T", Field(std::nullopt), join({{"SetSigFieldName=NoFieldName"}, clear})},
        {"no SV", Field("Signature1"), join({{"SetSigFieldName=Signature1"}, clear})},
        {"SV without Ff", Field("S", true), join({{"SetSigFieldName=S"}, clear, {"SetReasonRequired=0"}})},
        {"Ff 8, no Reasons", Field("S", true, 8),
         join({{"SetSigFieldName=S"}, clear, {"SetReasonRequired=1"}})},
        {"Ff 9", Field("S", true, 9), join({{"SetSigFieldName=S"}, clear, {"SetReasonRequired=1"}})},
        {"Ff 7", Field("S", true, 7), join({{"SetSigFieldName=S"}, clear, {"SetReasonRequired=0"}})},
        {"three reasons", Field("S", true, 8, Reasons{"I approve", "I wrote it", "Seen"}),
         join({{"SetSigFieldName=S"}, clear,
               {"SetReasonRequired=1", "SetNumberOfReasons=3", "SetReasonString=0:I approve",
                "SetReasonString=1:I wrote it", "SetReasonString=2:Seen"}})},
        {"empty Reasons", Field("S", true, 0, Reasons{}),
         join({{"SetSigFieldName=S"}, clear, {"SetReasonRequired=0"}})},
    };
    for (const auto& c : cases) {
        fake_capture::Get() = fake_capture::State();
        fake_capture::Get().accept = false;
        auto request = NewSigning(c.field ? host.cos().SignatureField(*c.field) : standin::HostCos::Null());
        EXPECT_FALSE(CaptureSignature(*engine, DocumentParams(request->document.data()))) << c.what;
        EXPECT_EQ(fake_capture::Get().calls, c.expected) << c.what;
    }
    EXPECT_EQ(host.viewer().ModalBegins(), static_cast<int>(std::size(cases)));
    EXPECT_EQ(host.viewer().ModalEnds(), static_cast<int>(std::size(cases)));
}

TEST_F(Capture, ReasonsThatAreNotStringsAreSkipped)
{
    // "Reasons" as a single string, and an array mixing strings with others.
    CosObj single = host.cos().SignatureField(Field("S", true, 8));
    host.cos().DictPut(host.cos().DictValueForKey(single, "SV"), "Reasons", host.cos().NewString("Only"));
    CosObj mixed = host.cos().SignatureField(Field("S", true, 0));
    CosObj reasons = host.cos().NewArray();
    host.cos().ArrayAppend(reasons, host.cos().NewString("First"));
    host.cos().ArrayAppend(reasons, host.cos().NewInteger(5));
    host.cos().ArrayAppend(reasons, host.cos().NewName("Second"));
    host.cos().ArrayAppend(reasons, host.cos().NewString("Third"));
    host.cos().DictPut(host.cos().DictValueForKey(mixed, "SV"), "Reasons", reasons);
    // A "T" that is not a string names no field.
    CosObj oddName = host.cos().NewDict();
    host.cos().DictPut(oddName, "T", host.cos().NewInteger(3));

    const struct {
        CosObj field;
        Calls expected;
    } cases[] = {
        {single, {"SetSigFieldName=S", "SetNumberOfReasons=0", "SetReasonRequired=0", "SetReasonRequired=1", "AcquireSig()"}},
        {mixed,
         {"SetSigFieldName=S", "SetNumberOfReasons=0", "SetReasonRequired=0", "SetReasonRequired=0",
          "SetNumberOfReasons=2", "SetReasonString=0:First", "SetReasonString=1:Third", "AcquireSig()"}},
        {oddName, {"SetSigFieldName=NoFieldName", "SetNumberOfReasons=0", "SetReasonRequired=0", "AcquireSig()"}},
    };
    for (const auto& c : cases) {
        fake_capture::Get() = fake_capture::State();
        fake_capture::Get().accept = false;
        auto request = NewSigning(c.field);
        EXPECT_FALSE(CaptureSignature(*engine, DocumentParams(request->document.data())));
        EXPECT_EQ(fake_capture::Get().calls, c.expected);
    }
}

TEST_F(Capture, ReasonsBeyondWhatTheControlKeepsAreLeftOut)
{
    // One reason too long for the control, then more reasons than it keeps.
    CosObj field = host.cos().SignatureField(Field("S", true, 8));
    CosObj reasons = host.cos().NewArray();
    host.cos().ArrayAppend(reasons, host.cos().NewString(std::string(penvanepdf::kMaxReasonChars + 1, 'x')));
    Calls expected = {"SetSigFieldName=S", "SetNumberOfReasons=0", "SetReasonRequired=0", "SetReasonRequired=1",
                      "SetNumberOfReasons=" + std::to_string(penvanepdf::kMaxReasons)};
    for (int i = 0; i < penvanepdf::kMaxReasons + 5; ++i) {
        // The last one kept is as long as the control takes.
        const std::string text = i + 1 == penvanepdf::kMaxReasons
                                     ? std::string(penvanepdf::kMaxReasonChars, 'y')
                                     : "r" + std::to_string(i);
        host.cos().ArrayAppend(reasons, host.cos().NewString(text));
        if (i < penvanepdf::kMaxReasons)
            expected.push_back("SetReasonString=" + std::to_string(i) + ":" + text);
    }
    expected.push_back("AcquireSig()");
    host.cos().DictPut(host.cos().DictValueForKey(field, "SV"), "Reasons", reasons);
    fake_capture::Get().accept = false;
    auto request = NewSigning(field);
    EXPECT_FALSE(CaptureSignature(*engine, DocumentParams(request->document.data())));
    EXPECT_EQ(CallsUntilAcquire(), expected);
}

TEST_F(Capture, AcceptedSaveAsZeroThenCancelledKeepsTheLastEntries)
{
    const CosObj field = host.cos().SignatureField(Field("Signature1"));
    fake_capture::State& control = fake_capture::Get();
    control.signature = SampleSignatureString();
    ASSERT_FALSE(control.signature.empty());

    // Accepted, default settings: outcome 2, the signer's entries.
    auto first = NewSigning(field);
    FillSignatureProperties(*engine, SigningParams(first->signing.data()));
    EXPECT_EQ(first->Outcome(), 2);
    EXPECT_EQ(first->signing.Get<int32_t>(0x2C), 0);
    EXPECT_EQ(CallsUntilAcquire().back(), "AcquireSig()");
    EXPECT_EQ(Calls(control.calls.end() - 5, control.calls.end()),
              (Calls{"GetSigString()", "GetReason()", "GetLocation()", "GetName()", "GetContactInfo()"}));
    EXPECT_EQ(host.bags().StringOf(first->typeBag, "type"), "none");
    EXPECT_EQ(host.bags().BinaryOf(first->certificateBag, "0"),
              std::string(reinterpret_cast<const char*>(kSignerCertificate), kSignerCertificateLength));
    EXPECT_EQ(host.bags().TextOf(first->propertiesBag, "Reason"), "fake reason");
    EXPECT_EQ(host.bags().StringOf(first->propertiesBag, "Name"), "fake name");
    EXPECT_EQ(host.bags().StringOf(first->propertiesBag, "Location"), "fake location");
    EXPECT_EQ(host.bags().StringOf(first->propertiesBag, "ContactInfo"), "fake contact");
    const char* firstBuffer = engine->CapturedSignature();
    ASSERT_NE(firstBuffer, nullptr);
    EXPECT_EQ(engine->CapturedSignatureLength(), static_cast<int32_t>(std::strlen(firstBuffer)));
    EXPECT_GT(engine->AppearanceLength(), 0);

    // Accepted again with "SaveAs" 0: outcome 1; the first buffer is given back.
    WriteSettings("[PenvanePdf]\r\nSaveAs=0\r\n");
    control.reason = "second reason";
    control.name = "Second Signer";
    auto second = NewSigning(field);
    FillSignatureProperties(*engine, SigningParams(second->signing.data()));
    EXPECT_EQ(second->Outcome(), 1);
    EXPECT_FALSE(host.memory().Owns(firstBuffer));
    EXPECT_TRUE(host.memory().Owns(engine->CapturedSignature()));
    EXPECT_EQ(host.bags().StringOf(second->propertiesBag, "Name"), "Second Signer");

    // Cancelled: outcome 0, the entries of the last accepted capture, and the
    // kept signature and drawing untouched.
    control.accept = false;
    control.reason = "never seen";
    const char* kept = engine->CapturedSignature();
    const char* drawing = engine->AppearanceData();
    auto third = NewSigning(field);
    FillSignatureProperties(*engine, SigningParams(third->signing.data()));
    EXPECT_EQ(third->Outcome(), 0);
    EXPECT_EQ(host.bags().TextOf(third->propertiesBag, "Reason"), "second reason");
    EXPECT_EQ(host.bags().StringOf(third->propertiesBag, "Name"), "Second Signer");
    EXPECT_EQ(host.bags().StringOf(third->propertiesBag, "Location"), "fake location");
    EXPECT_EQ(engine->CapturedSignature(), kept);
    EXPECT_EQ(engine->AppearanceData(), drawing);
    EXPECT_EQ(host.viewer().ModalBegins(), 3);
    EXPECT_EQ(host.viewer().ModalEnds(), 3);
}

TEST_F(Capture, RefusedHostMemoryStoresNothingHalfway)
{
    fake_capture::Get().signature = SampleSignatureString();
    auto request = NewSigning(host.cos().SignatureField(Field("Signature1")));
    FillSignatureProperties(*engine, SigningParams(request->signing.data()));
    ASSERT_EQ(request->Outcome(), 2);
    const char* kept = engine->CapturedSignature();
    const int32_t keptLength = engine->CapturedSignatureLength();
    const char* drawing = engine->AppearanceData();

    // No memory for the re-encoded signature: false, the earlier one whole.
    host.memory().SetRefuseAllocations(true);
    EXPECT_FALSE(PrepareCapturedSignature(*engine, SampleSignatureString(), DocumentParams(request->document.data())));
    EXPECT_EQ(engine->CapturedSignature(), kept);
    EXPECT_EQ(engine->CapturedSignatureLength(), keptLength);
    EXPECT_EQ(engine->AppearanceData(), drawing);

    // No memory for the certificate: the request is left as it came.
    auto refused = NewSigning(host.cos().SignatureField(Field("Signature1")));
    fake_capture::Get().calls.clear();
    FillSignatureProperties(*engine, SigningParams(refused->signing.data()));
    host.memory().SetRefuseAllocations(false);
    EXPECT_EQ(refused->Outcome(), -7);
    EXPECT_EQ(refused->signing.Get<int32_t>(0x2C), -7);
    EXPECT_TRUE(host.bags().Keys(refused->typeBag).empty());
    EXPECT_TRUE(host.bags().Keys(refused->certificateBag).empty());
    EXPECT_TRUE(host.bags().Keys(refused->propertiesBag).empty());
    EXPECT_TRUE(fake_capture::Get().calls.empty());
}

TEST_F(Capture, SigningRequestWithoutDocumentRecordFailsWithoutCapture)
{
    auto request = NewSigning(standin::HostCos::Null());
    request->signing.Put<void*>(0x50, nullptr);
    FillSignatureProperties(*engine, SigningParams(request->signing.data()));
    EXPECT_EQ(request->Outcome(), 0);
    EXPECT_EQ(host.bags().Keys(request->certificateBag).size(), 1u);
    EXPECT_EQ(host.bags().Keys(request->propertiesBag).size(), 4u);
    EXPECT_TRUE(fake_capture::Get().calls.empty());
}

}  // namespace
