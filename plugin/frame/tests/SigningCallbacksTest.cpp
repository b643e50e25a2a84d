// The signing and validation callbacks as the host reaches them, for the
// answers that need no capture: texts, layers, and requests that cannot be met.
#include <cstring>

#include "HostRecord.h"
#include "LoadedPlugin.h"

namespace {

using standin::HostRecord;

TEST_F(LoadedPlugin, ValidityTextsAreMadeInsideTheHostsScope)
{
    standin::RegisteredHandler& handler = Started();
    int hostObject = 0;
    const struct {
        int32_t id;
        const char* text;
    } cases[] = {{8, "The PenvanePlus Signature is Valid."}, {9, "PenvanePlus Signature"},
                 {10, "PenvanePlus Signature"}, {7, nullptr}, {11, nullptr}};
    for (const auto& c : cases) {
        standin::ASText text = handler.ValidityText(&hostObject, c.id);
        if (c.text)
            EXPECT_EQ(TakeText(text), c.text) << c.id;
        else
            EXPECT_EQ(text, nullptr) << c.id;
        EXPECT_EQ(host.LiveScopes(), 0u) << c.id;
    }
}

TEST_F(LoadedPlugin, ValidityLayersFollowTheDigestCodeAndHaveDrawings)
{
    standin::RegisteredHandler& handler = Started();
    const struct {
        int32_t digest, kind;
        const char* layer;   // null: no layer
    } cases[] = {
        {7, 1, "RirAvar Signature Valid"}, {0, 1, "RirAvar Signature Unknown"}, {3, 3, "RirAvar Signature Invalid"},
        {7, 3, nullptr}, {7, 2, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.digest) + "/" + std::to_string(c.kind));
        standin::ASCab results = host.bags().Create();
        host.bags().SetInt(results, "digest", c.digest);
        standin::ASAtom layer = handler.ValidityLayer(results, c.kind);
        host.bags().Destroy(results);

        const char* stream = "sentinel";
        const standin::ASFixed sentinelBox[4] = {};
        const standin::ASFixed* box = sentinelBox;
        handler.LayerStream(layer, &stream, &box);
        if (c.layer == nullptr) {
            EXPECT_EQ(layer, standin::kNullAtom);
            EXPECT_EQ(stream, nullptr);
            EXPECT_EQ(box, nullptr);
            continue;
        }
        EXPECT_EQ(host.atoms().NameOf(layer), c.layer);
        ASSERT_NE(stream, nullptr);
        EXPECT_GT(std::strlen(stream), 0u);
        ASSERT_NE(box, nullptr);
        EXPECT_GT(box[2], 0);
        EXPECT_GT(box[3], 0);
        handler.LayerStream(layer, nullptr, nullptr);   // either out may be missing
    }
}

TEST_F(LoadedPlugin, AValueThatIsNotOursLeavesTheResultsAlone)
{
    standin::RegisteredHandler& handler = Started();
    const unsigned char digest[20] = {1, 2, 3};
    const unsigned char notOurs[] = {0x30, 0x82, 0x00, 0x02, 0xAB, 0xCD};
    standin::ASCab results = host.bags().Create();
    HostRecord request(0x40);
    request.Put<const void*>(0x10, digest);
    request.Put<const void*>(0x18, notOurs);
    request.Put<uint32_t>(0x20, sizeof notOurs);
    request.Put(0x38, results);
    EXPECT_EQ(handler.Validate(nullptr, request.data()), 1);
    EXPECT_TRUE(host.bags().Keys(results).empty());
    host.bags().Destroy(results);
}

TEST_F(LoadedPlugin, ValueSizeWithoutACaptureIsTheHeaderAlone)
{
    standin::RegisteredHandler& handler = Started();
    HostRecord request(0x40);
    request.Put<uint16_t>(0x20, 0);        // size only
    request.Put<uint64_t>(0x28, 0x5A5A);   // left as the host set it
    EXPECT_EQ(handler.SignatureValue(nullptr, request.data()), 1);
    EXPECT_EQ(request.Get<uint32_t>(0x30), 4u);
    EXPECT_EQ(request.Get<uint64_t>(0x28), 0x5A5Au);
}

TEST_F(LoadedPlugin, AppearanceObjectForADocumentTheHostDoesNotKnowIsTheNullObject)
{
    standin::RegisteredHandler& handler = Started();
    HostRecord request(0x40);
    int unknownDocument = 0;
    request.Put<void*>(0x10, &unknownDocument);
    standin::CosObj object = {0x5A5A, 0x5A5A};
    EXPECT_EQ(handler.AppearanceObject(nullptr, &object, request.data(), 0), 1);
    EXPECT_EQ(host.cos().TypeOf(object), standin::kCosNull);
}

}  // namespace
