// BuildAppearanceData with the registered pad-capture control: the settings
// file's values and the page's rotation reach the control, the control is
// turned back afterwards, and the drawing it hands over as bytes in a string
// is kept byte for byte.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "BoundHost.h"
#include "CQuillix.h"
#include "HandlerEngine.h"
#include "PadSettings.h"
#include "QuillixTestSupport.h"
#include "RecordBytes.h"
#include "SignatureAppearance.h"
#include "signature_string.h"
#include "stroke_file.h"

namespace {

using namespace quillix::testing;

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

std::string SettingsPath()
{
    char dir[MAX_PATH] = {};
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\" + penvane::kSettingsFileName;
}

class AppearancePadTest : public LeakCheckedTest {
protected:
    void SetUp() override
    {
        LeakCheckedTest::SetUp();
        BindHost(host);
        // Distinct values, so that one arriving under another's name shows.
        FILE* f = std::fopen(SettingsPath().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const char text[] = "[PenvanePdf]\r\nPdfPenWidth=3\r\n[Justify]\r\nJustifyX=10\r\nJustifyY=90\r\nJustifyMode=1\r\n";
        std::fwrite(text, 1, sizeof text - 1, f);
        std::fclose(f);

        ASSERT_TRUE(pad.Create(CWnd::GetDesktopWindow(), 2002));
        pendata::PenRecord record;
        ASSERT_TRUE(pendata::ReadStrokeFile(SampleStrokeFile(), &record));
        pad.SetEncryptionMode(0);
        pad.SetSignatureString(pendata::EncodeSignatureString(record, pendata::CodecSettings{}).c_str());
        ASSERT_EQ(pad.GetPointCount(), 1146);
    }
    void TearDown() override
    {
        pad.DestroyWindow();
        DeleteFileA(SettingsPath().c_str());
        ClearHostBindings();
        EXPECT_EQ(host.memory().LiveBlocks(), 0u);
        LeakCheckedTest::TearDown();
    }

    short Read(DISPID dispid)
    {
        short value = -12345;
        EXPECT_EQ(pad.TryInvokeHelper(dispid, DISPATCH_PROPERTYGET, VT_I2, &value, nullptr), S_OK) << dispid;
        return value;
    }

    // The drawing the control makes when asked directly, as bytes.
    std::string DirectDrawing(short rotation, short width, short height)
    {
        pad.SetRotation(rotation);
        pad.SetPdfWidth(width);
        pad.SetPdfHeight(height);
        BSTR data = nullptr;
        pad.GetPdfData(&data);
        std::string bytes(reinterpret_cast<const char*>(data), SysStringByteLen(data));
        SysFreeString(data);
        pad.SetRotation(0);
        return bytes;
    }

    standin::HostStandin host;
    CQuillix pad;
};

TEST_F(AppearancePadTest, SettingsAndRotationReachTheControlAndTheDrawingIsKept)
{
    const short kRotation = 29, kWidth = 2, kHeight = 3, kPenWidth = 4, kJustifyX = 30, kJustifyY = 31,
                kJustifyMode = 32, kPdfOption = 35, kRotatedFlag = 55;
    std::string upright;
    for (int16_t rotation : {0, 90, 180, 270}) {
        SCOPED_TRACE(::testing::Message() << "rotation " << rotation);
        host.viewer().OpenDocument({rotation});
        pad.SetRotatedFlag(TRUE);  // so that a flag put back shows
        {
            HandlerEngine engine(true);
            const DocumentRecord record(Fixed(200.5), Fixed(60.25));
            EXPECT_TRUE(BuildAppearanceData(engine, pad, record.View()));

            EXPECT_EQ(Read(kWidth), 200);
            EXPECT_EQ(Read(kHeight), 60);
            EXPECT_EQ(Read(kPenWidth), 3);
            EXPECT_EQ(Read(kJustifyX), 10);
            EXPECT_EQ(Read(kJustifyY), 90);
            EXPECT_EQ(Read(kJustifyMode), 1);
            EXPECT_EQ(Read(kPdfOption), 2);
            EXPECT_EQ(Read(kRotation), 0);
            BOOL flag = 7;
            EXPECT_EQ(pad.TryInvokeHelper(kRotatedFlag, DISPATCH_PROPERTYGET, VT_BOOL, &flag, nullptr), S_OK);
            EXPECT_EQ(flag, rotation == 0 ? TRUE : FALSE);

            // Every byte the control put into its string: its byte length, not its characters.
            const std::string expected = DirectDrawing(rotation, 200, 60);
            ASSERT_FALSE(expected.empty());
            EXPECT_EQ(std::string(engine.AppearanceData(), engine.AppearanceLength()), expected);
            if (rotation == 0)
                upright = expected;
            else
                EXPECT_NE(expected, upright) << "the rotation reached the drawing";

            const bool sideways = rotation == 90 || rotation == 270;
            const ASFixed* box = engine.AppearanceBox();
            EXPECT_EQ(box[2], sideways ? Fixed(60.25) : Fixed(200.5));
            EXPECT_EQ(box[3], sideways ? Fixed(200.5) : Fixed(60.25));
        }
        EXPECT_EQ(host.memory().LiveBlocks(), 0u);
    }
}

TEST_F(AppearancePadTest, AnEmptyPadKeepsTheLastDrawing)
{
    host.viewer().OpenDocument({0});
    HandlerEngine engine(true);
    const DocumentRecord record(Fixed(200), Fixed(60));
    BuildAppearanceData(engine, pad, record.View());
    const std::string first(engine.AppearanceData(), engine.AppearanceLength());
    ASSERT_FALSE(first.empty());

    pad.ClearPad();  // nothing to draw: the control answers a null string
    const DocumentRecord smaller(Fixed(100), Fixed(30));
    EXPECT_TRUE(BuildAppearanceData(engine, pad, smaller.View()));
    EXPECT_EQ(std::string(engine.AppearanceData(), engine.AppearanceLength()), first);
    EXPECT_EQ(engine.AppearanceBox()[2], Fixed(100));
    EXPECT_EQ(host.memory().LiveBlocks(), 1u);
}

}  // namespace
