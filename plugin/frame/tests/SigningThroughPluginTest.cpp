// One signing and its validation as the host drives them: the plug-in file
// loaded by the host program's loader, every step through the handler's
// callbacks, the real capture control and its dialog with the sample written
// on the pad stand-in.
#include "PluginHost.h"
#include "SigningTestSupport.h"

namespace {

class SigningThroughPlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettings();
        m_windowsBefore = ProcessWindows();
    }

    void TearDown() override
    {
        for (standin::ASCab bag : m_bags)
            host.bags().Destroy(bag);
        plugin.Free();
        PumpMessages(0);
        EXPECT_EQ(host.callbacks().Live(), 0u);
        EXPECT_EQ(host.callbacks().StrayDestroys(), 0u);
        EXPECT_EQ(host.memory().LiveBlocks(), 0u);
        EXPECT_EQ(host.texts().LiveTexts(), 0u);
        EXPECT_EQ(host.bags().Misuses(), 0u);
        EXPECT_EQ(host.viewer().ModalDepth(), 0);
        EXPECT_EQ(host.LiveScopes(), 0u);
        const std::set<HWND> added = WindowsNotIn(ProcessWindows(), m_windowsBefore);
        EXPECT_EQ(added.size(), 0u) << "windows left behind:" << DescribeWindows(added);
    }

    standin::ASCab NewBag()
    {
        m_bags.push_back(host.bags().Create());
        return m_bags.back();
    }

    standin::HostStandin host;
    standin::PluginHost plugin{host};

private:
    std::vector<standin::ASCab> m_bags;
    std::set<HWND> m_windowsBefore;
};

TEST_F(SigningThroughPlugin, SignedValueValidatesForItsDigestOnly)
{
    ASSERT_TRUE(plugin.Start(WinePath(PENVANE_PLUGIN_PATH))) << plugin.Failure();
    standin::RegisteredHandler& handler = *plugin.Handler();
    standin::PDDoc document = host.viewer().OpenDocument({0});
    const standin::CosObj field =
        host.cos().SignatureField({"Signature1", true, 8, std::vector<std::string>{"I approve this document"}});

    // The signing request: SigningParams and its DocumentParams, with their bags.
    HostRecord documentParams(0x40), signingParams(0x58);
    const standin::ASCab typeBag = NewBag(), certificateBag = NewBag(), propertiesBag = NewBag();
    documentParams.Put(0x18, field);
    documentParams.Put<int32_t>(0x28, 200 << 16);
    documentParams.Put<int32_t>(0x2C, 60 << 16);
    documentParams.Put(0x30, typeBag);
    signingParams.Put(0x30, certificateBag);
    signingParams.Put(0x38, propertiesBag);
    signingParams.Put(0x50, documentParams.data());

    void* engine = handler.CreateEngine();
    ASSERT_NE(engine, nullptr);
    {
        DialogSigner signer("Berlin", "signer@example.org");
        EXPECT_EQ(handler.SignatureProperties(engine, signingParams.data()), 1);
        ASSERT_TRUE(signer.DialogSeen());
    }
    EXPECT_EQ(signingParams.Get<int32_t>(0x28), 2);
    EXPECT_EQ(host.bags().TextOf(propertiesBag, "Reason"), "I approve this document");
    EXPECT_EQ(host.bags().StringOf(propertiesBag, "Location"), "Berlin");
    EXPECT_FALSE(host.bags().BinaryOf(certificateBag, "0").empty());

    // The value for the document's digest, its size asked first.
    HostRecord sizeRequest(0x40);
    EXPECT_EQ(handler.SignatureValue(engine, sizeRequest.data()), 1);
    const std::vector<unsigned char> digest = Digest(9);
    HostRecord valueRequest(0x40);
    valueRequest.Put(0x10, digest.data());
    valueRequest.Put<uint16_t>(0x20, 1);
    EXPECT_EQ(handler.SignatureValue(engine, valueRequest.data()), 1);
    const uint32_t size = valueRequest.Get<uint32_t>(0x30);
    EXPECT_EQ(size, sizeRequest.Get<uint32_t>(0x30));
    auto* block = valueRequest.Get<unsigned char*>(0x28);
    ASSERT_NE(block, nullptr);
    const std::vector<unsigned char> value(block, block + size);
    host.memory().Free(block);   // the host's now

    // The appearance from the pad's drawing.
    HostRecord appearanceRequest(0x40);
    appearanceRequest.Put(0x10, document);
    standin::CosObj object = {};
    EXPECT_EQ(handler.AppearanceObject(engine, &object, appearanceRequest.data(), 0), 1);
    const standin::FormObject* form = host.cos().FormObjectOf(object);
    ASSERT_NE(form, nullptr);
    EXPECT_GT(form->data.size(), 100u);
    handler.DestroyEngine(engine);

    // Validation by the handler's own engine, for the digest and for another.
    for (bool sameDigest : {true, false}) {
        SCOPED_TRACE(sameDigest);
        std::vector<unsigned char> now = digest;
        if (!sameDigest)
            now[19] ^= 0x80;
        const standin::ASCab results = NewBag();
        HostRecord validation(0x40);
        validation.Put(0x10, now.data());
        validation.Put(0x18, value.data());
        validation.Put<uint32_t>(0x20, static_cast<uint32_t>(value.size()));
        validation.Put(0x38, results);
        EXPECT_EQ(handler.Validate(nullptr, validation.data()), 1);
        EXPECT_EQ(host.bags().IntOf(results, "digest", -100), sameDigest ? 7 : -100);
        EXPECT_EQ(host.atoms().NameOf(handler.ValidityLayer(results, 1)),
                  sameDigest ? "RirAvar Signature Valid" : "RirAvar Signature Unknown");
    }
    host.viewer().CloseDocument(document);
}

}  // namespace
