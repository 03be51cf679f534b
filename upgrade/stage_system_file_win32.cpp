// Staged replacement of one system file over Win32: the staging port made of the
// platform's file calls and the framework's message box (see stage_system_file_port.h).
#include "upgrade/stage_system_file.h"

#include "upgrade/stage_system_file_core.h"

static_assert(kMoveReplaceExisting == MOVEFILE_REPLACE_EXISTING && kMoveDelayUntilReboot == MOVEFILE_DELAY_UNTIL_REBOOT,
              "move flags");
static_assert(kPathChars == MAX_PATH, "path buffers");

namespace {

class Win32StagePort final : public StagePort {
public:
    explicit Win32StagePort(CCopyProgressDlg *pProgress) : m_pProgress(pProgress) {}

    void ShowSourceFile(const char *source) override {
        if (m_pProgress)
            m_pProgress->m_strFile = source;
    }
    BOOL CopyWithProgress(const char *from, const char *to, BOOL *pCancel) override {
        return ::CopyFileExA(from, to, m_pProgress ? CopyProgressRoutine : NULL, m_pProgress, pCancel, 0);
    }
    BOOL ProbeReadable(const char *path) override {
        // Shared as the copy shares its source: readable here means the copy can open it.
        HANDLE hFile =
            ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (hFile == INVALID_HANDLE_VALUE)
            return FALSE;
        ::CloseHandle(hFile);
        return TRUE;
    }
    uint32_t ReserveName(const char *dir, const char *prefix, char *name) override {
        return ::GetTempFileNameA(dir, prefix, 0, name);
    }
    BOOL RemoveFile(const char *path) override { return ::DeleteFileA(path); }
    BOOL RenameFile(const char *from, const char *to) override { return ::MoveFileA(from, to); }
    BOOL MoveFileWithFlags(const char *from, const char *to, uint32_t flags) override {
        return ::MoveFileExA(from, to, flags);
    }
    void ReportError(const char *text) override { ::AfxMessageBox(text, MB_ICONERROR, 0); }

private:
    CCopyProgressDlg *m_pProgress;
};

} // namespace

BOOL StageSystemFile(LPCSTR source, LPCSTR tempDir, LPCSTR systemDir, LPCSTR name, BOOL *pCancel,
                     CCopyProgressDlg *pProgress) {
    Win32StagePort port(pProgress);
    return StageSystemFileVia(port, source, tempDir, systemDir, name, pCancel);
}
