// The host stand-in's own behaviour where it is more than bookkeeping: the
// table handshake, the text forms, bag ownership, handler registration.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HostCodePage.h"
#include "HostStandin.h"

namespace standin {
namespace {

template <typename Fn>
Fn Entry(HFT table, int selector)
{
    return reinterpret_cast<Fn>(table[selector]);
}

// The host's own request path, as a plug-in reaches it through "Core".
HFT Request(HostStandin& host, const char* name, uint32_t version)
{
    HFT core = host.CoreTable();
    ASAtom atom = Entry<ASAtom (*)(const char*)>(core, core::ASAtomFromString)(name);
    return Entry<HFT (*)(ASAtom, uint32_t)>(core, core::ASExtensionMgrGetHFT)(atom, version);
}

uint32_t ReportedVersion(HostStandin& host, HFT table)
{
    return Entry<uint32_t (*)(HFT)>(host.tables().Table("AcroSupport"), acroSupport::HFTGetVersion)(table);
}

TEST(Handshake, TableIsOfferedFromItsVersionUp)
{
    HostStandin host;
    host.tables().SetVersion("PDSysFont", 0x40005);
    const struct {
        uint32_t asked;
        bool offered;
    } cases[] = {{0x40000, true}, {0x40005, true}, {0x40006, false}, {0x50000, false}, {1, true}};
    for (const auto& c : cases)
        EXPECT_EQ(Request(host, "PDSysFont", c.asked) != nullptr, c.offered) << std::hex << c.asked;

    EXPECT_EQ(ReportedVersion(host, Request(host, "PDSysFont", 0x40000)), 0x40005u);
    host.tables().SetVersionUnknown("PDSysFont", true);
    EXPECT_EQ(ReportedVersion(host, Request(host, "PDSysFont", 0x40000)), kUnknownVersion);
    EXPECT_EQ(ReportedVersion(host, nullptr), kUnknownVersion);

    host.tables().SetAvailable("Win", false);
    EXPECT_EQ(Request(host, "Win", 1), nullptr);
    EXPECT_EQ(Request(host, "NoSuchTable", 1), nullptr);

    const auto& log = host.tables().Requests();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front().first, "PDSysFont");
    EXPECT_EQ(log.front().second, 0x40000u);
    EXPECT_EQ(log.back().first, "NoSuchTable");
}

TEST(Handshake, OneHostAtATime)
{
    HostStandin host;
    EXPECT_THROW(HostStandin second, std::logic_error);
    EXPECT_EQ(HostStandin::Current(), &host);
}

TEST(Texts, PdTextFromHostTextWritesMarkedUtf16)
{
    // "Caf\xE9 \x80": e-acute and the euro sign of the host code page.
    const char host[] = "Caf\xE9 \x80";
    const unsigned char expected[] = {0xFE, 0xFF, 0x00, 'C', 0x00, 'a', 0x00, 'f', 0x00, 0xE9,
                                      0x00, ' ',  0x20, 0xAC, 0x00, 0x00};
    char buffer[2 * 6 + 20];
    std::memset(buffer, 0x5A, sizeof buffer);
    ASSERT_EQ(PdTextFromHostText(1, host, 6, buffer, sizeof buffer), 14);
    EXPECT_EQ(std::memcmp(buffer, expected, sizeof expected), 0);
    EXPECT_EQ(buffer[sizeof expected], 0x5A);
}

TEST(Texts, PdTextFromHostTextStaysInsideTheBuffer)
{
    const struct {
        int32_t form, length, bufferSize, answer;
    } cases[] = {
        {1, 3, 10, 8},   // marker, three characters, terminator: exactly fits
        {1, 3, 9, 6},    // only whole characters: two of them
        {1, 3, 4, 2},    // the marker alone
        {1, 3, 3, 0},    // no room for marker and terminator: nothing written
        {1, 0, 4, 2},
        {1, -1, 16, 0},
        {0, 3, 16, 0},   // only the Unicode form is known
        {2, 3, 16, 0},
    };
    for (const auto& c : cases) {
        char buffer[16];
        std::memset(buffer, 0x5A, sizeof buffer);
        EXPECT_EQ(PdTextFromHostText(c.form, "abc", c.length, buffer, c.bufferSize), c.answer)
            << c.form << "/" << c.length << "/" << c.bufferSize;
        for (int i = c.bufferSize; i < 16; ++i)
            EXPECT_EQ(buffer[i], 0x5A) << "wrote past the buffer at " << i;
        if (c.answer > 0) {
            EXPECT_EQ(buffer[c.answer], 0);
            EXPECT_EQ(buffer[c.answer + 1], 0);
        } else {
            EXPECT_EQ(buffer[0], 0x5A) << "wrote although refused";
        }
    }
    char buffer[8] = {};
    EXPECT_EQ(PdTextFromHostText(1, nullptr, 2, buffer, 8), 0);
    EXPECT_EQ(PdTextFromHostText(1, "ab", 2, nullptr, 8), 0);
}

TEST(Texts, CStringIsReadInBothForms)
{
    HostStandin host;
    ASText plain = host.texts().FromCString("Caf\xE9 \x80");
    char pdf[64];
    PdTextFromHostText(1, "Caf\xE9 \x80", 6, pdf, sizeof pdf);
    ASText marked = host.texts().FromCString(pdf);
    EXPECT_EQ(host.texts().Chars(plain), u"Caf\u00E9 \u20AC");
    EXPECT_EQ(host.texts().Chars(marked), host.texts().Chars(plain));
    EXPECT_EQ(host.texts().Utf8(marked), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(EncodeHostBytes(host.texts().Chars(marked)), "Caf\xE9 \x80");

    // A marker with nothing after it is the empty text, and blank.
    const char emptyPdf[] = {char(0xFE), char(0xFF), 0, 0};
    ASText empty = host.texts().FromCString(emptyPdf);
    EXPECT_TRUE(host.texts().Chars(empty).empty());
    EXPECT_TRUE(host.texts().IsBlank(empty));
    EXPECT_FALSE(host.texts().IsBlank(plain));
    EXPECT_EQ(host.texts().FromCString(nullptr), nullptr);

    for (ASText t : {plain, marked, empty})
        host.texts().Destroy(t);
    EXPECT_EQ(host.texts().LiveTexts(), 0u);
}

TEST(Texts, RetainSharesOneObjectUntilTheLastDestroy)
{
    HostStandin host;
    ASText text = host.texts().FromCString("x");
    EXPECT_EQ(host.texts().Retain(text), text);
    host.texts().Destroy(text);
    EXPECT_TRUE(host.texts().IsLive(text));
    host.texts().Destroy(text);
    EXPECT_FALSE(host.texts().IsLive(text));
    host.texts().Destroy(text);
    EXPECT_EQ(host.texts().StrayDestroys(), 1u);
    EXPECT_EQ(host.texts().Retain(text), nullptr);
}

char* HostString(HostStandin& host, const char* text)
{
    char* block = static_cast<char*>(host.memory().Allocate(std::strlen(text) + 1));
    std::strcpy(block, text);
    return block;
}

TEST(Bags, EntriesOwnWhatTheyAreGiven)
{
    HostStandin host;
    HostBags& bags = host.bags();
    ASCab bag = bags.Create();

    bags.SetInt(bag, "n", 5);
    bags.SetString(bag, "Reason", HostString(host, "first"));
    bags.SetString(bag, "Reason", HostString(host, "second"));    // the first is freed
    void* bytes = host.memory().Allocate(3);
    std::memcpy(bytes, "\x01\x00\x02", 3);
    bags.SetBinary(bag, "cert", bytes, 3);
    bags.SetBinary(bag, "cert", bytes, 3);                         // the same block again stays
    bags.SetText(bag, "t", host.texts().FromCString("text"));

    EXPECT_EQ(bags.IntOf(bag, "n", -1), 5);
    EXPECT_EQ(bags.IntOf(bag, "Reason", -1), -1);                  // not an integer entry
    EXPECT_EQ(bags.IntOf(bag, "absent", -1), -1);
    EXPECT_EQ(bags.StringOf(bag, "Reason"), "second");
    EXPECT_EQ(bags.BinaryOf(bag, "cert"), std::string("\x01\x00\x02", 3));
    EXPECT_EQ(bags.TextOf(bag, "t"), "text");
    EXPECT_EQ(host.memory().LiveBlocks(), 2u);
    EXPECT_EQ(host.texts().LiveTexts(), 1u);

    bags.SetInt(bag, "Reason", 1);                                 // another kind replaces and frees
    EXPECT_EQ(host.memory().LiveBlocks(), 1u);

    bags.Destroy(bag);
    EXPECT_EQ(host.memory().LiveBlocks(), 0u);
    EXPECT_EQ(host.texts().LiveTexts(), 0u);
    EXPECT_EQ(bags.LiveBags(), 0u);
    EXPECT_EQ(bags.Misuses(), 0u);
}

TEST(Bags, MisuseIsCountedAndNeverFreesForeignMemory)
{
    HostStandin host;
    HostBags& bags = host.bags();
    ASCab bag = bags.Create();
    char foreign[] = "not host memory";

    bags.SetString(bag, "k", foreign);                              // kept out, not freed
    bags.SetString(reinterpret_cast<ASCab>(foreign), "k", HostString(host, "given"));   // unknown bag: freed
    bags.SetString(bag, nullptr, HostString(host, "no key"));
    void* bytes = host.memory().Allocate(2);
    bags.SetBinary(bag, "b", bytes, 3);                             // longer than the block
    EXPECT_EQ(bags.Misuses(), 4u);
    EXPECT_EQ(bags.Find(bag, "k"), nullptr);
    EXPECT_EQ(host.memory().LiveBlocks(), 0u);
    EXPECT_EQ(host.memory().ForeignFrees(), 0u);
}

TEST(Cos, SignatureFieldFromDescription)
{
    HostStandin host;
    HostCos& cos = host.cos();

    SignatureFieldDescription bare;
    CosObj field = cos.SignatureField(bare);
    EXPECT_EQ(cos.TypeOf(field), kCosDict);
    EXPECT_EQ(cos.TypeOf(cos.DictValueForKey(field, "T")), kCosNull);
    EXPECT_EQ(cos.TypeOf(cos.DictValueForKey(field, "SV")), kCosNull);

    SignatureFieldDescription full;
    full.name = "Signature1";
    full.flags = 8;
    full.reasons = std::vector<std::string>{"One", std::string("T\0wo", 4)};
    field = cos.SignatureField(full);
    EXPECT_EQ(cos.StringOf(cos.DictValueForKey(field, "T")), "Signature1");
    CosObj seed = cos.DictValueForKey(field, "SV");
    EXPECT_EQ(cos.IntegerOf(cos.DictValueForKey(seed, "Ff")), 8);
    CosObj reasons = cos.DictValueForKey(seed, "Reasons");
    EXPECT_EQ(cos.TypeOf(reasons), kCosArray);
    EXPECT_EQ(cos.ArrayCount(reasons), 2);
    EXPECT_EQ(cos.TypeOf(cos.ArrayItem(reasons, 2)), kCosNull);
    EXPECT_EQ(cos.TypeOf(cos.ArrayItem(reasons, -1)), kCosNull);

    int32_t length = 0;
    char* copy = cos.StringDupValue(cos.ArrayItem(reasons, 1), &length);
    ASSERT_EQ(length, 4);
    EXPECT_EQ(std::string(copy, 4), std::string("T\0wo", 4));
    EXPECT_EQ(copy[4], 0);
    EXPECT_EQ(host.memory().LiveBlocks(), 1u);
    host.memory().Free(copy);

    // Values that are not ours read as the null object.
    EXPECT_EQ(cos.TypeOf(CosObj{1, 0}), kCosNull);
    EXPECT_EQ(cos.TypeOf(CosObj{100000, field.b}), kCosNull);
    EXPECT_EQ(cos.StringDupValue(seed, &length), nullptr);
    EXPECT_EQ(length, 0);
}

TEST(Viewer, DrawingBecomesAFormObjectOfTheDocument)
{
    HostStandin host;
    PDDoc doc = host.viewer().OpenDocument({0, 180});
    CosDoc cosDoc = host.viewer().CosDocOf(doc);
    const ASFixed rect[4] = {0, 0, 150 << 16, 50 << 16};
    auto fromDrawing = Entry<CosObj (*)(CosDoc, const char*, int32_t, const ASFixed*, const ASFixed*)>(
        host.tables().Table("DigSigHFT"), digSig::DSAppearanceFromDrawing);

    CosObj form = fromDrawing(cosDoc, "0 0 m 1 1 l S", 13, rect, rect);
    EXPECT_EQ(host.cos().TypeOf(form), kCosStream);
    const FormObject* object = host.cos().FormObjectOf(form);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->data, "0 0 m 1 1 l S");
    EXPECT_EQ(object->doc, cosDoc);
    EXPECT_EQ(std::memcmp(object->bbox, rect, sizeof rect), 0);

    EXPECT_EQ(host.cos().TypeOf(fromDrawing(doc, "q", 1, rect, rect)), kCosNull);   // a PDDoc is no CosDoc
    EXPECT_EQ(host.cos().TypeOf(fromDrawing(cosDoc, "q", -1, rect, rect)), kCosNull);

    host.viewer().CloseDocument(doc);
    EXPECT_EQ(host.viewer().CurrentDoc(), nullptr);
}

TEST(Viewer, ModalEndWithoutBeginIsNotObeyed)
{
    HostStandin host;
    host.viewer().ModalEnd();
    host.viewer().ModalBegin(nullptr);
    EXPECT_EQ(host.viewer().ModalDepth(), 1);
    EXPECT_EQ(host.viewer().UnbalancedModalEnds(), 1);
}

// A plug-in function the host calls through a callback handle.
int32_t g_seenOperation = -1;
int32_t OperationAvailableForTest(void* engine, int32_t operation)
{
    g_seenOperation = operation;
    return engine ? 1 : 0;
}
int32_t HostExtensionCheckForTest(uint16_t a, void*, void*) { return a + 1; }

TEST(Handlers, RegistrationFillsHostExtensionAndCallsThroughHandles)
{
    HostStandin host;
    ExtensionID ext = host.NewExtension("ADBE:Test");
    alignas(8) unsigned char record[handlerRecord::kSize] = {};
    Callback cb = host.callbacks().Create(ext, reinterpret_cast<void*>(&OperationAvailableForTest));
    std::memcpy(record + handlerRecord::onOperationAvailable, &cb, sizeof cb);

    host.SetRefuseRegistration(true);
    EXPECT_EQ(host.RegisterHandler(ext, record), 0);
    void* word = nullptr;
    std::memcpy(&word, record + handlerRecord::kHostExtension, sizeof word);
    EXPECT_EQ(word, nullptr) << "a refused registration leaves the record alone";

    host.SetRefuseRegistration(false);
    ASSERT_EQ(host.RegisterHandler(ext, record), 1);
    RegisteredHandler& handler = host.Handler(0);
    std::memcpy(&word, record + handlerRecord::kHostExtension, sizeof word);
    EXPECT_EQ(word, handler.HostExtensionTable());

    int engine = 0;
    EXPECT_EQ(handler.OperationAvailable(&engine, 13), 1);
    EXPECT_EQ(g_seenOperation, 13);
    EXPECT_THROW(handler.QueryInt(nullptr, "version", 0), MissingCallback);

    Callback check = host.callbacks().Create(ext, reinterpret_cast<void*>(&HostExtensionCheckForTest));
    std::memcpy(static_cast<unsigned char*>(handler.HostExtensionTable()) + kHostExtensionCheckOffset, &check,
                sizeof check);
    EXPECT_EQ(handler.HostExtensionCheck(4, nullptr, nullptr), 5);

    host.callbacks().Destroy(cb);
    EXPECT_THROW(handler.OperationAvailable(&engine, 1), MissingCallback) << "a destroyed handle is not called";
    host.callbacks().Destroy(check);
    host.callbacks().Destroy(check);
    EXPECT_EQ(host.callbacks().Live(), 0u);
    EXPECT_EQ(host.callbacks().Created(), host.callbacks().Destroyed());
    EXPECT_EQ(host.callbacks().StrayDestroys(), 1u);
}

}  // namespace
}  // namespace standin
