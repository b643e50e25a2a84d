// Class factories of a module, DllGetClassObject/DllCanUnloadNow support, and
// the registry entries of control and property-page classes, type libraries
// and component categories.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <comcat.h>
#include <new>

namespace fw {
typedef HRESULT (*CreateObjectFn)(REFIID riid, void** ppv);

// Objects of the framework start with one reference, the creator's.
template <class T> HRESULT CreateComObject(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    T* object = new (std::nothrow) T;
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}
} // namespace fw

// One static factory per creatable class; factories link themselves into the
// module's list at static initialisation (no COM call happens there).
class COleObjectFactory : public IClassFactory {
public:
    COleObjectFactory(REFCLSID clsid, fw::CreateObjectFn create, const char* progId);
    virtual ~COleObjectFactory();
    COleObjectFactory(const COleObjectFactory&) = delete;
    COleObjectFactory& operator=(const COleObjectFactory&) = delete;

    // Writes (TRUE) or removes (FALSE) this class's registry entries. The base
    // does nothing and answers TRUE.
    virtual BOOL UpdateRegistry(BOOL bRegister);
    // Every factory of the module, in declaration order; FALSE at the first failure.
    static BOOL UpdateRegistryAll(BOOL bRegister);

    // DllGetClassObject and DllCanUnloadNow of the module.
    static HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    static HRESULT CanUnloadNow();
    // Makes every factory of the module available with CoRegisterClassObject
    // (apartment-local; for tests and executables), and takes them back.
    static HRESULT RegisterAll();
    static void RevokeAll();

    REFCLSID GetClassID() const { return m_clsid; }
    const char* GetProgID() const { return m_lpszProgID; }

    // IClassFactory (the factory is static: references do not delete it)
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

protected:
    CLSID m_clsid;
    fw::CreateObjectFn m_create;
    const char* m_lpszProgID;

private:
    COleObjectFactory* m_next;
    DWORD m_cookie;
};

// Declares the nested factory class `<class>Factory`, its static instance
// `factory`, the class identifier `guid` and the IPersist::GetClassID answer.
#define DECLARE_OLECREATE_EX(class_name)                                            \
public:                                                                             \
    class class_name##Factory : public ::COleObjectFactory {                        \
    public:                                                                         \
        class_name##Factory(REFCLSID clsid, ::fw::CreateObjectFn create, const char* progId) \
            : ::COleObjectFactory(clsid, create, progId) {}                         \
        BOOL UpdateRegistry(BOOL bRegister) override;                               \
    };                                                                              \
    static class_name##Factory factory;                                             \
    static const GUID guid;                                                         \
    static HRESULT FwCreateInstance(REFIID riid, void** ppv);                       \
    STDMETHODIMP GetClassID(LPCLSID pclsid) override;

#define IMPLEMENT_OLECREATE_EX(class_name, external_name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    const GUID class_name::guid = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}};   \
    HRESULT class_name::FwCreateInstance(REFIID riid, void** ppv)                   \
    { return ::fw::CreateComObject<class_name>(riid, ppv); }                        \
    class_name::class_name##Factory class_name::factory(class_name::guid, &class_name::FwCreateInstance, external_name); \
    STDMETHODIMP class_name::GetClassID(LPCLSID pclsid)                             \
    { if (!pclsid) return E_POINTER; *pclsid = guid; return S_OK; }

// ---- registry helpers (HKEY_CLASSES_ROOT) ----------------------------------

enum { afxRegDefault = 0, afxRegInsertable = 1, afxRegApartmentThreading = 2 };

// CLSID key with the user type name (string `idTypeName`), ProgID and version-
// independent ProgID with CurVer, InprocServer32 (module path, and
// ThreadingModel "Apartment" with afxRegApartmentThreading), Control,
// MiscStatus, ToolboxBitmap32 (module path and `idBitmap`), TypeLib, Version.
BOOL AfxOleRegisterControlClass(HINSTANCE instance, REFCLSID clsid, const char* progId, UINT idTypeName,
                                UINT idBitmap, int regFlags, DWORD miscStatus, REFGUID tlid, WORD verMajor,
                                WORD verMinor);
// CLSID key with the name (string `idTypeName`) and InprocServer32.
BOOL AfxOleRegisterPropertyPageClass(HINSTANCE instance, REFCLSID clsid, UINT idTypeName, int regFlags);
// Removes the CLSID key, the ProgID, and the version-independent ProgID when
// it still points at `progId`. Entries already absent count as removed.
BOOL AfxOleUnregisterClass(REFCLSID clsid, const char* progId);
// Registers the module's TYPELIB resource (or `fileName`).
BOOL AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, const char* fileName = nullptr,
                           const char* helpDir = nullptr);
// Unregisters a type library under the locale and platform it was
// registered with (read back from the registration); `lcid` is used only
// when that cannot be read.
BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD verMajor, WORD verMinor, LCID lcid = 0);

namespace fw {
// The module's type library: the registered one, else the module's own
// TYPELIB resource (so a class made available with CoRegisterClassObject
// works without any registry entry).
HRESULT LoadModuleTypeLib(REFGUID tlid, WORD verMajor, WORD verMinor, LCID lcid, ITypeLib** lib);

// Component categories manager. *managerObtained tells which step failed.
// The description is cut to its first 127 characters.
HRESULT CreateComponentCategory(REFCATID catid, const wchar_t* description, LCID lcid, bool* managerObtained);
HRESULT RegisterClassInCategory(REFCLSID clsid, REFCATID catid);
HRESULT UnregisterClassInCategory(REFCLSID clsid, REFCATID catid, bool* managerObtained);
} // namespace fw
