// The application object's start-up and exit, outside the loader lock, and
// the class-object entry points of the module.
#include "TestSupport.h"

namespace {

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("Framework Tests") {}
    int inits = 0;
    int exits = 0;
    BOOL InitInstance() override
    {
        ++inits;
        return CWinApp::InitInstance();
    }
    int ExitInstance() override
    {
        ++exits;
        return CWinApp::ExitInstance();
    }
};

TestApp theApp;

std::string g_lastBox;
int CaptureBox(const char* text, UINT)
{
    g_lastBox = text;
    return IDOK;
}

class App : public FrameworkTest {};

TEST_F(App, StartsOnceOnFirstEntryAndExitsAtUnload)
{
    EXPECT_EQ(AfxGetApp(), &theApp);
    EXPECT_EQ(theApp.m_hInstance, GetModuleHandleW(nullptr));
    const int inits = theApp.inits;
    EXPECT_TRUE(AfxModuleStartup());
    EXPECT_TRUE(AfxModuleStartup());
    EXPECT_EQ(theApp.inits, inits + 1);

    // DllCanUnloadNow: not while an object lives; yes (and exit) after.
    IUnknown* control = nullptr;
    ASSERT_EQ(CoCreateInstance(CFwTestCtrl::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, (void**)&control), S_OK);
    EXPECT_EQ(COleObjectFactory::CanUnloadNow(), S_FALSE);
    control->Release();
    const int exits = theApp.exits;
    EXPECT_EQ(COleObjectFactory::CanUnloadNow(), S_OK);
    EXPECT_EQ(theApp.exits, exits + 1);

    // The next entry through the class-object export starts the module again.
    IClassFactory* factory = reinterpret_cast<IClassFactory*>(0x1);
    EXPECT_EQ(COleObjectFactory::GetClassObject(CFwTestCtrl::guid, IID_IClassFactory, (void**)&factory), S_OK);
    EXPECT_EQ(theApp.inits, inits + 2);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(COleObjectFactory::CanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory);
    IUnknown* made = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, (void**)&made), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(made, nullptr);
    factory->Release();
    AfxModuleShutdown();

    factory = reinterpret_cast<IClassFactory*>(0x1);
    const CLSID unknown = {0x1b891f96, 0x7017, 0x472b, {0x81, 0xa5, 0x6d, 0xf1, 0x9b, 0x09, 0x29, 0x17}};
    EXPECT_EQ(COleObjectFactory::GetClassObject(unknown, IID_IClassFactory, (void**)&factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
}

TEST_F(App, MessageBoxGoesToTheHookWhenOneIsSet)
{
    fw::SetMessageBoxHook(CaptureBox);
    EXPECT_EQ(AfxMessageBox("Failed to do it"), IDOK);
    fw::SetMessageBoxHook(nullptr);
    EXPECT_EQ(g_lastBox, "Failed to do it");
}

} // namespace
