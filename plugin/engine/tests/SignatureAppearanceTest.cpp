// The appearance drawing: what reaches the pad, in which order, what the
// engine keeps, and the form object the host makes from it.
#include <cstring>
#include <string>
#include <vector>

#include "BoundHost.h"
#include "HandlerEngine.h"
#include "RecordBytes.h"
#include "SignatureAppearance.h"

namespace {

// A pad that writes down every call and hands out a chosen drawing.
class RecordingPad : public AppearancePad {
public:
    std::vector<std::string> calls;
    bool hasDrawing = true;
    std::string drawing = "0 0 m 10 10 l S";

    void SetRotation(int16_t v) override { Record("SetRotation", v); }
    void SetPdfWidth(int16_t v) override { Record("SetPdfWidth", v); }
    void SetPdfHeight(int16_t v) override { Record("SetPdfHeight", v); }
    void SetPdfPenWidth(int16_t v) override { Record("SetPdfPenWidth", v); }
    void SetJustifyMode(int16_t v) override { Record("SetJustifyMode", v); }
    void SetJustifyX(int16_t v) override { Record("SetJustifyX", v); }
    void SetJustifyY(int16_t v) override { Record("SetJustifyY", v); }
    void SetPdfOption(int16_t v) override { Record("SetPdfOption", v); }
    void SetRotatedFlag(bool v) override { Record("SetRotatedFlag", v); }
    bool GetPdfData(std::string* bytes) override
    {
        calls.push_back("GetPdfData");
        if (hasDrawing)
            *bytes = drawing;
        return hasDrawing;
    }

private:
    void Record(const char* name, int value) { calls.push_back(std::string(name) + " " + std::to_string(value)); }
};

// Settings with distinct values, so that a swapped call shows.
AppearanceSettings DistinctSettings()
{
    AppearanceSettings s;
    s.pdfPenWidth = 3;
    s.justifyMode = 1;
    s.justifyX = 10;
    s.justifyY = 90;
    return s;
}

class Appearance : public BoundHost {
protected:
    // Shows a one-page document whose page has this rotation.
    void ShowPage(int16_t rotation) { host.viewer().OpenDocument({rotation}); }

    std::vector<ASFixed> BoxOf(const HandlerEngine& engine)
    {
        return std::vector<ASFixed>(engine.AppearanceBox(), engine.AppearanceBox() + 4);
    }
};

TEST_F(Appearance, PadCallsAndBoxPerRotationAndSize)
{
    const std::vector<std::string> middle = {
        "SetPdfPenWidth 3", "SetJustifyMode 1", "SetJustifyX 10", "SetJustifyY 90", "SetPdfOption 2", "GetPdfData"};
    const struct Case {
        int16_t rotation;
        double width, height;
        int padWidth, padHeight;
        bool sideways;
    } cases[] = {
        {0, 200.0, 50.0, 200, 50, false},
        {90, 200.0, 50.0, 200, 50, true},
        {180, 200.0, 50.0, 200, 50, false},
        {270, 200.0, 50.0, 200, 50, true},
        {-90, 200.0, 50.0, 200, 50, false},  // only 90 and 270 lay the box on its side
        {45, 200.0, 50.0, 200, 50, false},
        {0, 100.75, 40.25, 100, 40, false},  // whole parts to the pad, the box exact
        {90, 100.75, 40.25, 100, 40, true},
        {0, -0.5, 30.0, -1, 30, false},      // rounded down, not towards zero
        {0, -200.25, -0.25, -201, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "rotation " << c.rotation << " W " << c.width << " H " << c.height);
        ShowPage(c.rotation);
        HandlerEngine engine(true);
        RecordingPad pad;
        const DocumentRecord record(Fixed(c.width), Fixed(c.height));
        EXPECT_TRUE(BuildAppearanceData(engine, pad, record.View(), DistinctSettings()));

        std::vector<std::string> expected;
        if (c.rotation != 0)
            expected.push_back("SetRotation " + std::to_string(c.rotation));
        expected.push_back("SetPdfWidth " + std::to_string(c.padWidth));
        expected.push_back("SetPdfHeight " + std::to_string(c.padHeight));
        expected.insert(expected.end(), middle.begin(), middle.end());
        if (c.rotation != 0) {
            expected.push_back("SetRotatedFlag 0");
            expected.push_back("SetRotation 0");
        }
        EXPECT_EQ(pad.calls, expected);

        const ASFixed w = Fixed(c.width), h = Fixed(c.height);
        EXPECT_EQ(BoxOf(engine), (std::vector<ASFixed>{0, 0, c.sideways ? h : w, c.sideways ? w : h}));
        EXPECT_EQ(std::string(engine.AppearanceData(), engine.AppearanceLength()), pad.drawing);
    }
}

TEST_F(Appearance, RotationComesFromThePageOnScreen)
{
    PDDoc doc = host.viewer().OpenDocument({0, 90, 270}, 0);
    HandlerEngine engine(true);
    const DocumentRecord record(Fixed(200), Fixed(50));
    for (size_t page : {1, 0, 2}) {
        ASSERT_TRUE(host.viewer().ShowPage(doc, page));
        RecordingPad pad;
        BuildAppearanceData(engine, pad, record.View(), AppearanceSettings());
        const std::string first = page == 0 ? "SetPdfWidth 200" : page == 1 ? "SetRotation 90" : "SetRotation 270";
        ASSERT_FALSE(pad.calls.empty());
        EXPECT_EQ(pad.calls.front(), first) << page;
    }
    // No active document reads as an upright page.
    host.viewer().SetCurrentDocument(nullptr);
    RecordingPad pad;
    BuildAppearanceData(engine, pad, record.View(), AppearanceSettings());
    EXPECT_EQ(pad.calls.front(), "SetPdfWidth 200");
}

TEST_F(Appearance, DrawingIsKeptByteForByteInOneHostBlock)
{
    ShowPage(0);
    const DocumentRecord record(Fixed(200), Fixed(50));
    {
        HandlerEngine engine(true);
        RecordingPad pad;
        pad.drawing.clear();
        for (int i = 0; i < 1000; ++i)
            pad.drawing.push_back(static_cast<char>(i * 7));  // zero bytes included
        BuildAppearanceData(engine, pad, record.View(), AppearanceSettings());
        ASSERT_EQ(engine.AppearanceLength(), 1000);
        EXPECT_EQ(std::memcmp(engine.AppearanceData(), pad.drawing.data(), 1000), 0);
        EXPECT_TRUE(host.memory().Owns(engine.AppearanceData()));
        EXPECT_EQ(host.memory().SizeOf(engine.AppearanceData()), 1000u);
        EXPECT_EQ(host.memory().LiveBlocks(), 1u);

        // A newer drawing replaces the block; an empty one is still a drawing.
        pad.drawing.clear();
        BuildAppearanceData(engine, pad, record.View(), AppearanceSettings());
        EXPECT_NE(engine.AppearanceData(), nullptr);
        EXPECT_EQ(engine.AppearanceLength(), 0);
        EXPECT_EQ(host.memory().LiveBlocks(), 1u);
    }
    EXPECT_EQ(host.memory().LiveBlocks(), 0u);
    EXPECT_EQ(host.memory().ForeignFrees(), 0u);
}

TEST_F(Appearance, WithoutANewDrawingTheLastOneStays)
{
    PDDoc doc = host.viewer().OpenDocument({0, 90});
    HandlerEngine engine(true);
    RecordingPad pad;
    pad.drawing = "first drawing";
    BuildAppearanceData(engine, pad, DocumentRecord(Fixed(200), Fixed(50)).View(), AppearanceSettings());
    const char* first = engine.AppearanceData();

    const struct {
        const char* what;
        bool padDraws;
        bool refuseMemory;
        bool answer;
        bool boxRenewed;
    } cases[] = {
        {"pad has nothing to draw", false, false, true, true},
        {"host memory refused", true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        engine.AdoptAppearanceData(const_cast<char*>(first), engine.AppearanceLength(), nullptr);  // box (0, 0, 0, 0)
        host.viewer().ShowPage(doc, 1);
        pad.hasDrawing = c.padDraws;
        pad.drawing = "second drawing";
        host.memory().SetRefuseAllocations(c.refuseMemory);
        EXPECT_EQ(BuildAppearanceData(engine, pad, DocumentRecord(Fixed(120), Fixed(30.5)).View(), AppearanceSettings()),
                  c.answer);
        host.memory().SetRefuseAllocations(false);
        EXPECT_EQ(engine.AppearanceData(), first);
        EXPECT_EQ(std::string(engine.AppearanceData(), engine.AppearanceLength()), "first drawing");
        EXPECT_EQ(BoxOf(engine), c.boxRenewed ? (std::vector<ASFixed>{0, 0, Fixed(30.5), Fixed(120)}) : (std::vector<ASFixed>{0, 0, 0, 0}));
        EXPECT_EQ(host.memory().LiveBlocks(), 1u);
        // The pad is turned back whatever it drew.
        EXPECT_EQ(pad.calls.back(), "SetRotation 0");
        host.viewer().ShowPage(doc, 0);
    }
}

TEST_F(Appearance, FormObjectFromTheDrawingAndItsBox)
{
    PDDoc doc = host.viewer().OpenDocument({90});
    const size_t blocksBefore = host.memory().LiveBlocks();
    {
        HandlerEngine engine(true);
        RecordingPad pad;
        pad.drawing = std::string("q 1 0 0 1 0 0 cm\0Q", 19);
        BuildAppearanceData(engine, pad, DocumentRecord(Fixed(100.75), Fixed(40)).View(), AppearanceSettings());
        const char* data = engine.AppearanceData();

        // Any number of times, always from the current drawing, which the engine keeps.
        for (int i = 0; i < 2; ++i) {
            CosObj object = MakeAppearanceObject(engine, AppearanceRecord(doc).View());
            const standin::FormObject* form = host.cos().FormObjectOf(object);
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->doc, host.viewer().CosDocOf(doc));
            EXPECT_EQ(form->data, pad.drawing);
            const std::vector<ASFixed> box = {0, 0, Fixed(40), Fixed(100.75)};
            EXPECT_EQ(std::vector<ASFixed>(form->rect, form->rect + 4), box);
            EXPECT_EQ(std::vector<ASFixed>(form->bbox, form->bbox + 4), box);
            EXPECT_EQ(engine.AppearanceData(), data);
        }
        EXPECT_EQ(host.memory().LiveBlocks(), blocksBefore + 1);
    }
    EXPECT_EQ(host.memory().LiveBlocks(), blocksBefore);
    EXPECT_EQ(host.memory().ForeignFrees(), 0u);
}

TEST_F(Appearance, FormObjectBeforeAnyCaptureAndForAForeignDocument)
{
    PDDoc doc = host.viewer().OpenDocument({0});
    HandlerEngine engine(true);
    const standin::FormObject* form = host.cos().FormObjectOf(MakeAppearanceObject(engine, AppearanceRecord(doc).View()));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->data, "");
    EXPECT_EQ(std::vector<ASFixed>(form->rect, form->rect + 4), (std::vector<ASFixed>{0, 0, 0, 0}));

    // A document the host does not know gets its null object, passed on as is.
    int other = 0;
    CosObj none = MakeAppearanceObject(engine, AppearanceRecord(&other).View());
    EXPECT_EQ(host.cos().TypeOf(none), kCosNull);
    EXPECT_EQ(host.memory().LiveBlocks(), 0u);
}

}  // namespace
