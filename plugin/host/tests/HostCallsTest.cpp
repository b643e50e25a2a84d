// The plug-in's view of the host: typed calls reach the right entries, an
// unbound host gets neutral answers, and request records are read and written
// only at their own offsets.
#include <cstring>
#include <vector>

#include "BoundHost.h"
#include "RequestRecords.h"

namespace {

using HostCalls = BoundHost;

TEST_F(HostCalls, BindingRecordsEveryTableWithItsReportedVersion)
{
    host.tables().SetVersionUnknown("Win", true);
    EXPECT_EQ(HFTGetVersion(gPDModelHFT), 0x80000u);
    EXPECT_EQ(HFTGetVersion(gFormsHFT), host.tables().VersionOf("Forms"));
    EXPECT_EQ(HFTGetVersion(gWinHFT), kUnknownHftVersion);
    EXPECT_EQ(gCoreVersion, 0x60000u);
}

TEST_F(HostCalls, OperationsReachTheHostBehindEachTable)
{
    EXPECT_EQ(ASAtomFromString("x"), ASAtomFromString("x"));
    EXPECT_NE(ASAtomFromString("x"), ASAtomFromString("y"));

    void* block = ASmalloc(10);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(host.memory().LiveBytes(), 10u);
    ASfree(block);
    EXPECT_EQ(host.memory().LiveBlocks(), 0u);

    standin::SignatureFieldDescription description;
    description.name = "Sig1";
    description.flags = 4;
    description.reasons = std::vector<std::string>{"I agree", "I approve"};
    CosObj field = host.cos().SignatureField(description);

    EXPECT_EQ(CosObjTypeOf(field), kCosDict);
    CosObj seed = CosDictValueForKey(field, "SV");
    EXPECT_EQ(CosIntegerOf(CosDictValueForKey(seed, "Ff")), 4);
    CosObj reasons = CosDictValueForKey(seed, "Reasons");
    ASSERT_EQ(CosArrayCount(reasons), 2);
    int32_t length = -1;
    char* reason = CosStringDupValue(CosArrayItem(reasons, 1), &length);
    ASSERT_NE(reason, nullptr);
    EXPECT_EQ(std::string(reason, length), "I approve");
    EXPECT_EQ(reason[length], '\0');
    ASfree(reason);
    EXPECT_EQ(CosObjTypeOf(CosDictValueForKey(field, "Missing")), kCosNull);

    PDDoc doc = host.viewer().OpenDocument({0, 90, 270}, 1);
    PDPage page = AVPageViewCurrentPage(AVDocCurrentPageView(AVAppCurrentDoc()));
    EXPECT_EQ(PDPageRotationOf(page), 90);
    EXPECT_NE(PDDocCosDocOf(doc), nullptr);

    AVAppModalBegin(nullptr);
    AVAppModalEnd();
    EXPECT_EQ(host.viewer().ModalBegins(), 1);
    EXPECT_EQ(host.viewer().ModalDepth(), 0);
    EXPECT_EQ(host.memory().LiveBlocks(), 0u);
}

TEST(HostCallsUnbound, EveryOperationAnswersItsNeutralValue)
{
    ClearHostBindings();
    int32_t length = 99;
    char buffer[8] = "sentinl";
    EXPECT_EQ(ASAtomFromString("Core"), kNullAtom);
    EXPECT_EQ(ASCallbackCreate(nullptr, reinterpret_cast<void*>(&ClearHostBindings)), nullptr);
    EXPECT_EQ(ASExtensionMgrGetHFT(0, 1), nullptr);
    EXPECT_EQ(ASmalloc(4), nullptr);
    EXPECT_EQ(HFTGetVersion(nullptr), kUnknownHftVersion);
    EXPECT_EQ(CosStringDupValue(CosObj{1, 1}, &length), nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(PDTextFromHostText(kPdTextUnicode, "ab", 2, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "sentinl");
    EXPECT_EQ(ASCabIntOf(nullptr, "k", 42), 42);
    EXPECT_TRUE(ASTextIsBlank(nullptr));
    EXPECT_FALSE(PSRegisterHandler(nullptr, buffer));
    CosObj form = DSAppearanceFromDrawing(nullptr, "q", 1, nullptr, nullptr);
    EXPECT_EQ(form.a, 0u);
    EXPECT_EQ(form.b, 0u);
    ASfree(buffer);             // must not reach any allocator
    ASCallbackDestroy(nullptr);
    AVAppModalEnd();
}

// A record filled with a sentinel byte; the accessors must touch only their fields.
std::vector<unsigned char> SentinelRecord(size_t size)
{
    return std::vector<unsigned char>(size, 0xA5);
}

template <typename T>
void Put(std::vector<unsigned char>& record, size_t offset, T value)
{
    std::memcpy(record.data() + offset, &value, sizeof value);
}

template <typename T>
T Get(const std::vector<unsigned char>& record, size_t offset)
{
    T value;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

size_t CountSentinels(const std::vector<unsigned char>& record)
{
    size_t count = 0;
    for (unsigned char byte : record)
        count += byte == 0xA5;
    return count;
}

TEST(RequestRecords, SigningParamsWritesOnlyItsOutFields)
{
    auto record = SentinelRecord(0x58);
    int certBag = 0, propsBag = 0, docParams = 0;
    Put<void*>(record, 0x30, &certBag);
    Put<void*>(record, 0x38, &propsBag);
    Put<void*>(record, 0x50, &docParams);
    size_t before = CountSentinels(record);

    SigningParams params(record.data());
    EXPECT_EQ(params.CertificateBag(), &certBag);
    EXPECT_EQ(params.PropertiesBag(), &propsBag);
    EXPECT_EQ(params.DocumentParamsRecord(), &docParams);
    params.SetOutcomeCode(2);
    params.ClearReservedOut();

    EXPECT_EQ(Get<int32_t>(record, 0x28), 2);
    EXPECT_EQ(Get<int32_t>(record, 0x2C), 0);
    EXPECT_EQ(CountSentinels(record), before - 8);
}

TEST(RequestRecords, InFieldsAreReadAtTheirOffsets)
{
    auto docRecord = SentinelRecord(0x40);
    Put<CosObj>(docRecord, 0x18, CosObj{7, 9});
    Put<int32_t>(docRecord, 0x28, 120 << 16);
    Put<int32_t>(docRecord, 0x2C, -(3 << 16));
    int typeBag = 0;
    Put<void*>(docRecord, 0x30, &typeBag);
    DocumentParams doc(docRecord.data());
    EXPECT_EQ(doc.SignatureField().a, 7u);
    EXPECT_EQ(doc.SignatureField().b, 9u);
    EXPECT_EQ(doc.AppearanceWidth(), 120 << 16);
    EXPECT_EQ(doc.AppearanceHeight(), -(3 << 16));
    EXPECT_EQ(doc.TypeBag(), &typeBag);

    unsigned char digest[20] = {1}, stored[3] = {2};
    int results = 0;
    auto validation = SentinelRecord(0x40);
    Put<void*>(validation, 0x10, digest);
    Put<void*>(validation, 0x18, stored);
    Put<uint32_t>(validation, 0x20, 3);
    Put<void*>(validation, 0x38, &results);
    ValidationRequest request(validation.data());
    EXPECT_EQ(request.Digest(), digest);
    EXPECT_EQ(request.StoredValue(), stored);
    EXPECT_EQ(request.StoredValueLength(), 3u);
    EXPECT_EQ(request.ResultsBag(), &results);

    auto appearance = SentinelRecord(0x40);
    Put<void*>(appearance, 0x10, &results);
    EXPECT_EQ(AppearanceRequest(appearance.data()).Document(), &results);
}

TEST(RequestRecords, SignatureValueRequestSizeOnlyLeavesTheValueWordAlone)
{
    auto record = SentinelRecord(0x40);
    Put<uint16_t>(record, 0x20, 0);
    SignatureValueRequest request(record.data());
    EXPECT_EQ(request.RequestCode(), 0);
    request.SetValueSize(77);
    EXPECT_EQ(Get<uint32_t>(record, 0x30), 77u);
    EXPECT_EQ(Get<uint64_t>(record, 0x28), 0xA5A5A5A5A5A5A5A5ull);

    Put<uint16_t>(record, 0x20, 1);
    int value = 0;
    request.SetValue(&value);
    EXPECT_EQ(request.RequestCode(), 1);
    EXPECT_EQ(Get<void*>(record, 0x28), &value);
    EXPECT_EQ(record[0x22], 0xA5);   // the code is 16 bits wide: its neighbours stay
}

}  // namespace
