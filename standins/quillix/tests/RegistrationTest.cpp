// Self-registration of quillix.dll with regsvr32, creation through CQuillix
// failing cleanly while the class is not registered, and the type library
// agreeing with the identity both deliverables use. Runs before every other
// test that hosts the control (it is their ctest fixture), and leaves the
// control registered.
#include "CQuillix.h"
#include "QuillixLib.h"
#include "QuillixTestSupport.h"

namespace {

using namespace quillix::testing;

class QuillixRegistration : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        AfxEnableControlContainer();
    }
    static void TearDownTestSuite()
    {
        CoFreeUnusedLibraries();
        OleUninitialize();
    }
};

TEST_F(QuillixRegistration, UnregisteredFailsCleanlyThenRegisteredCreates)
{
    const std::wstring key = L"CLSID\\" + fw::AnsiToWide(std::string(quillix::kClsidText));
    ASSERT_EQ(UnregisterStandin(), 0u);
    EXPECT_FALSE(KeyExists(key));
    EXPECT_FALSE(KeyExists(L"QUILLIX.QuillixCtrl.1"));
    EXPECT_FALSE(StandinRegistered());

    {
        const std::set<HWND> before = ProcessWindows();
        CQuillix pad;
        EXPECT_FALSE(pad.Create(CWnd::GetDesktopWindow(), 2002));
        EXPECT_EQ(pad.GetSafeHwnd(), nullptr);
        EXPECT_EQ(pad.GetControlUnknown(), nullptr);
        EXPECT_EQ(ProcessWindows(), before);
        EXPECT_EQ(fw::LiveContainerObjects(), 0);
    }

    ASSERT_EQ(RegisterStandin(), 0u);
    EXPECT_TRUE(StandinRegistered());
    EXPECT_EQ(ReadString(key, nullptr), L"Quillix Control");
    EXPECT_EQ(ReadString(key + L"\\ProgID", nullptr), L"QUILLIX.QuillixCtrl.1");
    EXPECT_EQ(ReadString(key + L"\\VersionIndependentProgID", nullptr), L"QUILLIX.QuillixCtrl");
    EXPECT_EQ(ReadString(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_TRUE(KeyExists(key + L"\\Control"));
    EXPECT_EQ(ReadString(L"QUILLIX.QuillixCtrl.1\\CLSID", nullptr), fw::AnsiToWide(std::string(quillix::kClsidText)));

    // The type library names the class both deliverables create.
    ITypeLib* lib = nullptr;
    ASSERT_EQ(LoadRegTypeLib(LIBID_QuillixLib, 1, 0, 0, &lib), S_OK);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(lib->GetTypeInfoOfGuid(quillix::kClsid, &info), S_OK);
    if (info) info->Release();
    lib->Release();
    EXPECT_TRUE(IsEqualCLSID(CLSID_Quillix, quillix::kClsid));

    {
        CQuillix pad;
        ASSERT_TRUE(pad.Create(CWnd::GetDesktopWindow(), 2002));
        EXPECT_EQ(pad.GetPadExtentX(), 2000);
        pad.DestroyWindow();
    }
    EXPECT_EQ(fw::LiveContainerObjects(), 0);
}

} // namespace
