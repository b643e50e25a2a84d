// The registrable test control module: self-registration with regsvr32, the
// registry entries it writes, scripting hosts creating it by ProgID, and
// unregistration removing what was written.
#include "TestSupport.h"

namespace {

const GUID kLibId = {0x7fe8a03d, 0xcbb4, 0x408c, {0x9b, 0xcd, 0x25, 0x98, 0x17, 0x95, 0x35, 0x34}};
const wchar_t kClsidKey[] = L"CLSID\\{C4CEFA7C-3A0C-4F01-8D42-504475D3E828}";

std::wstring Script(const char* name)
{
    return L"\"" + WinePath((std::string(FW_TEST_SCRIPT_DIR) + "/" + name).c_str()) + L"\"";
}

class Registration : public FrameworkTest {};

TEST_F(Registration, RegisterDriveFromScriptsAndUnregister)
{
    const std::wstring module = L"\"" + WinePath(FW_TEST_MODULE_PATH) + L"\"";
    ASSERT_EQ(RunProcess(L"regsvr32.exe /s " + module, nullptr), 0u);

    const std::wstring key = kClsidKey;
    EXPECT_EQ(ReadString(key, nullptr), L"FwTest Control");
    EXPECT_EQ(ReadString(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_NE(ReadString(key + L"\\InprocServer32", nullptr).find(L"fwtestctl.dll"), std::wstring::npos);
    EXPECT_EQ(ReadString(key + L"\\ProgID", nullptr), L"FwTest.TestCtrl.1");
    EXPECT_EQ(ReadString(key + L"\\VersionIndependentProgID", nullptr), L"FwTest.TestCtrl");
    EXPECT_EQ(ReadString(key + L"\\MiscStatus\\1", nullptr), L"131473");
    EXPECT_EQ(ReadString(key + L"\\TypeLib", nullptr), L"{7FE8A03D-CBB4-408C-9BCD-259817953534}");
    EXPECT_EQ(ReadString(key + L"\\Version", nullptr), L"1.0");
    EXPECT_NE(ReadString(key + L"\\ToolboxBitmap32", nullptr).find(L", 1"), std::wstring::npos);
    EXPECT_TRUE(KeyExists(key + L"\\Control"));
    EXPECT_TRUE(KeyExists(key + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_EQ(ReadString(L"FwTest.TestCtrl\\CurVer", nullptr), L"FwTest.TestCtrl.1");
    EXPECT_EQ(ReadString(L"FwTest.TestCtrl.1\\CLSID", nullptr), L"{C4CEFA7C-3A0C-4F01-8D42-504475D3E828}");
    EXPECT_EQ(ReadString(L"CLSID\\{8C2A06B5-587C-4EA6-883D-4C295762AF9B}", nullptr), L"FwTest Property Page");
    EXPECT_TRUE(TypeLibRegistered(kLibId, 1, 0, 0));

    std::string output;
    EXPECT_EQ(RunProcess(L"cscript.exe //nologo " + Script("drive_test_control.js"), &output), 0u);
    EXPECT_NE(output.find("-5|65535|123456|true|abcd|9|error 8002000a|error 80070057\r\nEND OF SCRIPT"),
              std::string::npos)
        << output;
    EXPECT_EQ(RunProcess(L"cscript.exe //nologo " + Script("byref_test_control.vbs"), &output), 0u);
    EXPECT_NE(output.find("filled xxxx String\r\nrefilled xx\r\nEND OF SCRIPT"), std::string::npos) << output;

    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u " + module, nullptr), 0u);
    EXPECT_FALSE(KeyExists(key));
    EXPECT_FALSE(KeyExists(L"FwTest.TestCtrl"));
    EXPECT_FALSE(KeyExists(L"FwTest.TestCtrl.1"));
    EXPECT_FALSE(KeyExists(L"CLSID\\{8C2A06B5-587C-4EA6-883D-4C295762AF9B}"));
    EXPECT_FALSE(TypeLibRegistered(kLibId, 1, 0, 0));
}

} // namespace

namespace {

// {2F0B7C1E-4D5A-4E8B-9C61-3A7D0E5B9F42}
const GUID kEnglishLibId = {0x2f0b7c1e, 0x4d5a, 0x4e8b, {0x9c, 0x61, 0x3a, 0x7d, 0x0e, 0x5b, 0x9f, 0x42}};

// Writes and registers a one-interface library under locale 0x0409, as a
// control module's library usually is.
bool RegisterEnglishLibrary(const std::wstring& path)
{
    ICreateTypeLib2* create = nullptr;
    if (FAILED(CreateTypeLib2(SYS_WIN64, path.c_str(), &create))) return false;
    bool ok = SUCCEEDED(create->SetGuid(kEnglishLibId)) && SUCCEEDED(create->SetLcid(0x0409)) &&
              SUCCEEDED(create->SetVersion(1, 0)) && SUCCEEDED(create->SetName(const_cast<LPOLESTR>(L"FwEnglishLib"))) &&
              SUCCEEDED(create->SaveAllChanges());
    create->Release();
    ITypeLib* lib = nullptr;
    if (ok) ok = SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib));
    if (ok) {
        std::wstring p = path;
        ok = SUCCEEDED(RegisterTypeLib(lib, &p[0], nullptr));
        lib->Release();
    }
    return ok;
}

}  // namespace

TEST_F(Registration, UnregisteringATypeLibraryFindsTheLocaleItWasRegisteredUnder)
{
    wchar_t dir[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, dir), 0u);
    const std::wstring path = std::wstring(dir) + L"fw-english.tlb";
    const std::wstring key = L"TypeLib\\{2F0B7C1E-4D5A-4E8B-9C61-3A7D0E5B9F42}";
    ASSERT_TRUE(RegisterEnglishLibrary(path));
    ASSERT_TRUE(KeyExists(key + L"\\1.0\\409"));

    // Asked with the default locale 0, as a module that does not know it would.
    EXPECT_TRUE(AfxOleUnregisterTypeLib(kEnglishLibId, 1, 0));
    EXPECT_FALSE(KeyExists(key + L"\\1.0\\409"));
    EXPECT_FALSE(AfxOleUnregisterTypeLib(kEnglishLibId, 1, 0)) << "nothing left to remove";
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    DeleteFileW(path.c_str());
}
