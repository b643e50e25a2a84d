#include "TestSupport.h"

namespace {

// OLE, containment and the in-process test classes, for the whole program.
class FrameworkEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        AfxEnableControlContainer();
        ASSERT_EQ(COleObjectFactory::RegisterAll(), S_OK);
        // Let the system make its lazily created helper windows now, so that
        // they do not count as left behind by the first test.
        CWnd warm;
        ASSERT_TRUE(warm.CreateControl(CFwTestCtrl::guid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), 1));
        warm.DestroyWindow();
        PumpMessages(50);
    }
    void TearDown() override
    {
        COleObjectFactory::RevokeAll();
        OleUninitialize();
    }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new FrameworkEnvironment);

} // namespace

void FrameworkTest::SetUp()
{
    m_windowsBefore = ProcessWindows();
}

void FrameworkTest::TearDown()
{
    PumpMessages(0);
    EXPECT_EQ(COleControl::LiveObjects(), 0) << "controls still alive";
    EXPECT_EQ(fw::LiveContainerObjects(), 0) << "container sites or sinks still alive";
    EXPECT_EQ(COlePropertyPage::LiveObjects(), 0) << "property pages still alive";
    EXPECT_EQ(AfxOleGetObjectCount(), 0) << "module objects or locks outstanding";
    const std::set<HWND> after = ProcessWindows();
    const std::set<HWND> added = WindowsNotIn(after, m_windowsBefore);
    const std::set<HWND> removed = WindowsNotIn(m_windowsBefore, after);
    EXPECT_TRUE(added.empty()) << "windows left behind:" << DescribeWindows(added);
    EXPECT_TRUE(removed.empty()) << "windows gone that were there before:" << removed.size();
}
