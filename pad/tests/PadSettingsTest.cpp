// The settings file as a person edits it: written into the Windows directory
// of the test prefix, read back through the deliverables' reader.
#include "PadSettings.h"
#include "SettingsFile.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { testsupport::RemoveSettingsFile(); }
    void TearDown() override { testsupport::RemoveSettingsFile(); }

    static void Write(const std::string& text) { ASSERT_TRUE(testsupport::WriteSettingsFile(text)); }
};

struct Expected {
    const char* file;          // nullptr: no file at all
    int16_t compressionMode;
    int16_t penWidth;
    bool saveAs;
    int32_t minPoints;
    penvane::JustifySettings justify;
};

const Expected kCases[] = {
    {nullptr, 1, 4, true, 10, {50, 50, 5}},
    {"[PenvanePdf]\r\n", 1, 4, true, 10, {50, 50, 5}},
    {"[PenvanePdf]\r\nCompressionMode=0\r\n", 1, 4, true, 10, {50, 50, 5}},
    {"[PenvanePdf]\r\nCompressionMode=-3\r\n", 1, 4, true, 10, {50, 50, 5}},
    {"[PenvanePdf]\r\nCompressionMode=2\r\nPdfPenWidth=7\r\n", 2, 7, true, 10, {50, 50, 5}},
    {"[PenvanePdf]\r\nMinPoints=0\r\nSaveAs=0\r\n", 1, 4, false, 0, {50, 50, 5}},
    {"[PenvanePdf]\r\nMinPoints=32768\r\nSaveAs=7\r\n", 1, 4, true, 32768, {50, 50, 5}},
    {"[Justify]\r\nJustifyX=65586\r\nJustifyY=0\r\nJustifyMode=1\r\n", 1, 4, true, 10, {50, 0, 1}},
    // Keys under the wrong section are not seen.
    {"[Justify]\r\nMinPoints=3\r\n[PenvanePdf]\r\nJustifyX=10\r\n", 1, 4, true, 10, {50, 50, 5}},
};

TEST_F(SettingsFile, EachKeyReadsWithItsDefaultAndRules)
{
    for (const Expected& c : kCases) {
        SCOPED_TRACE(c.file ? c.file : "(no file)");
        testsupport::RemoveSettingsFile();
        if (c.file)
            Write(c.file);
        EXPECT_EQ(penvane::ReadCompressionMode(), c.compressionMode);
        EXPECT_EQ(penvane::ReadPdfPenWidth(), c.penWidth);
        EXPECT_EQ(penvane::ReadSaveAs(), c.saveAs);
        EXPECT_EQ(penvane::ReadMinPoints(), c.minPoints);
        const penvane::JustifySettings j = penvane::ReadJustify();
        EXPECT_EQ(j.x, c.justify.x);
        EXPECT_EQ(j.y, c.justify.y);
        EXPECT_EQ(j.mode, c.justify.mode);
    }
}

TEST_F(SettingsFile, AnEditBetweenTwoReadsTakesEffect)
{
    Write("[PenvanePdf]\r\nMinPoints=25\r\n");
    EXPECT_EQ(penvane::ReadMinPoints(), 25);
    Sleep(20); // a distinct modification time, as a person's edit would have
    Write("[PenvanePdf]\r\nMinPoints=3\r\n");
    EXPECT_EQ(penvane::ReadMinPoints(), 3);
}

TEST(MinPoints, ComparesTheSignExtendedCountAsSigned32Bit)
{
    EXPECT_TRUE(penvane::MeetsMinPoints(0, 0));
    EXPECT_TRUE(penvane::MeetsMinPoints(10, 10));
    EXPECT_FALSE(penvane::MeetsMinPoints(9, 10));
    EXPECT_FALSE(penvane::MeetsMinPoints(32767, 32768));
    EXPECT_FALSE(penvane::MeetsMinPoints(-1, 0)); // a count that wrapped negative is refused
}

TEST(PadValue, KeepsTheLow16BitsSigned)
{
    EXPECT_EQ(penvane::PadValue(65586), 50);
    EXPECT_EQ(penvane::PadValue(65535), -1);
    EXPECT_EQ(penvane::PadValue(-3), -3);
    EXPECT_EQ(penvane::PadValue(32768), -32768);
}

} // namespace
