// The registered stand-in hosted as a window: pen strokes replayed as posted
// mouse messages, PadNotify at each stroke's end, the capture state, the
// persisted state of a dialog template, and a scripting host driving it.
#include <objidl.h>

#include <vector>

#include "CQuillix.h"
#include "PadReplay.h"
#include "QuillixTestSupport.h"
#include "pdf_drawing.h"
#include "signature_string.h"
#include "stroke_file.h"

namespace {

using namespace quillix::testing;

const UINT kPadId = 203;
const RECT kPadRect = {10, 10, 410, 170};  // 400 x 160 pixels: 5 units a pixel

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

// A window of ours hosting a pad, counting its PadNotify events.
class PadHost : public CWnd {
public:
    int notifications = 0;

protected:
    void OnPadNotify() { ++notifications; }
    DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(PadHost, CWnd)
    ON_EVENT(PadHost, kPadId, quillix::eventid::PadNotify, OnPadNotify, VTS_NONE)
END_EVENTSINK_MAP()

pendata::PenRecord Sample()
{
    pendata::PenRecord record;
    EXPECT_TRUE(pendata::ReadStrokeFile(SampleStrokeFile(), &record));
    return record;
}

// The pad's pen data, read back through its plain text form.
pendata::PenRecord PadRecord(CQuillix& pad)
{
    pad.SetEncryptionMode(0);
    pendata::PenRecord record;
    EXPECT_TRUE(pendata::DecodeSignatureString(pad.GetSignatureString(), pendata::CodecSettings{}, &record));
    return record;
}

class QuillixControl : public LeakCheckedTest {
protected:
    void SetUp() override
    {
        LeakCheckedTest::SetUp();
        ASSERT_TRUE(host.CreateEx(0, nullptr, "pad host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 440, 220),
                                  nullptr, 0));
        // The pad as a dialog shows it: visible, a real size.
        ASSERT_TRUE(pad.CreateControl(quillix::kClsid, nullptr, WS_VISIBLE | WS_TABSTOP, kPadRect, &host, kPadId));
    }
    void TearDown() override
    {
        pad.DestroyWindow();
        host.DestroyWindow();
        LeakCheckedTest::TearDown();
    }
    PadHost host;
    CQuillix pad;
};

TEST_F(QuillixControl, ReplayedSampleGivesItsStrokesPointsAndOneNotifyEach)
{
    const pendata::PenRecord sample = Sample();
    ASSERT_EQ(sample.strokes.size(), 4u);
    ASSERT_EQ(sample.PointCount(), 1146u);

    pad.SetCaptureState(1);
    ASSERT_TRUE(quillix::replay::PostStrokeFile(pad.GetSafeHwnd(), SampleStrokeFile()));
    PumpMessages(100);

    EXPECT_EQ(pad.GetPointCount(), 1146);
    EXPECT_EQ(host.notifications, 4);
    const pendata::PenRecord got = PadRecord(pad);
    ASSERT_EQ(got.strokes.size(), 4u);
    for (size_t s = 0; s < 4; ++s) {
        ASSERT_EQ(got.strokes[s].points.size(), sample.strokes[s].points.size()) << "stroke " << s;
        EXPECT_TRUE(got.strokes[s].hasTime);
        EXPECT_FALSE(got.strokes[s].hasPressure);  // a mouse has none
        // Each point comes back within the pixel it was posted at.
        for (size_t i = 0; i < got.strokes[s].points.size(); ++i) {
            ASSERT_NEAR(got.strokes[s].points[i].x, sample.strokes[s].points[i].x, 2) << s << "/" << i;
            ASSERT_NEAR(got.strokes[s].points[i].y, sample.strokes[s].points[i].y, 2) << s << "/" << i;
        }
    }

    pad.ClearPad();
    EXPECT_EQ(pad.GetPointCount(), 0);
    EXPECT_EQ(host.notifications, 4);  // erasing ends no stroke
}

TEST_F(QuillixControl, NoInputWithoutCaptureAndStoppingEndsTheStroke)
{
    ASSERT_TRUE(quillix::replay::PostStrokeFile(pad.GetSafeHwnd(), SampleStrokeFile()));  // state 0 as created
    PumpMessages(50);
    EXPECT_EQ(pad.GetPointCount(), 0);
    EXPECT_EQ(host.notifications, 0);

    pad.SetCaptureState(1);
    // The pad holds the mouse in mid-stroke, so a real move from the shared
    // desktop (another test's windows coming and going) reaches it with the
    // button up and ends the stroke early, as a lost button-up would. Such a
    // start proves nothing here: begin the stroke again, a bounded number of times.
    for (int attempt = 0; attempt < 5; ++attempt) {
        pad.ClearPad();
        host.notifications = 0;
        pad.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        pad.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 6));
        PumpMessages(20);
        if (host.notifications == 0) break;
    }
    ASSERT_EQ(host.notifications, 0) << "every start of the stroke was ended by moves from outside";
    pad.SetCaptureState(0);  // the dialog's Accept, in mid-stroke
    EXPECT_EQ(host.notifications, 1);
    pad.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(7, 7));
    pad.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    PumpMessages(20);
    EXPECT_EQ(pad.GetPointCount(), 2);
    EXPECT_EQ(host.notifications, 1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(QuillixControl, ReplayToolPostsFromAnotherProcess)
{
    pad.SetCaptureState(1);
    const std::wstring command = L"\"" + WinePath(QUILLIX_REPLAY_TOOL) + L"\" \"" +
                                 fw::AnsiToWide(SampleStrokeFile()) + L"\" \"pad host\" 203";
    ASSERT_EQ(RunProcess(command, nullptr), 0u);
    PumpMessages(100);
    EXPECT_EQ(pad.GetPointCount(), 1146);
    EXPECT_EQ(host.notifications, 4);
}

TEST_F(QuillixControl, AButtonUpNeverSeenEndsTheStrokeAtTheNextMove)
{
    pad.SetCaptureState(1);
    pad.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pad.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 6));
    pad.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(7, 7));           // released elsewhere
    pad.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 8));  // no stroke to continue
    pad.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    PumpMessages(20);
    EXPECT_EQ(pad.GetPointCount(), 2);
    EXPECT_EQ(host.notifications, 1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(QuillixControl, ReplayBeyondAFullPadKeepsTheMostAPadHolds)
{
    // More messages than a default queue takes at once, and more points than
    // the pad's signed 16-bit count: the pad stops at its limit.
    pendata::PenRecord big{2000, 800, {}};
    pendata::Stroke stroke;
    for (int i = 0; i < 33000; ++i) stroke.points.push_back({(i * 7) % 2000, (i * 3) % 800, 0, 0});
    big.strokes.push_back(stroke);
    big.strokes.push_back(pendata::Stroke{false, false, {{10, 10, 0, 0}, {20, 20, 0, 0}}});

    pad.SetCaptureState(1);
    ASSERT_TRUE(quillix::replay::PostStrokes(pad.GetSafeHwnd(), big));
    PumpMessages(200);
    EXPECT_EQ(pad.GetPointCount(), (short)pendata::kMaxPoints);
    EXPECT_EQ(host.notifications, 1) << "the second stroke found the pad full";
}

TEST_F(QuillixControl, ReplayIntoAGoneWindowFails)
{
    EXPECT_FALSE(quillix::replay::PostStrokeFile(nullptr, SampleStrokeFile()));
    EXPECT_FALSE(quillix::replay::PostStrokeFile(pad.GetSafeHwnd(), "Z:\\no\\such.strokes"));
}

// The 129-byte block a dialog template gives each pad control: version 1.0,
// whose bytes from offset 24 on are reserved; `reserved` fills its first two.
std::vector<BYTE> TemplateState(long inkColor, long backColor, short inkWidth, short border, short reserved = 0,
                                DWORD version = 0x00010000)
{
    std::vector<BYTE> bytes(129, 0);
    const long extentX = 7461, extentY = 1138;
    auto at = [&bytes](size_t offset, const void* p, size_t n) { memcpy(&bytes[offset], p, n); };
    at(0, &version, 4);
    at(4, &extentX, 4);
    at(8, &extentY, 4);
    at(12, &inkColor, 4);
    at(16, &backColor, 4);
    at(20, &inkWidth, 2);
    at(22, &border, 2);
    at(24, &reserved, 2);
    return bytes;
}

std::vector<BYTE> SavedState(CWnd& control)
{
    std::vector<BYTE> saved;
    IPersistStreamInit* persist = nullptr;
    IStream* stream = nullptr;
    if (FAILED(control.GetControlUnknown()->QueryInterface(IID_IPersistStreamInit, (void**)&persist))) return saved;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) && SUCCEEDED(persist->Save(stream, TRUE))) {
        STATSTG stat = {};
        stream->Stat(&stat, STATFLAG_NONAME);
        saved.resize((size_t)stat.cbSize.QuadPart);
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        ULONG got = 0;
        stream->Read(saved.data(), (ULONG)saved.size(), &got);
        saved.resize(got);
    }
    if (stream) stream->Release();
    persist->Release();
    return saved;
}

// The fields after the extent (which the container sets to the window's
// size): colours, ink width, border and, when saved, the ink style.
std::vector<BYTE> Look(const std::vector<BYTE>& state, size_t end)
{
    if (state.size() < end) return state;
    return std::vector<BYTE>(state.begin() + 12, state.begin() + end);
}

short InkStyle(const std::vector<BYTE>& saved)
{
    short style = -1;
    if (saved.size() >= 26) memcpy(&style, &saved[24], 2);
    return style;
}

TEST_F(QuillixControl, TemplateStateOf129BytesLoadsAndSavesItsFields)
{
    const DWORD saves = 0x00010001;
    struct Case {
        short inkWidth, expectedWidth;
    } cases[] = {{3, 3}, {0, 1}, {-4, 1}, {40, 16}};
    for (const Case& c : cases) {
        // Version 1.0 with something in the reserved bytes: ignored there.
        const std::vector<BYTE> state = TemplateState(0x00123456, 0x00F0F0F0, c.inkWidth, 0, 1);
        CQuillix other;
        ASSERT_TRUE(other.CreateControl(quillix::kClsid, nullptr, WS_VISIBLE, CRect(10, 10, 100, 40), &host, 220,
                                        state.data(), state.size()));
        std::vector<BYTE> expected = Look(state, 24);
        memcpy(&expected[8], &c.expectedWidth, 2);
        const std::vector<BYTE> saved = SavedState(other);
        ASSERT_EQ(saved.size(), 26u);
        EXPECT_EQ(memcmp(saved.data(), &saves, 4), 0) << "saved as version 1.1";
        EXPECT_EQ(Look(saved, 24), expected) << c.inkWidth;
        EXPECT_EQ(InkStyle(saved), 0) << "a 1.0 template's reserved bytes leave pressure ink on";
        other.DestroyWindow();
    }
    // A fresh pad saves the documented defaults.
    const std::vector<BYTE> fresh = SavedState(pad);
    EXPECT_EQ(Look(fresh, 24), Look(TemplateState(0x00800000, 0x00FFFFFF, 2, 1), 24));
    EXPECT_EQ(InkStyle(fresh), 0);
}

// The ink style decides the drawing: pressure ink for a fresh pad and a 1.0
// template, one width when a 1.1 stream says uniform; a 1.1 stream too short
// for it fails and leaves the defaults.
TEST_F(QuillixControl, InkStyleOfThePersistedStateDecidesTheDrawing)
{
    const pendata::PenRecord sample = Sample();
    auto drawing = [&](CQuillix& control) {
        control.SetSignatureString(pendata::EncodeSignatureString(sample, pendata::CodecSettings{}).c_str());
        control.SetPdfWidth(200);
        control.SetPdfHeight(60);
        control.SetPdfPenWidth(4);
        BSTR data = nullptr;
        control.GetPdfData(&data);
        std::string bytes = data ? std::string(reinterpret_cast<const char*>(data), SysStringByteLen(data)) : "";
        SysFreeString(data);
        return bytes;
    };
    auto expected = [&](bool pressureInk) {
        std::string out;
        EXPECT_TRUE(pendata::DrawInk(sample, pendata::DrawingSettings{200, 60, 4, 5, 50, 50, 0, pressureInk}, &out));
        return out;
    };
    const std::string pressure = expected(true), uniform = expected(false);
    ASSERT_NE(pressure, uniform);
    EXPECT_EQ(drawing(pad), pressure) << "a fresh pad";

    const struct {
        const char* what;
        std::vector<BYTE> state;
        bool created;
        short savedStyle;
    } cases[] = {
        {"1.0 template", TemplateState(0x00800000, 0x00FFFFFF, 2, 1, 1), true, 0},
        {"1.1, uniform", TemplateState(0x00800000, 0x00FFFFFF, 2, 1, 1, 0x00010001), true, 1},
        {"1.1, pressure", TemplateState(0x00800000, 0x00FFFFFF, 2, 1, 0, 0x00010001), true, 0},
        {"1.1, cut short", std::vector<BYTE>(), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<BYTE> state = c.state;
        if (state.empty()) {
            state = TemplateState(0x00123456, 0x00F0F0F0, 5, 0, 1, 0x00010001);
            state.resize(25);
        }
        CQuillix other;
        const BOOL created = other.CreateControl(quillix::kClsid, nullptr, WS_VISIBLE, CRect(10, 10, 100, 40),
                                                 &host, 220, state.data(), state.size());
        if (!created) {
            // A state that does not load is refused by the container; the
            // control itself fell back to its defaults.
            EXPECT_FALSE(c.created);
            continue;
        }
        EXPECT_EQ(InkStyle(SavedState(other)), c.savedStyle);
        if (c.created) EXPECT_EQ(drawing(other), c.savedStyle ? uniform : pressure);
        other.DestroyWindow();
    }
}

TEST_F(QuillixControl, ScriptHostLoadsKeyedTextOnlyWithItsKey)
{
    // Keyed text of the sample made by the pen-data unit, as the plug-in
    // stores it.
    pendata::CodecSettings codec;
    codec.encryptionMode = 4;
    codec.key = "initial key";
    const std::string keyed = pendata::EncodeSignatureString(Sample(), codec);
    ASSERT_FALSE(keyed.empty());

    std::string output;
    const std::wstring script = WinePath(QUILLIX_SCRIPT_DIR "/keyed_point_count.js");
    const std::wstring command = L"cscript.exe //nologo \"" + script + L"\" " + fw::AnsiToWide(keyed) +
                                 L" \"initial key\" \"another key\"";
    EXPECT_EQ(RunProcess(command, &output), 0u);
    EXPECT_NE(output.find("with its key 1146\r\nwith another key 0\r\nEND OF SCRIPT"), std::string::npos) << output;
}

} // namespace
