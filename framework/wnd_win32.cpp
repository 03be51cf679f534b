// CWnd, data exchange and painting over Win32 (see framework.h).
#include "framework/framework.h"

namespace {
constexpr UINT kNoBypass = 0xFFFFFFFFu;
}

CWnd::CWnd() : m_hWnd(NULL), m_pCurrentMsg(NULL), m_nDefaultBypass(kNoBypass) {}

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_hWnd = NULL;
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }

void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }

BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }

BOOL CWnd::DestroyWindow() {
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return FALSE;
    BOOL bResult = ::DestroyWindow(hWnd);
    m_hWnd = NULL;
    return bResult;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
    if (!lpszCaption) {
        CWinApp* pApp = AfxGetApp();
        lpszCaption = pApp ? pApp->m_pszAppName : NULL;
    }
    return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

// Default processing of a dialog's message: the dialog class's own procedure, which
// asks our dialog procedure first; the one-shot bypass makes that call return FALSE.
LRESULT CWnd::Default() {
    AfxCurrentMessage* pMsg = m_pCurrentMsg;
    if (!pMsg || !m_hWnd)
        return 0;
    if (!pMsg->bDefaultDone) {
        UINT nSaved = m_nDefaultBypass;
        m_nDefaultBypass = pMsg->message;
        pMsg->lDefaultResult = ::DefDlgProcA(m_hWnd, pMsg->message, pMsg->wParam, pMsg->lParam);
        m_nDefaultBypass = nSaved;
        pMsg->bDefaultDone = TRUE;
    }
    return pMsg->lDefaultResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = 0;
    if (message == WM_COMMAND) {
        // Buttons (BN_CLICKED) and accelerators; other notifications are not commands.
        UINT nCode = HIWORD(wParam);
        return (nCode == 0 || nCode == 1) && OnCmdMsg(LOWORD(wParam));
    }
    const AFX_MSGMAP_ENTRY* pEntry = AfxFindMessageEntry(GetMessageMap(), message, 0);
    if (!pEntry)
        return FALSE;
    AfxCurrentMessage current = {message, wParam, lParam, FALSE, 0};
    AfxCurrentMessage* pOuter = m_pCurrentMsg;
    m_pCurrentMsg = &current;
    *pResult = pEntry->pfn(this, wParam, lParam);
    m_pCurrentMsg = pOuter;
    return TRUE;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (!rControl.m_hWnd)
        rControl.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hWndCtrl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (pDX->m_bSaveAndValidate) {
        int nLength = ::GetWindowTextLengthA(hWndCtrl);
        ::GetWindowTextA(hWndCtrl, value.GetBuffer(nLength), nLength + 1);
        value.ReleaseBuffer();
    } else {
        // Only a changed text is set: the copy progress callback refreshes the file
        // text after every piece copied, and setting an equal text would repaint the
        // control each time for nothing.
        int nLength = ::GetWindowTextLengthA(hWndCtrl);
        if (nLength == value.GetLength()) {
            CString current;
            ::GetWindowTextA(hWndCtrl, current.GetBuffer(nLength), nLength + 1);
            current.ReleaseBuffer();
            if (current == value)
                return;
        }
        ::SetWindowTextA(hWndCtrl, value);
    }
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
