#include "TestSupport.h"

#include "FrameworkChecks.h"

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
        ASSERT_TRUE(testsupport::MakeLazyWindowsWith(CFwTestCtrl::guid));
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
    testsupport::ExpectNoFrameworkObjectsAlive();
    EXPECT_TRUE(CFwTestCtrl::FreedObjectsUntouched()) << "a test control was written to after it was freed";
    const std::set<HWND> after = ProcessWindows();
    const std::set<HWND> added = WindowsNotIn(after, m_windowsBefore);
    const std::set<HWND> removed = WindowsNotIn(m_windowsBefore, after);
    EXPECT_TRUE(added.empty()) << "windows left behind:" << DescribeWindows(added);
    EXPECT_TRUE(removed.empty()) << "windows gone that were there before:" << removed.size();
}
