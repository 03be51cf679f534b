// The copy progress dialog and its callback over Win32 (see copy_progress_dlg.h).
#include "upgrade/copy_progress_dlg.h"

#include "upgrade/copy_progress.h"

static_assert(kPbmSetRange32 == PBM_SETRANGE32 && kPbmSetPos == PBM_SETPOS, "progress bar messages");
static_assert(kCallbackStreamSwitch == CALLBACK_STREAM_SWITCH && kCallbackChunkFinished == CALLBACK_CHUNK_FINISHED,
              "copy callback reasons");
static_assert(kProgressContinue == PROGRESS_CONTINUE, "copy callback result");

CCopyProgressDlg::CCopyProgressDlg(CWnd *pParent) : CDialog(IDD_COPY_PROGRESS, pParent), m_strFile("") {}

CCopyProgressDlg::~CCopyProgressDlg() = default;

void CCopyProgressDlg::DoDataExchange(CDataExchange *pDX) {
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Text(pDX, IDC_FILE, m_strFile);
}

// No messages or commands of its own: Cancel (and OK) get the dialog's defaults.
BEGIN_MESSAGE_MAP(CCopyProgressDlg, CDialog)
END_MESSAGE_MAP()

namespace {

// The callback's effects on one dialog: messages sent straight to its bar, and a data
// exchange towards its controls.
class DialogProgressView final : public CopyProgressView {
public:
    explicit DialogProgressView(CCopyProgressDlg &dlg) : m_dlg(dlg) {}
    void SendBar(uint32_t message, uint32_t wParam, uint32_t lParam) override {
        ::SendMessageA(m_dlg.m_progress.m_hWnd, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
    }
    void RefreshFileText() override { m_dlg.UpdateData(FALSE); }

private:
    CCopyProgressDlg &m_dlg;
};

} // namespace

DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER TotalFileSize, LARGE_INTEGER TotalBytesTransferred,
                                   LARGE_INTEGER /*StreamSize*/, LARGE_INTEGER /*StreamBytesTransferred*/,
                                   DWORD /*dwStreamNumber*/, DWORD dwCallbackReason, HANDLE /*hSourceFile*/,
                                   HANDLE /*hDestinationFile*/, LPVOID lpData) {
    DialogProgressView view(*static_cast<CCopyProgressDlg *>(lpData));
    return ReportCopyProgress(view, dwCallbackReason, static_cast<uint64_t>(TotalFileSize.QuadPart),
                              static_cast<uint64_t>(TotalBytesTransferred.QuadPart));
}
