// The update dialog: processor count, service pack level, information line, and the
// Update and Cancel buttons. Update runs the update sequence (OnOK).
#pragma once

#include "framework/framework.h"

class CUpdateDlg : public CDialog {
public:
    explicit CUpdateDlg(CWnd* pParent = NULL); // loads the icon; no window yet
    ~CUpdateDlg() override = default;

    BOOL m_bNothingToDo;       // fewer than two processors: Update is disabled, OnOK does nothing
    BOOL m_bNoEisaBus;         // the EISA adapter key did not open: the HAL without EISA support
    CButton m_btnUpdate;       // IDOK, attached by the data exchange
    CString m_strProcessors;   // IDC_PROCESSORS
    CString m_strServicePack;  // IDC_SERVICE_PACK, as the system reports it
    CString m_strInformation;  // IDC_INFORMATION
    HICON m_hIcon;             // IDR_MAINFRAME, a shared resource icon

    // The update sequence; returns at once when m_bNothingToDo is set.
    void OnOK() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnShowWindow(BOOL bShow, UINT nStatus);

    DECLARE_MESSAGE_MAP()
};
