// CDialog: a modal dialog run from a dialog template resource. Items whose
// class is "{CLSID}" are ActiveX controls, created through the framework's
// containment once the dialog window exists, in template (tab) order; their
// initial persisted streams come from the initialisation resource of type 240
// with the dialog's id (see DialogTemplate.h for its format). Events of those
// controls reach the dialog's event-sink table (ON_EVENT by control id and
// DISPID).
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "FwWnd.h"

INT_PTR CALLBACK FwDialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // 1 (IDOK), 2 (IDCANCEL) or the code given to EndDialog; -1 when the
    // template is missing or malformed, or a hosted control cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // A child by id, as a temporary wrapper valid while the dialog lives.
    CWnd* GetDlgItem(int id);
    // The site of hosted control `id`, or null.
    fw::ControlSite* HostedControl(UINT id) const;

protected:
    // A modeless child dialog of `parent` from the template (property pages);
    // FALSE, with no window left, when the template cannot be used or a
    // hosted control cannot be created.
    BOOL CreateModeless(HWND parent);
    // The base binds the controls (DoDataExchange) and answers TRUE.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_templateId;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    friend INT_PTR CALLBACK FwDialogProcedure(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleInitDialog(HWND hwnd);
    bool PrepareTemplate();
    bool CreateHostedControls();
    void DestroyHostedControls();

    struct Pending;
    std::unique_ptr<Pending> m_pending;  // template data during DoModal
    std::vector<fw::ControlSite*> m_sites;
    std::map<int, std::unique_ptr<CWnd>> m_temporaries;
    bool m_initFailed = false;  // set by a WM_INITDIALOG that could not complete
};
