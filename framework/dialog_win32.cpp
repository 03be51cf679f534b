// CDialog over Win32: the dialog procedure that links a window to its object,
// template loading, automatic centring and modal/modeless ends (see framework.h).
#include <cstdlib>
#include <cstring>

#include "framework/dialog_layout.h"
#include "framework/framework.h"

namespace {
constexpr UINT kNoBypass = 0xFFFFFFFFu;

void InitCommonControlsOnce() {
    static BOOL s_bDone = FALSE;
    if (!s_bDone) {
        ::InitCommonControls(); // registers "msctls_progress32" and the other control classes
        s_bDone = TRUE;
    }
}

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
BOOL ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return TRUE;
    default:
        return FALSE;
    }
}
} // namespace

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDlg->m_hWnd = hWnd;
        return pDlg->HandleInitDialog();
    }
    CDialog* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!pDlg)
        return FALSE; // messages before WM_INITDIALOG, or after the object let go
    if (pDlg->m_nDefaultBypass == message) {
        pDlg->m_nDefaultBypass = kNoBypass; // CWnd::Default is asking for the default
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDlg->m_hWnd = NULL;
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->m_pMainWnd == pDlg)
            pApp->m_pMainWnd = NULL;
        return FALSE;
    }
    LRESULT lResult = 0;
    if (!pDlg->OnWndMsg(message, wParam, lParam, &lResult))
        return FALSE;
    if (ReturnsDirectly(message))
        return static_cast<INT_PTR>(lResult);
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
ON_MESSAGE(WM_HELP, &CDialog::OnHelpInfo)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(FALSE), m_bAutoCenter(FALSE) {}

CDialog::~CDialog() {
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

// The template resource, copied so that the 3-D style can be added; null if missing.
HGLOBAL CDialog::PrepareTemplate(UINT nIDTemplate) {
    HINSTANCE hInst = AfxGetInstanceHandle();
    HRSRC hRes = ::FindResourceA(hInst, MAKEINTRESOURCEA(nIDTemplate), reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL hRaw = hRes ? ::LoadResource(hInst, hRes) : NULL;
    const void* pRaw = hRaw ? ::LockResource(hRaw) : NULL;
    DWORD cbRaw = hRes ? ::SizeofResource(hInst, hRes) : 0;
    if (!pRaw || !cbRaw)
        return NULL;
    HGLOBAL hCopy = ::GlobalAlloc(GMEM_FIXED, cbRaw);
    if (!hCopy)
        return NULL;
    uint8_t* pCopy = static_cast<uint8_t*>(static_cast<void*>(hCopy));
    std::memcpy(pCopy, pRaw, cbRaw);
    AfxDialogTemplateHeader header;
    m_bAutoCenter = FALSE;
    if (AfxReadDialogTemplateHeader(pCopy, cbRaw, &header)) {
        m_bAutoCenter = AfxTemplateWantsCentring(header);
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->m_b3dControls) {
            uint32_t dwStyle = header.dwStyle | DS_3DLOOK;
            std::memcpy(pCopy + header.nStyleOffset, &dwStyle, sizeof dwStyle);
        }
    }
    return hCopy;
}

INT_PTR CDialog::DoModal() {
    InitCommonControlsOnce();
    HGLOBAL hTemplate = PrepareTemplate(m_nIDHelp);
    if (!hTemplate)
        return -1;
    m_bModal = TRUE;
    INT_PTR nResult = ::DialogBoxIndirectParamA(AfxGetInstanceHandle(), static_cast<LPCDLGTEMPLATEA>(hTemplate),
                                                m_pParentWnd ? m_pParentWnd->m_hWnd : NULL, AfxDlgProc,
                                                reinterpret_cast<LPARAM>(this));
    ::GlobalFree(hTemplate);
    m_bModal = FALSE;
    m_hWnd = NULL;
    return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    InitCommonControlsOnce();
    m_nIDHelp = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HGLOBAL hTemplate = PrepareTemplate(nIDTemplate);
    if (!hTemplate)
        return FALSE;
    HWND hWnd = ::CreateDialogIndirectParamA(AfxGetInstanceHandle(), static_cast<LPCDLGTEMPLATEA>(hTemplate),
                                             pParentWnd ? pParentWnd->m_hWnd : NULL, AfxDlgProc,
                                             reinterpret_cast<LPARAM>(this));
    ::GlobalFree(hTemplate);
    return hWnd != NULL;
}

void CDialog::EndDialog(int nResult) {
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        ::ShowWindow(m_hWnd, SW_HIDE);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCmdMsg(UINT nID) {
    if (CCmdTarget::OnCmdMsg(nID))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID);
}

LRESULT CDialog::OnHelpInfo(WPARAM, LPARAM) {
    SendMessage(WM_COMMAND, ID_HELP, 0);
    return TRUE;
}

BOOL CDialog::HandleInitDialog() {
    if (m_bAutoCenter) {
        RECT rcWindow, rcWork, rcOwner = {0, 0, 0, 0};
        ::GetWindowRect(m_hWnd, &rcWindow);
        if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0))
            ::SetRect(&rcWork, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
        HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
        BOOL bOverOwner =
            hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner) && ::GetWindowRect(hOwner, &rcOwner);
        AfxRect window = {rcWindow.left, rcWindow.top, rcWindow.right, rcWindow.bottom};
        AfxRect owner = {rcOwner.left, rcOwner.top, rcOwner.right, rcOwner.bottom};
        AfxRect work = {rcWork.left, rcWork.top, rcWork.right, rcWork.bottom};
        AfxPoint pt = AfxCentredOrigin(window, bOverOwner ? &owner : NULL, work);
        ::SetWindowPos(m_hWnd, NULL, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return OnInitDialog();
}
