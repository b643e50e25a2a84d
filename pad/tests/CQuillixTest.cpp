// CQuillix against the registered stand-in: every operation reaches the
// control under its DISPID, kind and type, 8-bit text survives the trip, and
// the drawing data comes back as bytes by reference.
#include "CQuillix.h"
#include "PadSettings.h"
#include "QuillixTestSupport.h"
#include "pdf_drawing.h"
#include "signature_string.h"
#include "stroke_file.h"

namespace {

using namespace quillix::testing;

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

// Plain text of the bundled sample, as the capture control hands it over.
std::string SampleText()
{
    pendata::PenRecord record;
    EXPECT_TRUE(pendata::ReadStrokeFile(SampleStrokeFile(), &record));
    return pendata::EncodeSignatureString(record, pendata::CodecSettings{});
}

class CQuillixTest : public LeakCheckedTest {
protected:
    void SetUp() override
    {
        LeakCheckedTest::SetUp();
        ASSERT_TRUE(pad.Create(CWnd::GetDesktopWindow(), 2002));
    }
    void TearDown() override
    {
        pad.DestroyWindow();
        LeakCheckedTest::TearDown();
    }
    short ReadShort(DISPID dispid)
    {
        short value = -12345;  // sentinel: a failed read leaves it
        EXPECT_EQ(pad.TryInvokeHelper(dispid, DISPATCH_PROPERTYGET, VT_I2, &value, nullptr), S_OK) << dispid;
        return value;
    }
    CQuillix pad;
};

TEST_F(CQuillixTest, EveryPutArrivesUnderItsDispidAsSigned16Bits)
{
    struct Case {
        const char* name;
        void (CQuillix::*put)(short);
        DISPID dispid;
        short value;
    } cases[] = {
        {"SetPdfWidth", &CQuillix::SetPdfWidth, 2, 300},
        {"SetPdfHeight", &CQuillix::SetPdfHeight, 3, 120},
        {"SetPdfPenWidth", &CQuillix::SetPdfPenWidth, 4, 2},
        {"SetCompressionMode", &CQuillix::SetCompressionMode, 17, 0},
        {"SetEncryptionMode", &CQuillix::SetEncryptionMode, 27, 4},
        {"SetCaptureState", &CQuillix::SetCaptureState, 28, 1},
        {"SetRotation", &CQuillix::SetRotation, 29, 270},
        {"SetJustifyX", &CQuillix::SetJustifyX, 30, penvane::PadValue(65586)},  // arrives as 50
        {"SetJustifyY", &CQuillix::SetJustifyY, 31, -1},
        {"SetJustifyMode", &CQuillix::SetJustifyMode, 32, 1},
        {"SetPdfOption", &CQuillix::SetPdfOption, 35, 2},
    };
    for (const Case& c : cases) {
        (pad.*c.put)(c.value);
        EXPECT_EQ(ReadShort(c.dispid), c.value) << c.name;
    }
    EXPECT_EQ(ReadShort(30), 50);

    pad.SetPadFeatureFlag(1);
    char flag = 0;
    EXPECT_EQ(pad.TryInvokeHelper(25, DISPATCH_PROPERTYGET, VT_I1, &flag, nullptr), S_OK);
    EXPECT_EQ(flag, 1);
    for (BOOL rotated : {TRUE, FALSE}) {
        pad.SetRotatedFlag(rotated);
        BOOL got = 7;
        EXPECT_EQ(pad.TryInvokeHelper(55, DISPATCH_PROPERTYGET, VT_BOOL, &got, nullptr), S_OK);
        EXPECT_EQ(got, rotated);
    }
    pad.EnablePadFeature(1);  // a method taking one VT_I2: no effect to read
}

TEST_F(CQuillixTest, GetsMethodsAndTheirKindsAsTheControlDeclaresThem)
{
    EXPECT_EQ(pad.GetPadExtentX(), 2000);
    EXPECT_EQ(pad.GetPadExtentY(), 800);
    EXPECT_EQ(pad.GetPointCount(), 0);

    // Each operation only under its own kind: the stand-in refuses the others,
    // so a proxy that used the wrong kind would fail above.
    short sentinel = -7;
    EXPECT_EQ(pad.TryInvokeHelper(5, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, (const BYTE*)VTS_I2, 5),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(pad.TryInvokeHelper(57, DISPATCH_PROPERTYGET, VT_I2, &sentinel, nullptr), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(pad.TryInvokeHelper(67, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, (const BYTE*)VTS_I2, 1),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(pad.TryInvokeHelper(113, DISPATCH_METHOD, VT_EMPTY, nullptr, (const BYTE*)VTS_BSTR, "one"),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(sentinel, -7);

    pad.SetEncryptionMode(0);
    pad.SetSignatureString(SampleText().c_str());
    EXPECT_EQ(pad.GetPointCount(), 1146);
    pad.ClearPad();
    EXPECT_EQ(pad.GetPointCount(), 0);
}

TEST_F(CQuillixTest, KeyedTextLoadsWithItsKeyOnlyAnd8BitKeysConvert)
{
    pad.SetEncryptionMode(0);
    pad.SetSignatureString(SampleText().c_str());
    // As the plug-in re-encodes a capture: keyed, compressed, read back as text.
    const char key[] = "cl\xE9 \xA7 1";  // 8-bit text in the system code page
    pad.SetEncryptionMode(4);
    pad.SetKeyString(key);
    pad.SetCompressionMode(1);
    const std::string keyed = pad.GetSignatureString();
    ASSERT_FALSE(keyed.empty());
    EXPECT_EQ(keyed.find_first_not_of("0123456789ABCDEF"), std::string::npos);

    struct Case {
        const char* key;
        short points;
    } cases[] = {{key, 1146}, {"cl\xE8 \xA7 1", 0}, {"", 0}, {nullptr, 0}};
    for (const Case& c : cases) {
        CQuillix other;
        ASSERT_TRUE(other.Create(CWnd::GetDesktopWindow(), 2002));
        other.SetEncryptionMode(4);
        other.SetKeyString(c.key);
        other.SetSignatureString(keyed.c_str());
        EXPECT_EQ(other.GetPointCount(), c.points) << (c.key ? c.key : "(null)");
        other.DestroyWindow();
    }
}

TEST_F(CQuillixTest, PdfDataComesBackAsBytesByReferenceOrNull)
{
    pad.SetPdfWidth(200);
    pad.SetPdfHeight(60);
    pad.SetPdfPenWidth(2);
    pad.SetPdfOption(2);

    // The caller's variable is overwritten, never freed: the proxy passes the
    // control a null string of its own.
    BSTR sentinel = SysAllocString(L"caller's");
    BSTR data = sentinel;
    pad.GetPdfData(&data);
    EXPECT_EQ(data, nullptr) << "an empty pad draws nothing";
    EXPECT_STREQ(sentinel, L"caller's");

    pad.SetSignatureString(SampleText().c_str());
    data = sentinel;
    pad.GetPdfData(&data);
    ASSERT_NE(data, nullptr);
    ASSERT_NE(data, sentinel);
    const UINT bytes = SysStringByteLen(data);
    const std::string drawing(reinterpret_cast<const char*>(data), bytes);
    // Exactly the pen-data unit's drawing of the same ink in the same box.
    pendata::PenRecord record;
    ASSERT_TRUE(pendata::ReadStrokeFile(SampleStrokeFile(), &record));
    pendata::DrawingSettings box;
    box.width = 200;
    box.height = 60;
    box.penWidth = 2;
    std::string expected;
    ASSERT_TRUE(pendata::DrawInk(record, box, &expected));
    EXPECT_EQ(drawing, expected);
    SysFreeString(data);
    EXPECT_STREQ(sentinel, L"caller's");
    SysFreeString(sentinel);
}

TEST_F(CQuillixTest, HiddenPadUnderTheDesktopLeavesNoWindow)
{
    const std::set<HWND> before = ProcessWindows();
    {
        CQuillix hidden;
        ASSERT_TRUE(hidden.Create(CWnd::GetDesktopWindow(), 2002));
        EXPECT_FALSE(IsWindowVisible(hidden.GetSafeHwnd()));
        RECT r = {};
        GetWindowRect(hidden.GetSafeHwnd(), &r);
        EXPECT_EQ(r.right - r.left, 1);
        EXPECT_EQ(r.bottom - r.top, 1);
        EXPECT_EQ(GetDlgCtrlID(hidden.GetSafeHwnd()), 2002);
        EXPECT_EQ(GetWindowTextLengthW(hidden.GetSafeHwnd()), 0);
        EXPECT_TRUE(hidden.DestroyWindow());
    }
    {
        CQuillix dropped;  // the destructor alone also cleans up
        ASSERT_TRUE(dropped.Create(CWnd::GetDesktopWindow(), 2002));
    }
    PumpMessages(0);
    EXPECT_EQ(ProcessWindows(), before);
}

} // namespace
