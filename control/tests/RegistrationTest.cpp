// Self-registration: the order of the steps, their result codes and the
// messages, with failures injected through the registration seam; then the
// real module registered with regsvr32, its registry entries, a script
// driving the registered control, and unregistration removing them.
#include <objsafe.h>
#include <olectl.h>

#include "ControlTestSupport.h"
#include "Framework.h"
#include "PenvanePdfCtrl.h"
#include "PenvanePdfIds.h"
#include "SelfRegistration.h"

namespace {

// ---- the seam ---------------------------------------------------------------

struct Script {
    bool typeLibFails = false;
    bool classesFail = false;
    int createFailsAt = 0;  // 1-based call that fails; 0: none
    bool createNoManager = false;
    int registerFailsAt = 0;
    int unregisterFailsAt = 0;
    bool unregisterNoManager = false;
};

struct Log {
    Script script;
    int creates = 0, registers = 0, unregisters = 0;
    std::vector<std::string> steps;
    std::vector<std::string> messages;
};
Log g_log;

const HRESULT kNoManager = REGDB_E_CLASSNOTREG;
const HRESULT kRefused = E_ACCESSDENIED;

std::string Catid(REFCATID catid)
{
    if (IsEqualGUID(catid, CATID_SafeForInitializing)) return "init";
    if (IsEqualGUID(catid, CATID_SafeForScripting)) return "script";
    return "?";
}

const penvanepdf::RegistrationServices kFakeServices = {
    [] { g_log.steps.push_back("typelib+"); return g_log.script.typeLibFails ? FALSE : TRUE; },
    [] { g_log.steps.push_back("typelib-"); return g_log.script.typeLibFails ? FALSE : TRUE; },
    [](BOOL reg) { g_log.steps.push_back(reg ? "classes+" : "classes-"); return g_log.script.classesFail ? FALSE : TRUE; },
    [](REFCATID catid, const wchar_t* description, bool* manager) -> HRESULT {
        const bool fails = ++g_log.creates == g_log.script.createFailsAt;
        g_log.steps.push_back("category " + Catid(catid) + " \"" + fw::WideToAnsi(description) + "\"");
        *manager = !(fails && g_log.script.createNoManager);
        return fails ? (*manager ? kRefused : kNoManager) : S_OK;
    },
    [](REFCLSID clsid, REFCATID catid) -> HRESULT {
        g_log.steps.push_back(std::string(IsEqualCLSID(clsid, CPenvanePdfCtrl::guid) ? "control" : "?") + " in " +
                              Catid(catid));
        return ++g_log.registers == g_log.script.registerFailsAt ? kRefused : S_OK;
    },
    [](REFCLSID clsid, REFCATID catid, bool* manager) -> HRESULT {
        const bool fails = ++g_log.unregisters == g_log.script.unregisterFailsAt;
        g_log.steps.push_back(std::string(IsEqualCLSID(clsid, CPenvanePdfCtrl::guid) ? "control" : "?") + " out of " +
                              Catid(catid));
        *manager = !(fails && g_log.script.unregisterNoManager);
        return fails ? (*manager ? kRefused : kNoManager) : S_OK;
    },
};

int CaptureMessage(const char* text, UINT type)
{
    EXPECT_EQ(type, (UINT)MB_OK);
    g_log.messages.push_back(text);
    return IDOK;
}

class RegistrationSteps : public ::testing::Test {
protected:
    void SetUp() override { fw::SetMessageBoxHook(CaptureMessage); }
    void TearDown() override { fw::SetMessageBoxHook(nullptr); }
    static HRESULT Register(const Script& s)
    {
        g_log = Log();
        g_log.script = s;
        return penvanepdf::RegisterServer(kFakeServices);
    }
    static HRESULT Unregister(const Script& s)
    {
        g_log = Log();
        g_log.script = s;
        return penvanepdf::UnregisterServer(kFakeServices);
    }
};

TEST_F(RegistrationSteps, RegisterRunsEveryStepInOrder)
{
    EXPECT_EQ(Register({}), S_OK);
    EXPECT_EQ(g_log.steps, (std::vector<std::string>{
                               "typelib+", "classes+",
                               "category init \"Controls safely initializable from persistent data!\"",
                               "control in init", "category script \"Controls safely scriptable!\"",
                               "control in script"}));
    EXPECT_TRUE(g_log.messages.empty());
}

TEST_F(RegistrationSteps, RegisterStopsAtTheFirstFailureWithItsCodeAndMessages)
{
    struct Case {
        Script script;
        HRESULT expected;
        size_t stepsRun;
        std::vector<std::string> messages;
    } cases[] = {
        {{true}, SELFREG_E_TYPELIB, 1, {}},
        {{false, true}, SELFREG_E_CLASS, 2, {}},
        {{false, false, 1, true}, kNoManager, 3,
         {"Unable to create instance for StdComponentCategoriesMgr", "Failed to create category for SafeForInitializing"}},
        {{false, false, 1, false}, kRefused, 3,
         {"Unable to Register categories with StdComponentCategoriesMgr",
          "Failed to create category for SafeForInitializing"}},
        {{false, false, 0, false, 1}, kRefused, 4, {"Failed to register SafeForInitializing"}},
        {{false, false, 2, true}, kNoManager, 5,
         {"Unable to create instance for StdComponentCategoriesMgr", "Failed to create category for SafeForScripting"}},
        {{false, false, 2, false}, kRefused, 5,
         {"Unable to Register categories with StdComponentCategoriesMgr",
          "Failed to create category for SafeForScripting"}},
        {{false, false, 0, false, 2}, kRefused, 6, {"Failed to register SafeForScripting"}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(Register(c.script), c.expected) << "case " << i;
        EXPECT_EQ(g_log.steps.size(), c.stepsRun) << "case " << i;
        EXPECT_EQ(g_log.messages, c.messages) << "case " << i;
    }
}

TEST_F(RegistrationSteps, UnregisterStopsAtTheFirstFailureWithItsCodeAndMessages)
{
    struct Case {
        Script script;
        HRESULT expected;
        std::vector<std::string> steps;
        std::vector<std::string> messages;
    } cases[] = {
        {{}, S_OK, {"control out of init", "control out of script", "typelib-", "classes-"}, {}},
        // No manager: both messages, and the type library and classes stay.
        {{false, false, 0, false, 0, 1, true}, kNoManager, {"control out of init"},
         {"Failed to unregister CLSID", "Failed to unregister SafeForInitializing"}},
        {{false, false, 0, false, 0, 1, false}, kRefused, {"control out of init"},
         {"Failed to unregister SafeForInitializing"}},
        {{false, false, 0, false, 0, 2, true}, kNoManager, {"control out of init", "control out of script"},
         {"Failed to unregister CLSID"}},
        {{false, false, 0, false, 0, 2, false}, kRefused, {"control out of init", "control out of script"}, {}},
        {{true}, SELFREG_E_TYPELIB, {"control out of init", "control out of script", "typelib-"}, {}},
        {{false, true}, SELFREG_E_CLASS, {"control out of init", "control out of script", "typelib-", "classes-"}, {}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(Unregister(c.script), c.expected) << "case " << i;
        EXPECT_EQ(g_log.steps, c.steps) << "case " << i;
        EXPECT_EQ(g_log.messages, c.messages) << "case " << i;
    }
}

// ---- the real module ----------------------------------------------------------

TEST(RegisteredModule, Regsvr32WritesTheEntriesAScriptDrivesItAndUnregisterRemovesThem)
{
    const std::wstring module = L"\"" + WinePath(CONTROL_MODULE_PATH) + L"\"";
    ASSERT_EQ(RunProcess(L"regsvr32.exe /s " + module, nullptr), 0u);

    const std::wstring key = std::wstring(L"CLSID\\") + fw::AnsiToWide(penvanepdf::kControlClsidText);
    EXPECT_EQ(ReadString(key, nullptr), L"PenvanePdf Control");
    EXPECT_EQ(ReadString(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_NE(ReadString(key + L"\\InprocServer32", nullptr).find(L"PenvanePdf.OCX"), std::wstring::npos);
    EXPECT_EQ(ReadString(key + L"\\ProgID", nullptr), L"PENVANEPDF.PenvanePdfCtrl.1");
    EXPECT_EQ(ReadString(key + L"\\VersionIndependentProgID", nullptr), L"PENVANEPDF.PenvanePdfCtrl");
    EXPECT_EQ(ReadString(key + L"\\MiscStatus\\1", nullptr), L"131473");  // 0x00020191
    EXPECT_EQ(ReadString(key + L"\\TypeLib", nullptr), L"{C887F57A-C2C3-4AB5-874D-B5CCD0ABE646}");
    EXPECT_EQ(ReadString(key + L"\\Version", nullptr), L"1.0");
    EXPECT_NE(ReadString(key + L"\\ToolboxBitmap32", nullptr).find(L", 1"), std::wstring::npos);
    EXPECT_TRUE(KeyExists(key + L"\\Control"));
    EXPECT_TRUE(KeyExists(key + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_TRUE(KeyExists(key + L"\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_EQ(ReadString(L"PENVANEPDF.PenvanePdfCtrl.1\\CLSID", nullptr), fw::AnsiToWide(penvanepdf::kControlClsidText));
    const std::wstring page = std::wstring(L"CLSID\\") + fw::AnsiToWide(penvanepdf::kPropPageClsidText);
    EXPECT_EQ(ReadString(page, nullptr), L"PenvanePdf Property Page");
    EXPECT_NE(ReadString(page + L"\\InprocServer32", nullptr).find(L"PenvanePdf.OCX"), std::wstring::npos);
    EXPECT_EQ(ReadString(L"Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}", L"409"),
              L"Controls safely scriptable!");
    EXPECT_EQ(ReadString(L"Component Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}", L"409"),
              L"Controls safely initializable from persistent data!");
    EXPECT_TRUE(TypeLibRegistered(penvanepdf::kLibId, 1, 0, 0x0409));

    std::string output;
    const std::wstring script = L"\"" + WinePath(CONTROL_SCRIPT_DIR "/drive_control.js") + L"\"";
    EXPECT_EQ(RunProcess(L"cscript.exe //nologo " + script, &output), 0u);
    EXPECT_NE(output.find("Unknown|Unknown|Unknown||||TestTag|error 80070057|ok|error 800a01b6\r\nEND OF SCRIPT"),
              std::string::npos)
        << output;

    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u " + module, nullptr), 0u);
    EXPECT_FALSE(KeyExists(key));
    EXPECT_FALSE(KeyExists(page));
    EXPECT_FALSE(KeyExists(L"PENVANEPDF.PenvanePdfCtrl"));
    EXPECT_FALSE(KeyExists(L"PENVANEPDF.PenvanePdfCtrl.1"));
    EXPECT_FALSE(TypeLibRegistered(penvanepdf::kLibId, 1, 0, 0x0409));
    // The categories themselves stay.
    EXPECT_TRUE(KeyExists(L"Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
}

} // namespace
