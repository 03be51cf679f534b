// The application object, the process entry and the framework's message box (see framework.h).
#include <cstdlib>
#include <cstring>

#include "framework/app_paths.h"
#include "framework/framework.h"

namespace {
CWinApp* g_pApp = NULL;

// Help context of a dialog template, as help compilers number them.
constexpr DWORD kHelpContextDialogBase = 0x20000;
} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName)
    : m_hInstance(NULL), m_pMainWnd(NULL), m_pszAppName(lpszAppName ? AfxHeapCopy(lpszAppName) : NULL),
      m_pszHelpFilePath(NULL), m_pszProfileName(NULL), m_b3dControls(FALSE) {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    std::free(const_cast<char*>(m_pszAppName));
    std::free(const_cast<char*>(m_pszHelpFilePath));
    std::free(const_cast<char*>(m_pszProfileName));
    if (g_pApp == this)
        g_pApp = NULL;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int CWinApp::GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault) {
    if (!m_pszProfileName)
        return nDefault;
    return static_cast<int>(::GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, m_pszProfileName));
}

BOOL CWinApp::Enable3dControlsStatic() {
    m_b3dControls = TRUE; // CDialog adds DS_3DLOOK to every template it creates from now on
    return TRUE;
}

void CWinApp::OnHelp() {
    HWND hWnd = ::GetActiveWindow();
    if (!hWnd && m_pMainWnd)
        hWnd = m_pMainWnd->m_hWnd;
    // The topic of the active dialog when it is one of ours, else the help's contents.
    CDialog* pDlg = NULL;
    if (hWnd && ::GetWindowLongPtrA(hWnd, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(&AfxDlgProc))
        pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (pDlg)
        ::WinHelpA(hWnd, m_pszHelpFilePath, HELP_CONTEXT, kHelpContextDialogBase + pDlg->m_nIDHelp);
    else
        ::WinHelpA(hWnd, m_pszHelpFilePath, HELP_FINDER, 0);
}

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetInstanceHandle() {
    return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(NULL);
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
    CWnd* pMain = g_pApp ? g_pApp->m_pMainWnd : NULL;
    return ::MessageBoxA(pMain ? pMain->m_hWnd : NULL, lpszText, g_pApp ? g_pApp->m_pszAppName : NULL, nType);
}

// The process entry: names from the executable's path, then the one InitInstance call.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    CWinApp* pApp = g_pApp;
    if (!pApp)
        return 0;
    pApp->m_hInstance = hInstance;
    char szModule[MAX_PATH];
    DWORD cch = ::GetModuleFileNameA(hInstance, szModule, MAX_PATH);
    szModule[cch < MAX_PATH ? cch : MAX_PATH - 1] = '\0';
    if (!pApp->m_pszAppName)
        pApp->m_pszAppName = AfxHeapCopy(AfxAppNameFromModulePath(szModule));
    pApp->m_pszHelpFilePath = AfxHeapCopy(AfxHelpPathFromModulePath(szModule));
    // A bare name: the profile functions look for it in the Windows directory.
    pApp->m_pszProfileName = AfxHeapCopy(CString(pApp->m_pszAppName) + ".INI");
    if (!pApp->InitInstance())
        return 0;
    return pApp->Run();
}
