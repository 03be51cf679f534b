// The update dialog: data exchange, icon, painting while minimised, and the disabled
// Update button when there is nothing to do. OnOK, the update sequence, lives with the
// upgrade code.
#include "app/update_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CUpdateDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CUpdateDlg::CUpdateDlg(CWnd* pParent)
    : CDialog(IDD_UPDATE, pParent), m_bNothingToDo(FALSE), m_bNoEisaBus(FALSE), m_strProcessors(""),
      m_strServicePack(""), m_strInformation("") {
    m_hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

void CUpdateDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDOK, m_btnUpdate);
    DDX_Text(pDX, IDC_PROCESSORS, m_strProcessors);
    DDX_Text(pDX, IDC_SERVICE_PACK, m_strServicePack);
    DDX_Text(pDX, IDC_INFORMATION, m_strInformation);
}

BOOL CUpdateDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE; // focus to the first tab stop, the Update button
}

void CUpdateDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CUpdateDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CUpdateDlg::OnShowWindow(BOOL, UINT) {
    Default();
    if (m_bNothingToDo)
        m_btnUpdate.EnableWindow(FALSE);
}
