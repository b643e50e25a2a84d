// GetSigDlg: the modal "Signature Capture" dialog. The signer writes on the
// pad, picks a reason when the caller's settings offer one, and accepts,
// erases or cancels. Ends with 1 when accepted with enough pen points, 2 when
// cancelled or with too few points.
#pragma once

#include <string>
#include <vector>

#include "CQuillix.h"
#include "CaptureReasons.h"
#include "Framework.h"

class GetSigDlg : public CDialog {
public:
    GetSigDlg();

    std::string m_sigString;
    int m_minPoints = 0;
    UINT_PTR m_timerId = 0;

protected:
    CButton m_cancel;
    CButton m_erase;
    CButton m_accept;
    CQuillix m_pad;
    CComboBox m_reasonPick;
    CListBox m_reasonList;
    CComboBox m_reasonEntry;

public:
    std::vector<std::string> m_reasons;
    int m_numReasons = 0;
    int m_reasonRequired = 0;
    std::string m_reason;
    std::string m_name;
    std::string m_location;
    std::string m_contactInfo;

protected:
    CEdit m_contactEntry;
    CEdit m_locationEntry;
    CEdit m_contactLabel;
    CEdit m_locationLabel;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnErase();
    void OnAccept();
    void OnTimer(UINT_PTR id);
    LRESULT OnCaptureTick(WPARAM, LPARAM);
    void OnPadNotify() {}

private:
    void FitToPad();
    void FillReasonControls();
    void StartCapture();
    std::string ChosenReason();
    // Ends the dialog as a rejection: pad cleared, no signature string.
    void Reject();

    DECLARE_MESSAGE_MAP()
    DECLARE_EVENTSINK_MAP()
};
