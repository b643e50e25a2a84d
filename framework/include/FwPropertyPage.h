// COlePropertyPage: IPropertyPage over a dialog template (a child dialog,
// style WS_CHILD), with its caption from a string resource.
#pragma once

#include <ocidl.h>
#include <vector>

#include "FwDialog.h"

class COlePropertyPage : public CDialog, public IPropertyPage {
public:
    COlePropertyPage(UINT templateId, UINT captionId);
    ~COlePropertyPage() override;

    // The objects the page edits (AddRef'ed by the page).
    const std::vector<IUnknown*>& GetObjects() const { return m_objects; }
    static long LiveObjects();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT cmd) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override { return S_FALSE; }
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
    // From DECLARE_OLECREATE_EX of the derived class.
    virtual HRESULT STDMETHODCALLTYPE GetClassID(LPCLSID clsid) = 0;

protected:
    UINT m_captionId;

private:
    void ReleaseObjects();
    LONG m_refs;
    IPropertyPageSite* m_site;
    std::vector<IUnknown*> m_objects;
};

// The property-page step of data exchange (nothing to do without bound properties).
inline void DDP_PostProcessing(CDataExchange*) {}
