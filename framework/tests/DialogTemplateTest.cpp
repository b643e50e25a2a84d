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

// A template without items whose title and font name are the raw words given
// (a string with its terminating zero, or 0xFFFF and an ordinal).
std::vector<uint8_t> HeaderOnly(bool extended, std::vector<uint16_t> title, std::vector<uint16_t> font)
{
    std::vector<uint8_t> b;
    auto word = [&b](uint16_t w) {
        b.push_back((uint8_t)(w & 0xFF));
        b.push_back((uint8_t)(w >> 8));
    };
    auto dword = [&word](uint32_t d) {
        word((uint16_t)(d & 0xFFFF));
        word((uint16_t)(d >> 16));
    };
    const uint32_t style = DS_SETFONT | WS_POPUP;
    if (extended) {
        word(1);
        word(0xFFFF);
        dword(0);  // help id
        dword(0);  // extended style
        dword(style);
    } else {
        dword(style);
        dword(0);
    }
    word(0);  // items
    for (uint16_t v : {0, 0, 100, 50}) word(v);
    word(0);  // menu
    word(0);  // class
    for (uint16_t w : title) word(w);
    word(8);  // point size
    if (extended) {
        word(400);
        b.push_back(0);  // italic
        b.push_back(1);  // charset
    }
    for (uint16_t w : font) word(w);
    return b;
}

TEST(DialogTemplate, TitleOrFontNameGivenAsAnOrdinalIsRefused)
{
    // The system reads both as strings: an ordinal there would be read differently.
    const std::vector<uint16_t> text = {'A', 'b', 0}, ordinal = {0xFFFF, 7};
    struct Case {
        bool extended;
        std::vector<uint16_t> title, font;
        bool accepted;
    } cases[] = {
        {true, text, text, true},     {false, text, text, true},     {true, ordinal, text, false},
        {false, ordinal, text, false}, {true, text, ordinal, false}, {false, text, ordinal, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = HeaderOnly(c.extended, c.title, c.font);
        fw::SplitTemplate split;
        std::string error;
        EXPECT_EQ(fw::SplitDialogTemplate(bytes.data(), bytes.size(), &split, &error), c.accepted)
            << "extended " << c.extended << " title " << c.title[0] << " font " << c.font[0];
        EXPECT_EQ(error.empty(), c.accepted);
    }
}

} // namespace
