// The platform's file dialog (see framework.h).
#include <cstring>

#include "framework/file_dialog_text.h"
#include "framework/framework.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog) {
    std::memset(&m_ofn, 0, sizeof m_ofn);
    m_ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // what NT 4.0 knows, whatever the headers say
    m_szFileName[0] = '\0';
    m_szFileTitle[0] = '\0';
    if (lpszFileName)
        ::lstrcpynA(m_szFileName, lpszFileName, MAX_PATH);
    CWinApp* pApp = AfxGetApp();
    CWnd* pOwner = pParentWnd ? pParentWnd : (pApp ? pApp->m_pMainWnd : NULL);
    m_ofn.hwndOwner = pOwner ? pOwner->m_hWnd : NULL;
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = MAX_PATH;
    m_ofn.Flags = dwFlags;
    if (lpszDefExt) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFilter) {
        m_strFilter = AfxConvertFilter(lpszFilter);
        m_ofn.lpstrFilter = m_strFilter;
    }
}

INT_PTR CFileDialog::DoModal() {
    BOOL bResult = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return bResult ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const { return CString(m_ofn.lpstrFile); }

CString CFileDialog::GetFileName() const { return AfxFileNameOfPath(m_ofn.lpstrFile, m_ofn.nFileOffset); }
