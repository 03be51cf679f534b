// The copy progress dialog: a small modeless window that shows which file is being
// copied and how far its copy has come, and the copy progress callback that feeds it.
//
// The update sequence constructs, creates (hidden, over the update dialog), shows, ends
// and destroys the dialog; staging sets m_strFile before each file and hands
// CopyProgressRoutine with the dialog's address to every copy it makes. Everything
// runs on the user-interface thread, and no message loop runs during the copies: the
// callback's messages to the controls are the only updates the dialog gets meanwhile.
#pragma once

#include "framework/framework.h"
#include "res/resource.h"

class CCopyProgressDlg : public CDialog {
public:
    explicit CCopyProgressDlg(CWnd *pParent = NULL); // template IDD_COPY_PROGRESS, empty file text
    ~CCopyProgressDlg() override;

    enum { IDD = IDD_COPY_PROGRESS };

    CProgressCtrl m_progress; // the bar, control IDC_PROGRESS; the callback sends its messages here
    CString m_strFile;        // the source path, shown in IDC_FILE at the next data exchange

    // Binds m_progress to IDC_PROGRESS (once), then exchanges m_strFile with IDC_FILE.
    void DoDataExchange(CDataExchange *pDX) override;

protected:
    DECLARE_MESSAGE_MAP()
};

// The copy progress routine of the platform's file copy. lpData is the address of a
// created CCopyProgressDlg. At the start of a stream the bar's range becomes 0 to the
// file's size and its position 0; after each piece its position becomes the bytes
// copied so far (low 32 bits of both counts); then the file text is refreshed. Always
// returns PROGRESS_CONTINUE: the callback never stops a copy.
DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER TotalFileSize, LARGE_INTEGER TotalBytesTransferred,
                                   LARGE_INTEGER StreamSize, LARGE_INTEGER StreamBytesTransferred, DWORD dwStreamNumber,
                                   DWORD dwCallbackReason, HANDLE hSourceFile, HANDLE hDestinationFile, LPVOID lpData);
