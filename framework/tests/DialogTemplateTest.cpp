// Splitting dialog templates and reading initialisation resources: the real
// resources, and every truncation of them (never worse than a clean error).
#include <gtest/gtest.h>

#include "../src/DialogTemplate.h"
#include "TestIds.h"

#include <windows.h>

namespace {

std::vector<uint8_t> Resource(UINT id, LPCWSTR type)
{
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (!res) return {};
    const uint8_t* p = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, res)));
    return std::vector<uint8_t>(p, p + SizeofResource(nullptr, res));
}

TEST(DialogTemplate, SplitsOutTheActiveXItemsAndKeepsTheRest)
{
    std::vector<uint8_t> bytes = Resource(kTestDialog, MAKEINTRESOURCEW(5));
    ASSERT_FALSE(bytes.empty());
    fw::SplitTemplate split;
    std::string error;
    ASSERT_TRUE(fw::SplitDialogTemplate(bytes.data(), bytes.size(), &split, &error)) << error;
    ASSERT_EQ(split.oleItems.size(), 1u);
    const fw::DialogOleItem& item = split.oleItems[0];
    EXPECT_EQ(item.id, (uint32_t)kTestControlId);
    EXPECT_EQ(item.order, 1u);
    EXPECT_TRUE(item.clsidText == u"{C4CEFA7C-3A0C-4F01-8D42-504475D3E828}");
    EXPECT_EQ(item.x, 10);
    EXPECT_EQ(item.cy, 60);
    EXPECT_TRUE(item.style & WS_TABSTOP);
    EXPECT_EQ(split.itemIds, (std::vector<uint32_t>{IDCANCEL, kTestControlId, kTestAcceptId}));
    // The kept template names two items and is shorter by the removed one.
    uint16_t count = 0;
    memcpy(&count, split.bytes.data() + 16, 2);
    EXPECT_EQ(count, 2);
    EXPECT_LT(split.bytes.size(), bytes.size());
}

TEST(DialogTemplate, ReadsTheInitialisationRecords)
{
    std::vector<uint8_t> bytes = Resource(kTestDialog, MAKEINTRESOURCEW(240));
    std::vector<fw::DlgInitEntry> entries;
    std::string error;
    ASSERT_TRUE(fw::ParseDlgInit(bytes.data(), bytes.size(), &entries, &error)) << error;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].id, kTestControlId);
    EXPECT_EQ(entries[0].message, fw::kDlgInitLoadFromStream);
    EXPECT_EQ(entries[0].data.size(), 22u);
}

TEST(DialogTemplate, MalformedInputIsACleanError)
{
    for (UINT id : {(UINT)kTestDialog, (UINT)kTestPropPageTemplate}) {
        std::vector<uint8_t> bytes = Resource(id, MAKEINTRESOURCEW(5));
        ASSERT_FALSE(bytes.empty());
        for (size_t n = 0; n + 1 < bytes.size(); ++n) {
            std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);  // exact size: tools catch overreads
            fw::SplitTemplate split;
            std::string error;
            if (!fw::SplitDialogTemplate(cut.data(), cut.size(), &split, &error)) {
                EXPECT_FALSE(error.empty());
            }
        }
    }
    // Corrupted counts, lengths and strings: a deterministic walk of byte flips.
    std::vector<uint8_t> original = Resource(kTestDialog, MAKEINTRESOURCEW(5));
    uint32_t seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = original;
        for (int flips = 0; flips < 3; ++flips) {
            seed = seed * 1103515245u + 12345u;
            bytes[(seed >> 8) % bytes.size()] = (uint8_t)(seed >> 24);
        }
        fw::SplitTemplate split;
        std::string error;
        if (fw::SplitDialogTemplate(bytes.data(), bytes.size(), &split, &error)) {
            EXPECT_LE(split.bytes.size(), bytes.size());
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    std::vector<uint8_t> init = Resource(kTestDialog, MAKEINTRESOURCEW(240));
    for (size_t n = 0; n + 2 < init.size(); ++n) {
        std::vector<fw::DlgInitEntry> entries;
        std::string error;
        EXPECT_FALSE(fw::ParseDlgInit(init.data(), n, &entries, &error)) << n;
    }
}

} // namespace
