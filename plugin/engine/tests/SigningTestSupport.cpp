#include "SigningTestSupport.h"

#include <cstdio>

#include "CQuillix.h"
#include "FrameworkChecks.h"
#include "PadReplay.h"
#include "PadSettings.h"
#include "PenvanePdfIds.h"
#include "Resource.h"
#include "SignatureValidation.h"
#include "SignatureValue.h"

namespace {

std::wstring OcxRegistration()
{
    const std::wstring key = L"CLSID\\" + fw::AnsiToWide(std::string(penvanepdf::kControlClsidText)) +
                             L"\\InprocServer32";
    return FindString(key, nullptr).value_or(L"");
}

bool OcxRegistered()
{
    const std::wstring path = OcxRegistration();
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The module's DllCanUnloadNow answers S_OK only with no object and no lock left.
void ExpectModuleUnloadable(const wchar_t* module)
{
    HMODULE handle = GetModuleHandleW(module);
    if (!handle)
        return;
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(handle, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_OK) << "objects of " << fw::WideToAnsi(std::wstring(module)) << " still alive";
}

std::string SettingsPath()
{
    char dir[MAX_PATH] = {};
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\" + penvane::kSettingsFileName;
}

HWND WaitForCaptureDialog()
{
    for (int i = 0; i < 1000; ++i) {
        HWND dialog = FindWindowA("#32770", "Signature Capture");
        if (dialog && IsWindowVisible(dialog) && GetDlgItem(dialog, IDC_PAD) && GetDlgItem(dialog, IDC_PAD_SECOND))
            return dialog;
        Sleep(10);
    }
    return nullptr;
}

// Returns once the dialog's thread has handled what was posted before.
void Settle(HWND dialog)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
    Sleep(20);
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
}

}  // namespace

void SigningEnvironment::SetUp()
{
    quillix::testing::Environment::SetUp();
    if (!OcxRegistered()) {
        ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + WinePath(PENVANEPDF_MODULE_PATH) + L"\"", nullptr), 0u)
            << "regsvr32 PenvanePdf.OCX";
    }
    ASSERT_TRUE(testsupport::MakeLazyWindowsWith(penvanepdf::kControlClsid));
}

void SigningTest::SetUp()
{
    BoundHost::SetUp();
    RemoveSettings();
    m_windowsBefore = ProcessWindows();
    engine = std::make_unique<HandlerEngine>(true);
}

void SigningTest::TearDown()
{
    engine.reset();
    for (ASCab bag : m_bags)
        host.bags().Destroy(bag);
    m_bags.clear();
    PumpMessages(0);

    EXPECT_EQ(host.memory().LiveBlocks(), 0u) << "host blocks not given back";
    EXPECT_EQ(host.memory().LiveBytes(), 0u);
    EXPECT_EQ(host.memory().ForeignFrees(), 0u);
    EXPECT_EQ(host.texts().LiveTexts(), 0u) << "host texts not given back";
    EXPECT_EQ(host.texts().StrayDestroys(), 0u);
    EXPECT_EQ(host.bags().Misuses(), 0u);
    EXPECT_EQ(host.callbacks().Live(), 0u) << "callbacks not destroyed";
    EXPECT_EQ(host.callbacks().StrayDestroys(), 0u);
    EXPECT_EQ(host.viewer().ModalDepth(), 0) << "host left in its modal state";
    EXPECT_EQ(host.viewer().UnbalancedModalEnds(), 0);
    EXPECT_EQ(host.LiveScopes(), 0u);

    EXPECT_EQ(fw::LiveContainerObjects(), 0) << "container sites or sinks still alive";
    ExpectModuleUnloadable(L"quillix.dll");
    ExpectModuleUnloadable(L"PenvanePdf.OCX");
    const std::set<HWND> added = WindowsNotIn(ProcessWindows(), m_windowsBefore);
    EXPECT_EQ(added.size(), 0u) << "windows left behind:" << DescribeWindows(added);

    RemoveSettings();
    BoundHost::TearDown();
}

ASCab SigningTest::NewBag()
{
    m_bags.push_back(host.bags().Create());
    return m_bags.back();
}

std::unique_ptr<SigningRequest> SigningTest::NewSigning(CosObj field, int w, int h)
{
    auto request = std::make_unique<SigningRequest>();
    request->typeBag = NewBag();
    request->certificateBag = NewBag();
    request->propertiesBag = NewBag();
    request->document.Put(0x18, field);
    request->document.Put<ASFixed>(0x28, w << 16);
    request->document.Put<ASFixed>(0x2C, h << 16);
    request->document.Put(0x30, request->typeBag);
    request->signing.Put<int32_t>(0x28, -7);   // sentinels: the handler must write both
    request->signing.Put<int32_t>(0x2C, -7);
    request->signing.Put(0x30, request->certificateBag);
    request->signing.Put(0x38, request->propertiesBag);
    request->signing.Put(0x50, request->document.data());
    return request;
}

SigningTest::Value SigningTest::RequestValue(const std::vector<unsigned char>& digest)
{
    HostRecord record(0x40);
    record.Put(0x10, digest.data());
    record.Put<uint16_t>(0x20, 1);
    Value value;
    value.done = ProduceSignatureValue(*engine, SignatureValueRequest(record.data()));
    value.size = record.Get<uint32_t>(0x30);
    auto* block = record.Get<unsigned char*>(0x28);
    if (block) {
        EXPECT_EQ(host.memory().SizeOf(block), value.size);
        value.bytes.assign(block, block + value.size);
        host.memory().Free(block);
    }
    return value;
}

std::vector<int32_t> SigningTest::Validate(const std::vector<unsigned char>& value,
                                           const std::vector<unsigned char>& digest)
{
    ASCab results = host.bags().Create();
    host.bags().SetInt(results, "digest", -100);
    HostRecord record(0x40);
    record.Put(0x10, digest.data());
    record.Put(0x18, value.data());
    record.Put<uint32_t>(0x20, static_cast<uint32_t>(value.size()));
    record.Put(0x38, results);
    ValidateSignature(*engine, ValidationRequest(record.data()));
    std::vector<int32_t> codes;
    for (const char* key : {"digest", "trustFlags", "id"})
        codes.push_back(host.bags().IntOf(results, key, -100));
    host.bags().Destroy(results);
    return codes;
}

std::vector<unsigned char> Digest(unsigned char seed)
{
    std::vector<unsigned char> digest(20);
    for (size_t i = 0; i < digest.size(); ++i)
        digest[i] = static_cast<unsigned char>(seed * 31 + i * 7);
    return digest;
}

void WriteSettings(const std::string& text)
{
    FILE* f = std::fopen(SettingsPath().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

void RemoveSettings()
{
    DeleteFileA(SettingsPath().c_str());
}

const std::string& SampleSignatureString()
{
    static const std::string text = [] {
        CQuillix pad;
        if (!pad.Create(::GetDesktopWindow(), 2002))
            return std::string();
        // The size of the capture dialog's pad, so the strokes keep their shape.
        pad.MoveWindow(0, 0, 500, 200, FALSE);
        pad.SetCaptureState(1);
        if (!quillix::replay::PostStrokeFile(pad.GetSafeHwnd(), quillix::testing::SampleStrokeFile()))
            return std::string();
        PumpMessages(100);
        pad.SetCaptureState(0);
        pad.SetEncryptionMode(0);
        return pad.GetSignatureString();
    }();
    return text;
}

DialogSigner::DialogSigner(std::string location, std::string contact, bool accept)
    : m_location(std::move(location)), m_contact(std::move(contact)), m_accept(accept), m_thread([this] { Run(); })
{
}

DialogSigner::~DialogSigner()
{
    m_thread.join();
}

void DialogSigner::Run()
{
    HWND dialog = WaitForCaptureDialog();
    if (!dialog)
        return;
    m_dialogSeen = true;
    Settle(dialog);
    m_replayed = quillix::replay::PostStrokeFile(GetDlgItem(dialog, IDC_PAD), quillix::testing::SampleStrokeFile());
    SendMessageTimeoutA(GetDlgItem(dialog, IDC_LOCATION), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(m_location.c_str()), SMTO_NORMAL, 5000, nullptr);
    SendMessageTimeoutA(GetDlgItem(dialog, IDC_CONTACT), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(m_contact.c_str()), SMTO_NORMAL, 5000, nullptr);
    Settle(dialog);
    PostMessageW(GetDlgItem(dialog, m_accept ? IDC_ACCEPT : IDCANCEL), BM_CLICK, 0, 0);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i)
        Sleep(10);
    if (IsWindow(dialog))
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);   // so that the test ends
}

namespace {
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new SigningEnvironment);
}
