#include <string>
#include <vector>

#include "FwApp.h"
#include "FwObjectFactory.h"
#include "FwStrings.h"

namespace {

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[64] = {};
    StringFromGUID2(guid, text, 64);
    return text;
}

std::wstring ModulePath(HINSTANCE instance)
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(instance, path.data(), (DWORD)path.size());
        if (n == 0) return std::wstring();
        if (n < path.size()) return std::wstring(path.data(), n);
        path.resize(path.size() * 2);
    }
}

std::wstring ResourceString(HINSTANCE instance, UINT id)
{
    wchar_t buffer[512] = {};
    int n = id ? LoadStringW(instance, id, buffer, 512) : 0;
    return n > 0 ? std::wstring(buffer, (size_t)n) : std::wstring();
}

// Sets the value `name` (null: default) of HKCR\`key` to `value`.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            (DWORD)((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

bool CreateEmptyKey(const std::wstring& key)
{
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::wstring ReadValue(const std::wstring& key, const wchar_t* name)
{
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::wstring();
    return buffer;
}

bool DeleteTree(const std::wstring& key)
{
    LONG r = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND) {
        r = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
        return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
    }
    return false;
}

// "Lib.Class.1" -> "Lib.Class"; a ProgID without a numeric version is its own.
std::wstring VersionIndependent(const std::wstring& progId)
{
    size_t dot = progId.find_last_of(L'.');
    if (dot == std::wstring::npos || dot + 1 == progId.size()) return progId;
    for (size_t i = dot + 1; i < progId.size(); ++i)
        if (progId[i] < L'0' || progId[i] > L'9') return progId;
    return progId.substr(0, dot);
}

bool RegisterServerKey(const std::wstring& clsidKey, HINSTANCE instance, int regFlags)
{
    const std::wstring server = clsidKey + L"\\InprocServer32";
    if (!SetValue(server, nullptr, ModulePath(instance))) return false;
    if (regFlags & afxRegApartmentThreading) return SetValue(server, L"ThreadingModel", L"Apartment");
    return true;
}

} // namespace

BOOL AfxOleRegisterControlClass(HINSTANCE instance, REFCLSID clsid, const char* progId, UINT idTypeName,
                                UINT idBitmap, int regFlags, DWORD miscStatus, REFGUID tlid, WORD verMajor,
                                WORD verMinor)
{
    const std::wstring clsidText = GuidText(clsid);
    const std::wstring key = L"CLSID\\" + clsidText;
    const std::wstring name = ResourceString(instance, idTypeName);
    const std::wstring prog = progId ? fw::AnsiToWide(std::string(progId)) : std::wstring();
    const std::wstring independent = VersionIndependent(prog);
    wchar_t number[32];

    bool ok = SetValue(key, nullptr, name) && RegisterServerKey(key, instance, regFlags) &&
              CreateEmptyKey(key + L"\\Control") && SetValue(key + L"\\MiscStatus", nullptr, L"0");
    wsprintfW(number, L"%lu", (unsigned long)miscStatus);
    ok = ok && SetValue(key + L"\\MiscStatus\\1", nullptr, number);
    wsprintfW(number, L", %u", idBitmap);
    ok = ok && SetValue(key + L"\\ToolboxBitmap32", nullptr, ModulePath(instance) + number);
    ok = ok && SetValue(key + L"\\TypeLib", nullptr, GuidText(tlid));
    wsprintfW(number, L"%u.%u", verMajor, verMinor);
    ok = ok && SetValue(key + L"\\Version", nullptr, number);
    if (ok && !prog.empty()) {
        ok = SetValue(key + L"\\ProgID", nullptr, prog) && SetValue(prog, nullptr, name) &&
             SetValue(prog + L"\\CLSID", nullptr, clsidText);
        if (ok && independent != prog) {
            ok = SetValue(key + L"\\VersionIndependentProgID", nullptr, independent) &&
                 SetValue(independent, nullptr, name) && SetValue(independent + L"\\CLSID", nullptr, clsidText) &&
                 SetValue(independent + L"\\CurVer", nullptr, prog);
        }
    }
    return ok ? TRUE : FALSE;
}

BOOL AfxOleRegisterPropertyPageClass(HINSTANCE instance, REFCLSID clsid, UINT idTypeName, int regFlags)
{
    const std::wstring key = L"CLSID\\" + GuidText(clsid);
    return SetValue(key, nullptr, ResourceString(instance, idTypeName)) && RegisterServerKey(key, instance, regFlags);
}

BOOL AfxOleUnregisterClass(REFCLSID clsid, const char* progId)
{
    const std::wstring clsidText = GuidText(clsid);
    bool ok = DeleteTree(L"CLSID\\" + clsidText);
    if (progId && *progId) {
        const std::wstring prog = fw::AnsiToWide(std::string(progId));
        ok = DeleteTree(prog) && ok;
        const std::wstring independent = VersionIndependent(prog);
        if (independent != prog) {
            // Another version may own the version-independent name by now.
            const std::wstring curVer = ReadValue(independent + L"\\CurVer", nullptr);
            const std::wstring owner = ReadValue(independent + L"\\CLSID", nullptr);
            if (curVer == prog || lstrcmpiW(owner.c_str(), clsidText.c_str()) == 0) ok = DeleteTree(independent) && ok;
        }
    }
    return ok ? TRUE : FALSE;
}

BOOL AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, const char* fileName, const char* helpDir)
{
    std::wstring path = fileName ? fw::AnsiToWide(std::string(fileName)) : ModulePath(instance);
    std::wstring help = helpDir ? fw::AnsiToWide(std::string(helpDir)) : std::wstring();
    ITypeLib* lib = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib))) return FALSE;
    bool ok = false;
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(lib->GetLibAttr(&attr))) {
        ok = IsEqualGUID(attr->guid, tlid) != 0;  // the resource must be the library asked for
        lib->ReleaseTLibAttr(attr);
    }
    if (ok) ok = SUCCEEDED(RegisterTypeLib(lib, &path[0], help.empty() ? nullptr : &help[0]));
    lib->Release();
    return ok ? TRUE : FALSE;
}

namespace {

// The locale a library version is registered under, from its registry key
// (HKCR\TypeLib\{guid}\maj.min\<hex locale>\win64). Wine's LoadRegTypeLib
// with locale 0 does not find a library registered under 0x0409, so the key
// is the reliable witness.
bool RegisteredLocale(REFGUID tlid, WORD verMajor, WORD verMinor, LCID* lcid)
{
    wchar_t guid[40] = {};
    if (!StringFromGUID2(tlid, guid, 40)) return false;
    wchar_t keyName[96] = {};
    swprintf(keyName, 96, L"TypeLib\\%ls\\%x.%x", guid, verMajor, verMinor);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    bool found = false;
    wchar_t sub[64];
    for (DWORD i = 0; !found; ++i) {
        DWORD len = 64;
        if (RegEnumKeyExW(key, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        wchar_t* end = nullptr;
        const unsigned long value = wcstoul(sub, &end, 16);
        if (end != sub && *end == L'\0') {  // FLAGS and HELPDIR are not locales
            *lcid = static_cast<LCID>(value);
            found = true;
        }
    }
    RegCloseKey(key);
    return found;
}

}  // namespace

BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD verMajor, WORD verMinor, LCID lcid)
{
    SYSKIND syskind = SYS_WIN64;
    ITypeLib* lib = nullptr;
    HRESULT loaded = LoadRegTypeLib(tlid, verMajor, verMinor, lcid, &lib);
    LCID registered = 0;
    if (FAILED(loaded) && RegisteredLocale(tlid, verMajor, verMinor, &registered))
        loaded = LoadRegTypeLib(tlid, verMajor, verMinor, lcid = registered, &lib);
    if (SUCCEEDED(loaded)) {
        TLIBATTR* attr = nullptr;
        if (SUCCEEDED(lib->GetLibAttr(&attr))) {
            lcid = attr->lcid;
            syskind = attr->syskind;
            lib->ReleaseTLibAttr(attr);
        }
        lib->Release();
    }
    return SUCCEEDED(UnRegisterTypeLib(tlid, verMajor, verMinor, lcid, syskind)) ? TRUE : FALSE;
}

namespace fw {

HRESULT LoadModuleTypeLib(REFGUID tlid, WORD verMajor, WORD verMinor, LCID lcid, ITypeLib** lib)
{
    if (!lib) return E_POINTER;
    *lib = nullptr;
    HRESULT hr = LoadRegTypeLib(tlid, verMajor, verMinor, lcid, lib);
    if (SUCCEEDED(hr)) return hr;
    ITypeLib* own = nullptr;
    HRESULT hr2 = LoadTypeLibEx(ModulePath(AfxGetInstanceHandle()).c_str(), REGKIND_NONE, &own);
    if (FAILED(hr2)) return hr;
    TLIBATTR* attr = nullptr;
    bool match = false;
    if (SUCCEEDED(own->GetLibAttr(&attr))) {
        match = IsEqualGUID(attr->guid, tlid) && attr->wMajorVerNum == verMajor;
        own->ReleaseTLibAttr(attr);
    }
    if (!match) {
        own->Release();
        return hr;
    }
    *lib = own;
    return S_OK;
}

namespace {
HRESULT CategoryRegistrar(ICatRegister** reg)
{
    return CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                            (void**)reg);
}
} // namespace

HRESULT CreateComponentCategory(REFCATID catid, const wchar_t* description, LCID lcid, bool* managerObtained)
{
    if (managerObtained) *managerObtained = false;
    ICatRegister* reg = nullptr;
    HRESULT hr = CategoryRegistrar(&reg);
    if (FAILED(hr)) return hr;
    if (managerObtained) *managerObtained = true;
    CATEGORYINFO info = {};
    info.catid = catid;
    info.lcid = lcid;
    const size_t max = sizeof info.szDescription / sizeof info.szDescription[0] - 1;  // 127
    std::wstring text = description ? description : L"";
    if (text.size() > max) text.resize(max);
    memcpy(info.szDescription, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    hr = reg->RegisterCategories(1, &info);
    reg->Release();
    return hr;
}

HRESULT RegisterClassInCategory(REFCLSID clsid, REFCATID catid)
{
    ICatRegister* reg = nullptr;
    HRESULT hr = CategoryRegistrar(&reg);
    if (FAILED(hr)) return hr;
    CATID ids[1] = {catid};
    hr = reg->RegisterClassImplCategories(clsid, 1, ids);
    reg->Release();
    return hr;
}

HRESULT UnregisterClassInCategory(REFCLSID clsid, REFCATID catid, bool* managerObtained)
{
    if (managerObtained) *managerObtained = false;
    ICatRegister* reg = nullptr;
    HRESULT hr = CategoryRegistrar(&reg);
    if (FAILED(hr)) return hr;
    if (managerObtained) *managerObtained = true;
    CATID ids[1] = {catid};
    hr = reg->UnRegisterClassImplCategories(clsid, 1, ids);
    reg->Release();
    return hr;
}

} // namespace fw
