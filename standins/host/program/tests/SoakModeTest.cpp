// penvane-host --soak, short: a few captures through the real capture dialog
// and validations in this process grow none of the figures; and the counters
// the long run trusts do see an object made and gone again, or its "no
// growth" would prove nothing.
#include <ole2.h>
#include <gtest/gtest.h>

#include <sstream>

#include "GuiObjects.h"
#include "QuillixIds.h"
#include "QuillixTestSupport.h"
#include "SoakMode.h"

namespace {

// The pad stand-in is registered by the quillix environment; the capture
// control is registered here (the registry lock keeps the test that
// unregisters it away).
class SoakEnvironment : public quillix::testing::Environment {
public:
    void SetUp() override
    {
        quillix::testing::Environment::SetUp();
        ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + WinePath(PENVANEPDF_MODULE_PATH) + L"\"", nullptr), 0u)
            << "regsvr32 PenvanePdf.OCX";
    }
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new SoakEnvironment);

TEST(HostSoak, CapturesAndValidationsGrowNothing)
{
    standin::SoakOptions options;
    options.captures = 5;
    options.validations = 20;
    options.strokes = quillix::testing::SampleStrokeFile();
    const standin::SoakResult result = standin::RunSoak(WinePath(PENVANE_PLUGIN_PATH), options);
    ASSERT_TRUE(result.ran) << result.failure;
    std::ostringstream out;
    EXPECT_EQ(standin::PrintSoak(options, result, out), 0) << out.str();
    EXPECT_EQ(result.wrongVerdicts, 0) << "each of the 4 wrong digests must be refused, the 16 right ones valid";
    EXPECT_EQ(result.figures.size(), 8u);
    for (const standin::SoakFigure& f : result.figures) EXPECT_GE(f.start, 0) << f.name << " not counted";
    const std::string text = out.str();
    EXPECT_EQ(text.substr(text.rfind("soak_growth=")), "soak_growth=0\n");
}

HWND NewWindow()
{
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
}

TEST(HostSoak, TheCountersSeeObjectsComeAndGo)
{
    const standin::GuiObjectCounter gui;
    // A thread's top-level windows bring the system's own along (an input
    // method window, for as long as one of them lives): one lives throughout.
    HWND first = NewWindow();
    ASSERT_NE(first, nullptr);
    const long long gdi = gui.GdiObjects(), user = gui.UserObjects();
    ASSERT_GE(gdi, 0) << "no GDI count on this system";

    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    EXPECT_EQ(gui.GdiObjects(), gdi + 1);
    DeleteObject(brush);
    EXPECT_EQ(gui.GdiObjects(), gdi);

    HWND window = NewWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(gui.UserObjects(), user + 1);
    DestroyWindow(window);
    EXPECT_EQ(gui.UserObjects(), user);
    DestroyWindow(first);

    const long long handles = standin::KernelHandles();
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(standin::KernelHandles(), handles + 1);
    CloseHandle(event);
    EXPECT_EQ(standin::KernelHandles(), handles);

    EXPECT_EQ(standin::ModulesHoldingComObjects(), 0);
    IUnknown* pad = nullptr;
    ASSERT_EQ(CoCreateInstance(quillix::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&pad)),
              S_OK);
    EXPECT_EQ(standin::ModulesHoldingComObjects(), 1) << "a live pad control";
    pad->Release();
    EXPECT_EQ(standin::ModulesHoldingComObjects(), 0);
}

}  // namespace
