// One whole signing in this process: the real capture control and its dialog,
// the bundled sample written on the pad, Accept; then the value for a
// document digest, its validation, and the appearance object.
#include <cstdio>

#include "SignatureAppearance.h"
#include "SignatureValidation.h"
#include "SignatureValue.h"
#include "SignerCertificate.h"
#include "SigningTestSupport.h"

namespace {

using SigningFlow = SigningTest;

TEST_F(SigningFlow, CaptureValueValidationAndAppearance)
{
    PDDoc document = host.viewer().OpenDocument({0});
    const CosObj field = host.cos().SignatureField({"Signature1", true, 8, std::vector<std::string>{"I approve this document"}});
    auto request = NewSigning(field, 200, 60);
    {
        DialogSigner signer("Berlin", "signer@example.org");
        FillSignatureProperties(*engine, SigningParams(request->signing.data()));
        ASSERT_TRUE(signer.DialogSeen());
        EXPECT_TRUE(signer.Replayed());
    }
    EXPECT_EQ(host.viewer().ModalBegins(), 1);
    EXPECT_EQ(host.viewer().ModalEnds(), 1);

    // The bags: type, certificate, outcome and the signer's entries.
    EXPECT_EQ(request->Outcome(), 2);
    EXPECT_EQ(request->signing.Get<int32_t>(0x2C), 0);
    EXPECT_EQ(host.bags().StringOf(request->typeBag, "type"), "none");
    EXPECT_EQ(host.bags().BinaryOf(request->certificateBag, "0"),
              std::string(reinterpret_cast<const char*>(kSignerCertificate), kSignerCertificateLength));
    const standin::BagEntry* reason = host.bags().Find(request->propertiesBag, "Reason");
    ASSERT_NE(reason, nullptr);
    EXPECT_EQ(reason->kind, standin::BagEntryKind::Text);
    EXPECT_EQ(host.bags().TextOf(request->propertiesBag, "Reason"), "I approve this document");
    EXPECT_EQ(host.bags().StringOf(request->propertiesBag, "Name"), "Unknown");   // the control's own name
    EXPECT_EQ(host.bags().StringOf(request->propertiesBag, "Location"), "Berlin");
    EXPECT_EQ(host.bags().StringOf(request->propertiesBag, "ContactInfo"), "signer@example.org");

    // The value: its size first, then the value for the document's digest.
    HostRecord sizeRecord(0x40);
    ASSERT_TRUE(ProduceSignatureValue(*engine, SignatureValueRequest(sizeRecord.data())));
    const uint32_t size = sizeRecord.Get<uint32_t>(0x30);
    EXPECT_EQ(size, static_cast<uint32_t>(engine->CapturedSignatureLength() / 2 + 4));
    const std::vector<unsigned char> digest = Digest(9);
    const SigningTest::Value value = RequestValue(digest);
    ASSERT_TRUE(value.done);
    EXPECT_EQ(value.size, size);

    EXPECT_EQ(Validate(value.bytes, digest), (std::vector<int32_t>{7, 0xFFFF, 4}));
    std::vector<unsigned char> changed = digest;
    changed[19] ^= 0x80;
    EXPECT_EQ(Validate(value.bytes, changed), (std::vector<int32_t>{-100, -100, -100}));

    // The appearance object: the pad's drawing in the field's box.
    HostRecord appearance(0x40);
    appearance.Put(0x10, document);
    const CosObj object = MakeAppearanceObject(*engine, AppearanceRequest(appearance.data()));
    const standin::FormObject* form = host.cos().FormObjectOf(object);
    ASSERT_NE(form, nullptr);
    EXPECT_GT(form->data.size(), 100u);
    EXPECT_EQ(form->data, std::string(engine->AppearanceData(), engine->AppearanceLength()));
    const ASFixed box[4] = {0, 0, 200 << 16, 60 << 16};
    EXPECT_EQ(std::memcmp(form->rect, box, sizeof box), 0);
    EXPECT_EQ(std::memcmp(form->bbox, box, sizeof box), 0);
    EXPECT_NE(form->data.find(" c"), std::string::npos) << "no curves in the drawing";
    // Kept for a look: wrapped in a page and rendered, it shows the signature.
    if (FILE* f = std::fopen(SIGNING_ARTIFACT_DIR "/appearance.content", "wb")) {
        std::fwrite(form->data.data(), 1, form->data.size(), f);
        std::fclose(f);
    }

    host.viewer().CloseDocument(document);
}

}  // namespace
