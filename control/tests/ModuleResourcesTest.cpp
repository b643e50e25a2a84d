// The built module's resources and type library, read back from
// PenvanePdf.OCX and compared with what the module must carry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <ole2.h>

#include "../../framework/src/DialogTemplate.h"
#include "ControlTestSupport.h"
#include "PenvanePdfCtrl.h"
#include "PenvanePdfIds.h"
#include "PenvaneVersion.h"

namespace {

class ModuleFile : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module = LoadLibraryExW(WinePath(CONTROL_MODULE_PATH).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite()
    {
        if (module) FreeLibrary(module);
        module = nullptr;
    }
    static std::vector<uint8_t> Resource(UINT id, LPCWSTR type)
    {
        HRSRC res = FindResourceExW(module, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!res) return {};
        const uint8_t* p = static_cast<const uint8_t*>(LockResource(LoadResource(module, res)));
        return std::vector<uint8_t>(p, p + SizeofResource(module, res));
    }
    static std::wstring String(UINT id)
    {
        wchar_t buffer[256] = {};
        LoadStringW(module, id, buffer, 256);
        return buffer;
    }
    static HMODULE module;
};
HMODULE ModuleFile::module = nullptr;

// A DLGTEMPLATEEX item, as far as the tests look at it.
struct Item {
    uint32_t id;
    std::u16string cls;
    std::u16string text;
    uint32_t style;
    int16_t x, y, cx, cy;
};

struct Reader {
    const uint8_t* p;
    size_t size, pos = 0;
    uint16_t Word() { uint16_t v; memcpy(&v, p + pos, 2); pos += 2; return v; }
    uint32_t Dword() { uint32_t v; memcpy(&v, p + pos, 4); pos += 4; return v; }
    void Align() { pos = (pos + 3) & ~size_t(3); }
    // sz_Or_Ord: 0, 0xFFFF + ordinal, or a string.
    std::u16string NameOrOrdinal()
    {
        uint16_t first = Word();
        if (first == 0) return u"";
        if (first == 0xFFFF) return u"#" + std::u16string(1, (char16_t)Word());
        std::u16string s(1, (char16_t)first);
        for (uint16_t c; (c = Word()) != 0;) s += (char16_t)c;
        return s;
    }
};

// A template may name a predefined class by its ordinal or by its name; the
// dialog manager treats both alike.
std::u16string PredefinedClassAsOrdinal(const std::u16string& cls)
{
    static const std::pair<const char16_t*, char16_t> known[] = {
        {u"BUTTON", 0x80}, {u"EDIT", 0x81}, {u"STATIC", 0x82}, {u"LISTBOX", 0x83}, {u"SCROLLBAR", 0x84}, {u"COMBOBOX", 0x85}};
    std::u16string upper = cls;
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z') c = (char16_t)(c - 32);
    for (const auto& k : known)
        if (upper == k.first) return u"#" + std::u16string(1, k.second);
    return cls;
}

struct Template {
    uint32_t style = 0;
    int16_t cx = 0, cy = 0;
    std::u16string caption, font;
    uint16_t pointSize = 0;
    std::vector<Item> items;
};

Template ReadTemplate(const std::vector<uint8_t>& bytes)
{
    Template t;
    Reader r{bytes.data(), bytes.size()};
    EXPECT_EQ(r.Word(), 1);       // dlgVer
    EXPECT_EQ(r.Word(), 0xFFFF);  // signature: DLGTEMPLATEEX
    r.Dword();                    // helpID
    r.Dword();                    // exStyle
    t.style = r.Dword();
    uint16_t count = r.Word();
    r.Word(); r.Word();
    t.cx = (int16_t)r.Word();
    t.cy = (int16_t)r.Word();
    r.NameOrOrdinal();  // menu
    r.NameOrOrdinal();  // class
    t.caption = r.NameOrOrdinal();
    t.pointSize = r.Word();
    r.Word(); r.Word();  // weight, italic + charset
    t.font = r.NameOrOrdinal();
    for (uint16_t i = 0; i < count; ++i) {
        r.Align();
        Item item;
        r.Dword();  // helpID
        r.Dword();  // exStyle
        item.style = r.Dword();
        item.x = (int16_t)r.Word();
        item.y = (int16_t)r.Word();
        item.cx = (int16_t)r.Word();
        item.cy = (int16_t)r.Word();
        item.id = r.Dword();
        item.cls = PredefinedClassAsOrdinal(r.NameOrOrdinal());
        item.text = r.NameOrOrdinal();
        uint16_t extra = r.Word();
        r.pos += extra;
        t.items.push_back(item);
    }
    return t;
}

TEST_F(ModuleFile, CaptureDialogTemplateItemByItem)
{
    ASSERT_NE(module, nullptr);
    Template t = ReadTemplate(Resource(201, MAKEINTRESOURCEW(5)));
    EXPECT_EQ(t.style, 0x80C800C0u);
    EXPECT_EQ(t.cx, 323);
    EXPECT_EQ(t.cy, 125);
    EXPECT_TRUE(t.caption == u"Signature Capture");
    EXPECT_TRUE(t.font == u"MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    const std::u16string pad = u"{D5A47061-AEE9-496B-B4A3-A8A794CF5AD0}";
    const uint32_t button = WS_CHILD | WS_VISIBLE | WS_TABSTOP;  // BS_PUSHBUTTON is 0
    const Item expected[] = {
        {2, u"#\x80", u"&Cancel", button, 229, 70, 50, 14},
        {201, u"#\x80", u"&Erase", button, 136, 70, 50, 14},
        {202, u"#\x80", u"&Accept", button, 43, 70, 50, 14},
        {203, pad, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 19, 14, 282, 43},
        {214, u"#\x85", u"", 0x50210103, 20, 91, 283, 30},
        {213, u"#\x83", u"", 0x50A10041, 19, 97, 283, 21},
        {215, u"#\x85", u"", 0x50210102, 18, 91, 283, 26},
        {216, u"#\x81", u"", 0x50810080, 70, 92, 232, 15},
        {217, u"#\x81", u"", 0x50810080, 68, 89, 232, 15},
        {218, u"#\x81", u"", 0x50810880, 21, 93, 44, 13},
        {219, u"#\x81", u"", 0x50810880, 18, 90, 44, 13},
        {220, pad, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 83, 29, 60, 25},
    };
    ASSERT_EQ(t.items.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        const Item& got = t.items[i];
        const Item& want = expected[i];
        SCOPED_TRACE("item " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(got.id, want.id);
        EXPECT_TRUE(got.cls == want.cls);
        EXPECT_TRUE(got.text == want.text);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
    }
}

TEST_F(ModuleFile, PadStreamsAndPropertyPageTemplate)
{
    std::vector<uint8_t> init = Resource(201, MAKEINTRESOURCEW(240));
    std::vector<fw::DlgInitEntry> entries;
    std::string error;
    ASSERT_TRUE(fw::ParseDlgInit(init.data(), init.size(), &entries, &error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, 203);
    EXPECT_EQ(entries[1].id, 220);
    for (const auto& e : entries) {
        EXPECT_EQ(e.message, fw::kDlgInitLoadFromStream);
        EXPECT_EQ(e.data.size(), 129u);
        uint32_t version = 0;
        memcpy(&version, e.data.data(), 4);
        EXPECT_EQ(version, 0x00010000u);
    }

    Template page = ReadTemplate(Resource(200, MAKEINTRESOURCEW(5)));
    EXPECT_EQ(page.style, 0x40000040u);
    EXPECT_EQ(page.cx, 250);
    EXPECT_EQ(page.cy, 62);
    EXPECT_TRUE(page.font == u"MS Sans Serif");
    EXPECT_EQ(page.pointSize, 8);
    ASSERT_EQ(page.items.size(), 1u);
    EXPECT_TRUE(page.items[0].cls == u"#\x82");
    EXPECT_TRUE(page.items[0].text ==
                u"TODO: Place controls to manipulate properties of PenvanePdf Control on this dialog.");
    EXPECT_EQ(page.items[0].x, 7);
    EXPECT_EQ(page.items[0].y, 25);
    EXPECT_EQ(page.items[0].cx, 229);
    EXPECT_EQ(page.items[0].cy, 16);
}

TEST_F(ModuleFile, StringsBitmapVersionAndManifest)
{
    EXPECT_EQ(String(1), L"PenvanePdf Control");
    EXPECT_EQ(String(2), L"PenvanePdf Property Page");
    EXPECT_EQ(String(200), L"General");

    std::vector<uint8_t> bitmap = Resource(1, MAKEINTRESOURCEW(2));
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    memcpy(&header, bitmap.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 16);
    EXPECT_EQ(header.biHeight, 15);
    EXPECT_EQ(header.biBitCount, 4);

    std::vector<uint8_t> version = Resource(1, MAKEINTRESOURCEW(16));
    ASSERT_FALSE(version.empty());
    void* fixedPtr = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", &fixedPtr, &len));
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, fixedPtr, sizeof fixed);
    // The product version of the file VERSION (5.0.0.0 as released).
    const DWORD v[] = {PENVANE_VERSION_NUMBERS};
    EXPECT_EQ(fixed.dwFileVersionMS, v[0] << 16 | v[1]);
    EXPECT_EQ(fixed.dwFileVersionLS, v[2] << 16 | v[3]);
    EXPECT_EQ(fixed.dwProductVersionMS, v[0] << 16 | v[1]);
    EXPECT_EQ(fixed.dwFileType, (DWORD)VFT_DLL);
    struct {
        const wchar_t* key;
        const wchar_t* value;
    } strings[] = {
        {L"FileDescription", L"PenvanePdf ActiveX Control Module"},
        {L"ProductName", L"PenvanePdf ActiveX Control Module"},
        {L"InternalName", L"PenvanePdf"},
        {L"OriginalFilename", L"PenvanePdf.OCX"},
        {L"FileVersion", L"" PENVANE_VERSION_TEXT},
        {L"ProductVersion", L"" PENVANE_VERSION_TEXT},
    };
    for (const auto& s : strings) {
        void* value = nullptr;
        std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.key;
        ASSERT_TRUE(VerQueryValueW(version.data(), path.c_str(), &value, &len)) << path.size();
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), s.value);
    }

    std::vector<uint8_t> manifest = Resource(2, MAKEINTRESOURCEW(24));
    std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(text.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
}

TEST_F(ModuleFile, TypeLibraryMemberByMember)
{
    ITypeLib* lib = nullptr;
    ASSERT_EQ(LoadTypeLibEx(WinePath(CONTROL_MODULE_PATH).c_str(), REGKIND_NONE, &lib), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, penvanepdf::kLibId));
    EXPECT_EQ(attr->lcid, 0x0409u);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_TRUE(attr->wLibFlags & LIBFLAG_FCONTROL);
    lib->ReleaseTLibAttr(attr);
    BSTR name = nullptr, doc = nullptr, helpFile = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &doc, nullptr, &helpFile), S_OK);
    EXPECT_EQ(std::wstring(name), L"PENVANEPDFLib");
    EXPECT_EQ(std::wstring(doc), L"PenvanePdf ActiveX Control module");
    EXPECT_NE(std::wstring(helpFile ? helpFile : L"").find(L"PenvanePdf.hlp"), std::wstring::npos);
    SysFreeString(name);
    SysFreeString(doc);
    SysFreeString(helpFile);
    ASSERT_EQ(lib->GetTypeInfoCount(), 3u);

    struct Param {
        const wchar_t* name;
        VARTYPE vt;  // VT_BSTR | VT_BYREF for BSTR*
    };
    struct Method {
        const wchar_t* name;
        DISPID id;
        VARTYPE result;
        std::vector<Param> params;
    };
    const Method methods[] = {
        {L"GetName", 1, VT_BSTR, {}},
        {L"GetPdfSig", 2, VT_VOID, {{L"SigData", VT_BSTR | VT_BYREF}, {L"Width", VT_I4}, {L"Height", VT_I4}}},
        {L"GetSigString", 3, VT_BSTR, {}},
        {L"AcquireSig", 4, VT_BOOL, {}},
        {L"GetReason", 5, VT_BSTR, {}},
        {L"GetLocation", 6, VT_BSTR, {}},
        {L"GetPathName", 7, VT_BSTR, {}},
        {L"GetSigTag", 8, VT_BSTR, {}},
        {L"SetSigFieldName", 9, VT_VOID, {{L"FieldName", VT_BSTR}}},
        {L"SetNumberOfReasons", 10, VT_VOID, {{L"NumReasons", VT_UI2}}},
        {L"SetReasonString", 11, VT_VOID, {{L"Index", VT_UI2}, {L"Reason", VT_BSTR}}},
        {L"SetReasonRequired", 12, VT_VOID, {{L"RequiredFlag", VT_UI2}}},
        {L"GetContactInfo", 13, VT_BSTR, {}},
    };

    ITypeInfo* info = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(penvanepdf::kDispatchIid, &info), S_OK);
    TYPEATTR* ta = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&ta), S_OK);
    EXPECT_EQ(ta->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FHIDDEN);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(ta->cVars, 0);
    ASSERT_EQ(ta->cFuncs, 13);
    info->ReleaseTypeAttr(ta);
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), L"_DPenvanePdf");
    EXPECT_EQ(std::wstring(doc), L"Dispatch interface for PenvanePdf Control");
    SysFreeString(name);
    SysFreeString(doc);
    for (UINT i = 0; i < 13; ++i) {
        const Method& want = methods[i];
        SCOPED_TRACE(std::to_string(i));
        FUNCDESC* fd = nullptr;
        ASSERT_EQ(info->GetFuncDesc(i, &fd), S_OK);
        EXPECT_EQ(fd->memid, want.id);
        EXPECT_EQ(fd->invkind, INVOKE_FUNC);
        EXPECT_EQ(fd->elemdescFunc.tdesc.vt, want.result);
        ASSERT_EQ(fd->cParams, (SHORT)want.params.size());
        BSTR names[4] = {};
        UINT got = 0;
        info->GetNames(fd->memid, names, 4, &got);
        EXPECT_EQ(got, want.params.size() + 1);
        EXPECT_EQ(std::wstring(names[0] ? names[0] : L""), want.name);
        for (SHORT p = 0; p < fd->cParams; ++p) {
            const TYPEDESC& td = fd->lprgelemdescParam[p].tdesc;
            VARTYPE vt = td.vt == VT_PTR ? (VARTYPE)(td.lptdesc->vt | VT_BYREF) : td.vt;
            EXPECT_EQ(vt, want.params[p].vt) << p;
            EXPECT_EQ(std::wstring(names[p + 1] ? names[p + 1] : L""), want.params[p].name);
        }
        for (BSTR n : names) SysFreeString(n);
        info->ReleaseFuncDesc(fd);
    }
    info->Release();

    ASSERT_EQ(lib->GetTypeInfoOfGuid(penvanepdf::kEventsIid, &info), S_OK);
    ASSERT_EQ(info->GetTypeAttr(&ta), S_OK);
    EXPECT_EQ(ta->typekind, TKIND_DISPATCH);
    EXPECT_FALSE(ta->wTypeFlags & TYPEFLAG_FHIDDEN);
    EXPECT_EQ(ta->cFuncs, 0);
    info->ReleaseTypeAttr(ta);
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), L"_DPenvanePdfEvents");
    EXPECT_EQ(std::wstring(doc), L"Event interface for PenvanePdf Control");
    SysFreeString(name);
    SysFreeString(doc);
    info->Release();

    EXPECT_TRUE(IsEqualGUID(CPenvanePdfCtrl::guid, penvanepdf::kControlClsid)) << "factory and header disagree";
    ASSERT_EQ(lib->GetTypeInfoOfGuid(penvanepdf::kControlClsid, &info), S_OK);
    ASSERT_EQ(info->GetTypeAttr(&ta), S_OK);
    EXPECT_EQ(ta->typekind, TKIND_COCLASS);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FCONTROL);
    ASSERT_EQ(ta->cImplTypes, 2);
    info->ReleaseTypeAttr(ta);
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), L"PenvanePdf");
    EXPECT_EQ(std::wstring(doc), L"PenvanePdf Control");
    SysFreeString(name);
    SysFreeString(doc);
    const std::pair<IID, INT> impl[] = {{penvanepdf::kDispatchIid, IMPLTYPEFLAG_FDEFAULT},
                                        {penvanepdf::kEventsIid, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        EXPECT_EQ(info->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, impl[i].second);
        HREFTYPE ref = 0;
        ITypeInfo* other = nullptr;
        ASSERT_EQ(info->GetRefTypeOfImplType(i, &ref), S_OK);
        ASSERT_EQ(info->GetRefTypeInfo(ref, &other), S_OK);
        TYPEATTR* oa = nullptr;
        other->GetTypeAttr(&oa);
        EXPECT_TRUE(IsEqualGUID(oa->guid, impl[i].first));
        other->ReleaseTypeAttr(oa);
        other->Release();
    }
    info->Release();
    lib->Release();
}

} // namespace
