#include "FwDialog.h"

#include <string>

#include "ControlSite.h"
#include "DialogTemplate.h"
#include "FwApp.h"

struct CDialog::Pending {
    fw::SplitTemplate split;
    std::vector<fw::DlgInitEntry> init;
};

namespace {
const WORD kDlgInitType = 240;

bool LoadResourceBytes(UINT id, LPCWSTR type, const uint8_t** data, size_t* size)
{
    HINSTANCE inst = AfxGetResourceHandle();
    HRSRC res = FindResourceW(inst, MAKEINTRESOURCEW(id), type);
    if (!res) return false;
    HGLOBAL loaded = LoadResource(inst, res);
    if (!loaded) return false;
    *data = static_cast<const uint8_t*>(LockResource(loaded));
    *size = SizeofResource(inst, res);
    return *data != nullptr;
}
} // namespace

INT_PTR CALLBACK FwDialogProcedure(HWND hwnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG) return FALSE;  // everything else goes through CWnd::WindowProc
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    return dialog ? dialog->HandleInitDialog(hwnd) : FALSE;
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog()
{
    DestroyHostedControls();
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

bool CDialog::PrepareTemplate()
{
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!LoadResourceBytes(m_templateId, MAKEINTRESOURCEW(5) /* RT_DIALOG */, &data, &size)) return false;
    m_pending.reset(new Pending);
    std::string error;
    if (!fw::SplitDialogTemplate(data, size, &m_pending->split, &error)) {
        m_pending.reset();
        return false;
    }
    const uint8_t* init = nullptr;
    size_t initSize = 0;
    if (LoadResourceBytes(m_templateId, MAKEINTRESOURCEW(kDlgInitType), &init, &initSize) &&
        !fw::ParseDlgInit(init, initSize, &m_pending->init, &error)) {
        m_pending.reset();
        return false;
    }
    return true;
}

BOOL CDialog::CreateModeless(HWND parent)
{
    if (m_hWnd || !PrepareTemplate()) return FALSE;
    m_initFailed = false;
    HWND hwnd = CreateDialogIndirectParamW(AfxGetResourceHandle(),
                                           reinterpret_cast<LPCDLGTEMPLATEW>(m_pending->split.bytes.data()),
                                           parent, FwDialogProcedure, reinterpret_cast<LPARAM>(this));
    if (hwnd && m_initFailed) {
        // EndDialog does not end a modeless dialog: it must not stay up
        // without the controls its template names.
        ::DestroyWindow(hwnd);
        return FALSE;
    }
    return hwnd != nullptr && m_hWnd == hwnd;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd || !PrepareTemplate()) return -1;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    INT_PTR result = DialogBoxIndirectParamW(AfxGetResourceHandle(),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(m_pending->split.bytes.data()),
                                             owner, FwDialogProcedure, reinterpret_cast<LPARAM>(this));
    m_pending.reset();
    DestroyHostedControls();
    m_temporaries.clear();
    return result;
}

INT_PTR CDialog::HandleInitDialog(HWND hwnd)
{
    SubclassAttached(hwnd);
    if (!CreateHostedControls()) {
        m_initFailed = true;
        ::EndDialog(hwnd, -1);
        return FALSE;
    }
    // Fill list and combo boxes from the initialisation resource.
    for (const fw::DlgInitEntry& e : m_pending->init) {
        if ((e.message == LB_ADDSTRING || e.message == CB_ADDSTRING) && !e.data.empty() && e.data.back() == 0)
            SendDlgItemMessageA(hwnd, e.id, e.message, 0, reinterpret_cast<LPARAM>(e.data.data()));
    }
    try {
        return OnInitDialog();
    } catch (...) {
        m_initFailed = true;
        ::EndDialog(hwnd, -1);
        return FALSE;
    }
}

bool CDialog::CreateHostedControls()
{
    const fw::SplitTemplate& split = m_pending->split;
    if (split.oleItems.empty()) return true;
    if (!fw::ControlContainmentEnabled()) return false;
    std::map<uint32_t, HWND> created;
    for (const fw::DialogOleItem& item : split.oleItems) {
        std::wstring clsidText(item.clsidText.begin(), item.clsidText.end());
        CLSID clsid;
        if (FAILED(CLSIDFromString(&clsidText[0], &clsid))) return false;
        RECT rect = {item.x, item.y, item.x + item.cx, item.y + item.cy};
        MapDialogRect(m_hWnd, &rect);
        const void* persist = nullptr;
        size_t persistSize = 0;
        for (const fw::DlgInitEntry& e : m_pending->init) {
            if (e.id == item.id && e.message == fw::kDlgInitLoadFromStream) {
                persist = e.data.data();
                persistSize = e.data.size();
            }
        }
        std::string title = fw::WideToAnsi(std::wstring(item.title.begin(), item.title.end()));
        fw::ControlSpec desc = {clsid, m_hWnd, item.id, item.style, rect, title.c_str(), persist, persistSize};
        fw::ControlSite* site = nullptr;
        if (FAILED(fw::ControlSite::Create(desc, &site))) return false;
        m_sites.push_back(site);
        created[(uint32_t)item.order] = site->Window();
        // Keep the template's tab order: insert after the item before it.
        HWND after = HWND_TOP;
        if (item.order > 0) {
            auto prev = created.find((uint32_t)(item.order - 1));
            after = prev != created.end() ? prev->second : ::GetDlgItem(m_hWnd, (int)split.itemIds[item.order - 1]);
            if (!after) after = HWND_TOP;
        }
        SetWindowPos(site->Window(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return true;
}

void CDialog::DestroyHostedControls()
{
    std::vector<fw::ControlSite*> sites;
    sites.swap(m_sites);
    for (fw::ControlSite* site : sites) {
        site->Destroy();
        site->Release();
    }
}

fw::ControlSite* CDialog::HostedControl(UINT id) const
{
    for (fw::ControlSite* site : m_sites)
        if (site->Id() == id) return site;
    return nullptr;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        m_temporaries.clear();
        DestroyHostedControls();
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result)
{
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

CWnd* CDialog::GetDlgItem(int id)
{
    HWND child = ::GetDlgItem(m_hWnd, id);
    if (!child) return nullptr;
    std::unique_ptr<CWnd>& slot = m_temporaries[id];
    if (!slot) slot.reset(new CWnd);
    slot->Attach(child);
    return slot.get();
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (!dx || !dx->m_pDlgWnd) return;
    CDialog* dialog = dynamic_cast<CDialog*>(dx->m_pDlgWnd);
    fw::ControlSite* site = dialog ? dialog->HostedControl((UINT)id) : nullptr;
    if (site) {
        control.AttachSite(site);
        return;
    }
    // A handle kept from an earlier run of the same dialog object is dead (or,
    // reused, someone else's): bind anew unless it is a child of this dialog.
    HWND dialogWindow = dx->m_pDlgWnd->GetSafeHwnd();
    HWND bound = control.GetSafeHwnd();
    if (!bound || !::IsChild(dialogWindow, bound)) control.Attach(::GetDlgItem(dialogWindow, id));
}
