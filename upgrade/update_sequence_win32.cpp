// The Update button of the update dialog: the update sequence over the framework's
// dialogs, the staging and repair log routines and the platform.
#include "framework/framework.h"

#include "app/update_dlg.h"
#include "res/resource.h"
#include "upgrade/copy_progress_dlg.h"
#include "upgrade/restart_system.h"
#include "upgrade/setup_log.h"
#include "upgrade/stage_system_file.h"
#include "upgrade/tag_file.h"
#include "upgrade/update_sequence.h"

namespace {

static_assert(kCopyProgressTemplate == IDD_COPY_PROGRESS, "the progress dialog's template");

// The operations of one run. Owns the run's file dialog, the progress dialog of
// the current copy phase and the open registry key; whatever the sequence has not
// discarded goes with the object.
class CUpdateSequenceWin32 : public CUpdateSequencePort {
public:
    explicit CUpdateSequenceWin32(CDialog *pUpdateDlg) : m_pUpdateDlg(pUpdateDlg) {}
    ~CUpdateSequenceWin32() override {
        delete m_pFileDialog;
        delete m_pProgress;
        if (m_hKey)
            ::RegCloseKey(m_hKey);
    }
    CUpdateSequenceWin32(const CUpdateSequenceWin32 &) = delete;
    CUpdateSequenceWin32 &operator=(const CUpdateSequenceWin32 &) = delete;

    void NewFileDialog(uint32_t flags, const char *filter, const char *title) override {
        m_pFileDialog = new CFileDialog(TRUE, NULL, NULL, flags, filter, m_pUpdateDlg);
        m_pFileDialog->m_ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // the size NT 4.0 knows
        m_pFileDialog->m_ofn.lpstrTitle = title;
    }
    int RunFileDialog() override { return static_cast<int>(m_pFileDialog->DoModal()); }
    CString GetFileName() override { return m_pFileDialog->GetFileName(); }
    CString GetPathName() override { return m_pFileDialog->GetPathName(); }
    void DeleteFileDialog() override {
        delete m_pFileDialog;
        m_pFileDialog = NULL;
    }

    BOOL IsListedInTagFile(const char *path, const char *name, const char *servicePack) override {
        return ::IsListedInTagFile(path, name, servicePack);
    }

    void AfxMessageBox(const char *text, uint32_t type) override { ::AfxMessageBox(text, type, 0); }
    void OwnedMessageBox(const char *text, const char *caption, uint32_t type) override {
        m_pUpdateDlg->MessageBox(text, caption, type);
    }

    void EnableUpdateDialog(BOOL enable) override { m_pUpdateDlg->EnableWindow(enable); }
    void CloseUpdateDialog() override { m_pUpdateDlg->CDialog::OnOK(); }

    void NewProgressDialog() override { m_pProgress = new CCopyProgressDlg(NULL); }
    void CreateProgressDialog(uint32_t templateId) override { m_pProgress->Create(templateId, m_pUpdateDlg); }
    void ShowProgressDialog(int show) override { m_pProgress->ShowWindow(show); }
    void EndProgressDialog(int result) override { m_pProgress->EndDialog(result); }
    void DeleteProgressDialog() override {
        delete m_pProgress;
        m_pProgress = NULL;
    }

    uint32_t TempPath(uint32_t size, char *buffer) override { return ::GetTempPathA(size, buffer); }
    uint32_t WindowsDirectory(char *buffer, uint32_t size) override { return ::GetWindowsDirectoryA(buffer, size); }

    BOOL StageSystemFile(const char *source, const char *tempDir, const char *systemDir, const char *name,
                         BOOL *pCancel) override {
        return ::StageSystemFile(source, tempDir, systemDir, name, pCancel, m_pProgress);
    }
    BOOL WriteSetupLogEntry(const char *fileName, const char *sourceName, const char *checksum) override {
        return ::WriteSetupLogEntry(fileName, sourceName, checksum);
    }

    long OpenRegistryKey(const char *subKey, uint32_t options, uint32_t access) override {
        HKEY hKey = NULL;
        const LONG result = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, options, access, &hKey);
        if (result == ERROR_SUCCESS)
            m_hKey = hKey;
        return result;
    }
    long SetRegistryValue(const char *name, uint32_t reserved, uint32_t type, const char *data,
                          uint32_t size) override {
        return ::RegSetValueExA(m_hKey, name, reserved, type, reinterpret_cast<const BYTE *>(data), size);
    }
    void CloseRegistryKey() override {
        ::RegCloseKey(m_hKey);
        m_hKey = NULL;
    }

    void RestartSystem() override { ::RestartSystem(); }

private:
    CDialog *m_pUpdateDlg;
    CFileDialog *m_pFileDialog = NULL;
    CCopyProgressDlg *m_pProgress = NULL;
    HKEY m_hKey = NULL;
};

} // namespace

void CUpdateDlg::OnOK() {
    const UpdateDialogState state = {m_bNothingToDo, m_bNoEisaBus, m_strServicePack};
    CUpdateSequenceWin32 port(this);
    RunUpdateSequence(state, port);
}
