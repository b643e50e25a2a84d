// Which validity layer shows which mark, and the drawing handed out per layer.
#include <cstring>

#include "BoundHost.h"
#include "ValidityLayers.h"
#include "ValidityMarks.h"

namespace {

using Layers = BoundHost;

constexpr const char* kNone = nullptr;

TEST_F(Layers, LayerNamePerValidityCodeAndKind)
{
    const struct Case {
        bool hasDigest;
        int32_t digest;
        const char* kind1;
        const char* kind3;
    } cases[] = {
        {false, 0, kUnknownLayerName, kNone},
        {true, 0, kUnknownLayerName, kNone},
        {true, 1, kUnknownLayerName, kNone},
        {true, 2, kUnknownLayerName, kNone},
        {true, 3, kNone, kInvalidLayerName},
        {true, 4, kValidLayerName, kNone},
        {true, 5, kValidLayerName, kNone},
        {true, 6, kNone, kInvalidLayerName},
        {true, 7, kValidLayerName, kNone},
        {true, 8, kNone, kNone},
        {true, -1, kNone, kNone},
        {true, INT32_MIN, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "digest " << (c.hasDigest ? std::to_string(c.digest) : "absent"));
        ASCab bag = host.bags().Create();
        if (c.hasDigest)
            host.bags().SetInt(bag, "digest", c.digest);
        const struct {
            int32_t kind;
            const char* name;
        } kinds[] = {{1, c.kind1}, {3, c.kind3}, {2, kNone}, {0, kNone}, {4, kNone}, {-1, kNone}};
        for (const auto& k : kinds) {
            ASAtom atom = ValidityLayerName(bag, k.kind);
            if (k.name)
                EXPECT_EQ(host.atoms().NameOf(atom), k.name) << "kind " << k.kind;
            else
                EXPECT_EQ(atom, kNullAtom) << "kind " << k.kind;
        }
        host.bags().Destroy(bag);
    }
}

TEST_F(Layers, StreamAndBoxPerLayerName)
{
    const struct Case {
        const char* name;
        const char* stream;
        const ASFixed* box;
    } cases[] = {
        {kValidLayerName, kValidMark, kValidMarkBox},
        {kUnknownLayerName, kUnknownMark, kUnknownMarkBox},
        {kInvalidLayerName, kInvalidMark, kInvalidMarkBox},
        {"RirAvar Signature valid", kNone, nullptr},
        {"Some Other Layer", kNone, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASAtom atom = ASAtomFromString(c.name);
        const char* stream = "sentinel";
        const ASFixed sentinelBox[4] = {1, 2, 3, 4};
        const ASFixed* box = sentinelBox;
        LayerStream(atom, &stream, &box);
        EXPECT_EQ(stream, c.stream);
        EXPECT_EQ(box, c.box);

        // Either out may be left out.
        stream = "sentinel";
        LayerStream(atom, &stream, nullptr);
        EXPECT_EQ(stream, c.stream);
        box = sentinelBox;
        LayerStream(atom, nullptr, &box);
        EXPECT_EQ(box, c.box);
        LayerStream(atom, nullptr, nullptr);
    }

    // The null atom names no layer.
    const char* stream = "sentinel";
    LayerStream(kNullAtom, &stream, nullptr);
    EXPECT_EQ(stream, nullptr);
}

TEST(ValidityMarkData, BoxesAndFirstLines)
{
    EXPECT_EQ(std::vector<ASFixed>(kValidMarkBox, kValidMarkBox + 4),
              (std::vector<ASFixed>{0, 0, 0x03C39459, 0x03E80000}));
    EXPECT_NEAR(kValidMarkBox[2] / 65536.0, 963.5794830322266, 1e-9);
    EXPECT_EQ(std::vector<ASFixed>(kUnknownMarkBox, kUnknownMarkBox + 4), (std::vector<ASFixed>{0, 0, 99 << 16, 99 << 16}));
    EXPECT_EQ(std::vector<ASFixed>(kInvalidMarkBox, kInvalidMarkBox + 4), (std::vector<ASFixed>{0, 0, 99 << 16, 99 << 16}));

    const struct {
        const char* stream;
        const char* firstLine;
        size_t length;
    } marks[] = {{kValidMark, "% DSDoubleValid\n", 258}, {kUnknownMark, "% DSUnknown\n", 635}, {kInvalidMark, "% DSInvalid\n", 595}};
    for (const auto& m : marks) {
        EXPECT_EQ(std::strlen(m.stream), m.length) << m.firstLine;
        EXPECT_EQ(std::strncmp(m.stream, m.firstLine, std::strlen(m.firstLine)), 0) << m.firstLine;
        EXPECT_EQ(std::strchr(m.stream, '\r'), nullptr) << m.firstLine;
    }
}

}  // namespace
