// The application framework: a small layer over raw Win32 for a dialog-based program.
//
// What it offers: the application object and the process entry (CWinApp, WinMain),
// windows linked to their C++ objects (CWnd), modal and modeless dialogs built from
// templates (CDialog) with data exchange (DDX_Control, DDX_Text, UpdateData), message
// maps (msgmap.h plus the window-message entries below), the open/save file dialog
// (CFileDialog), message boxes (AfxMessageBox) and painting (CPaintDC).
//
// Threading: everything runs on the one user-interface thread. Ownership: a CWnd
// destroys a window that still exists when the object is destroyed; a control member
// attached by DDX_Control does not own more than its handle. No exceptions are thrown.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include "framework/cstring.h"
#include "framework/msgmap.h"
#include "framework/portable.h"

// The framework's help command, raised by F1 in a dialog.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CDataExchange;
class CWinApp;

// The dialog procedure of every CDialog: links the window to its object and routes
// its messages through the object's message map.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// A window and its object. The link runs both ways: m_hWnd names the window, and a
// dialog's window finds its object through the dialog procedure (see CDialog).
class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override; // destroys the window if it still exists

    HWND m_hWnd; // null while no window is attached

    // Identity and state.
    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL IsIconic() const;
    BOOL IsWindowEnabled() const;
    void GetClientRect(LPRECT lpRect) const;

    // Changing the window.
    BOOL EnableWindow(BOOL bEnable = TRUE); // returns TRUE if the window was disabled before
    BOOL ShowWindow(int nCmdShow);          // returns TRUE if the window was visible before
    virtual BOOL DestroyWindow();

    // Talking to the window; the caption of a message box defaults to the application's name.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = NULL, UINT nType = MB_OK);

    // Data exchange: TRUE copies the controls into the members, FALSE the reverse.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // Default processing of the message being handled, by the dialog manager: valid only
    // inside a message-map handler of a dialog. Runs at most once per message.
    LRESULT Default();

    // Looks up and runs the map entry for one window message; FALSE if the map has none.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    struct AfxCurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        BOOL bDefaultDone; // a handler called Default()
        LRESULT lDefaultResult;
    };
    AfxCurrentMessage* m_pCurrentMsg; // the message being dispatched, or null
    UINT m_nDefaultBypass;            // message that the dialog procedure leaves to default processing once
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

// A push button, check box or radio button.
class CButton : public CWnd {};

// A progress bar ("msctls_progress32"); its PBM_ messages go through SendMessage.
class CProgressCtrl : public CWnd {};

// A dialog from a template resource, modal (DoModal) or modeless (Create).
//
// Before WM_INITDIALOG reaches OnInitDialog, a template placed at 0, 0 without a
// centring or absolute-position style is centred: over its owner when the owner is
// visible and not minimised (a modal dialog's owner is disabled by then, and so is
// a modeless one's when the caller disabled it), else on the screen's work area.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    ~CDialog() override;

    // Modal run: returns the EndDialog result once the window has been destroyed, -1 if it
    // could not be created.
    virtual INT_PTR DoModal();
    // Modeless creation: the window exists (hidden unless WS_VISIBLE) when this returns TRUE.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    // Modal: ends the loop with nResult. Modeless: hides the window, which stays until
    // the object is destroyed or DestroyWindow is called.
    void EndDialog(int nResult);

    // Overridables.
    virtual BOOL OnInitDialog(); // UpdateData(FALSE); TRUE
    virtual void OnOK();         // UpdateData(TRUE), then EndDialog(IDOK)
    virtual void OnCancel();     // EndDialog(IDCANCEL)

    // Commands: this dialog's map chain first, then the application's.
    BOOL OnCmdMsg(UINT nID) override;

    UINT m_nIDHelp; // the template identifier, also the dialog's help context

protected:
    LRESULT OnHelpInfo(WPARAM wParam, LPARAM lParam); // F1: the command ID_HELP

    DECLARE_MESSAGE_MAP()

private:
    BOOL HandleInitDialog();
    HGLOBAL PrepareTemplate(UINT nIDTemplate); // copy of the template to create from, or null

    CWnd* m_pParentWnd;
    BOOL m_bModal;
    BOOL m_bAutoCenter;
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

// The direction and target of one data exchange.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Attaches the control nIDC to rControl the first time; does nothing afterwards.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Copies the control's window text into value, or value into the window text.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// The platform's open or save file dialog. m_ofn may be adjusted between construction
// and DoModal (lpstrTitle, for example). lpszFilter uses bars: "Text|*.txt|All|*.*||".
class CFileDialog {
public:
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = NULL, LPCSTR lpszFileName = NULL,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = NULL,
                         CWnd* pParentWnd = NULL);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    OPENFILENAMEA m_ofn; // lStructSize is the NT 4.0 size, OPENFILENAME_SIZE_VERSION_400A

    virtual INT_PTR DoModal(); // IDOK when a file was chosen, else IDCANCEL
    CString GetPathName() const;
    CString GetFileName() const; // name and extension, without directory

private:
    BOOL m_bOpenFileDialog;
    CString m_strFilter; // the platform's form: zero-separated, two zeros at the end
    CString m_strDefExt;
    char m_szFileName[MAX_PATH];
    char m_szFileTitle[MAX_PATH];
};

// The application object: one global instance per program, constructed before WinMain.
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = NULL);
    ~CWinApp() override; // releases the three name strings

    // Called once by WinMain. FALSE: the process ends without a message loop.
    virtual BOOL InitInstance();
    // The message loop, run only when InitInstance returned TRUE; returns the exit code.
    virtual int Run();

    // The INI file named by m_pszProfileName; nDefault when it has no such entry.
    int GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault);
    // Dialogs created from now on get the three-dimensional look.
    BOOL Enable3dControlsStatic();
    // Default help: the help file's topic for the main window's dialog.
    void OnHelp();

    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd;        // the main window while it exists
    LPCSTR m_pszAppName;     // heap string owned by the object: the executable's base name
    LPCSTR m_pszHelpFilePath; // heap string: the executable's path with the extension HLP
    LPCSTR m_pszProfileName; // heap string: the INI file of the profile functions
    BOOL m_b3dControls;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// A message box owned by the main window (if any) with the application's name as caption.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Painting between BeginPaint and EndPaint.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

// Window-message map entries, for classes derived from CWnd.
#define ON_WM_PAINT() {WM_PAINT, 0, &AfxCallVoid<&ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, &AfxCallHandle<&ThisClass::OnQueryDragIcon>},
#define ON_WM_SHOWWINDOW() {WM_SHOWWINDOW, 0, &AfxCallBoolUint<&ThisClass::OnShowWindow>},
// Any message to LRESULT f(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) {message, 0, &AfxCallMessage<memberFxn>},
