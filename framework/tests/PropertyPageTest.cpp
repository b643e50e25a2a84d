// The property page: created by its class factory, caption from the string
// resource, shown inside a host window, and gone without a trace.
#include "TestSupport.h"

namespace {

class PropertyPage : public FrameworkTest {};

TEST_F(PropertyPage, ActivatesInAHostAndReportsItsInfo)
{
    IPropertyPage* page = nullptr;
    ASSERT_EQ(CoCreateInstance(CFwTestPropPage::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, (void**)&page),
              S_OK);
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"General");
    EXPECT_GT(info.size.cx, 0);
    EXPECT_GT(info.size.cy, 0);
    CoTaskMemFree(info.pszTitle);

    IUnknown* control = nullptr;
    ASSERT_EQ(CoCreateInstance(CFwTestCtrl::guid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, (void**)&control), S_OK);
    EXPECT_EQ(page->SetObjects(1, &control), S_OK);

    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "pages", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 200), nullptr, 0));
    RECT rect = {0, 0, 300, 100};
    EXPECT_EQ(page->Activate(host.GetSafeHwnd(), &rect, TRUE), S_OK);
    HWND pageWindow = GetWindow(host.GetSafeHwnd(), GW_CHILD);
    EXPECT_NE(pageWindow, nullptr);
    EXPECT_EQ(page->Show(SW_SHOW), S_OK);
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(pageWindow));
    EXPECT_EQ(page->Deactivate(), E_UNEXPECTED);

    EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
    page->Release();
    control->Release();
    host.DestroyWindow();
}

TEST_F(PropertyPage, ControlNamesItsPages)
{
    ISpecifyPropertyPages* control = nullptr;
    ASSERT_EQ(CoCreateInstance(CFwTestCtrl::guid, nullptr, CLSCTX_INPROC_SERVER, IID_ISpecifyPropertyPages,
                               (void**)&control),
              S_OK);
    CAUUID pages = {};
    ASSERT_EQ(control->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_TRUE(IsEqualGUID(pages.pElems[0], CFwTestPropPage::guid));
    CoTaskMemFree(pages.pElems);
    control->Release();
}

// A page whose template hosts a control that cannot be created.
class PageWithMissingControl : public COlePropertyPage {
public:
    PageWithMissingControl() : COlePropertyPage(kTestPropPageUnknownControl, kTestPropPageCaption) {}
    HRESULT STDMETHODCALLTYPE GetClassID(LPCLSID clsid) override
    {
        *clsid = CLSID_NULL;
        return S_OK;
    }
};

TEST_F(PropertyPage, PageWhoseControlCannotBeCreatedDoesNotActivate)
{
    IPropertyPage* page = new PageWithMissingControl;
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "pages", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 200), nullptr, 0));
    RECT rect = {0, 0, 300, 100};
    EXPECT_EQ(page->Activate(host.GetSafeHwnd(), &rect, TRUE), E_FAIL);
    EXPECT_EQ(GetWindow(host.GetSafeHwnd(), GW_CHILD), nullptr) << "no page window left in the host";
    EXPECT_EQ(page->Show(SW_SHOW), E_UNEXPECTED);
    EXPECT_EQ(page->Deactivate(), E_UNEXPECTED);
    page->Release();
    host.DestroyWindow();
}

} // namespace
