// Start-up: the operating system gate, the firmware and EISA probes, the update dialog
// and the teardown. The decisions are DecideStartup's; this file makes the probes.
#include "app/update_app.h"

#include <cstdlib>
#include <cstring>

#include "app/startup_logic.h"
#include "framework/app_paths.h"
#include "app/update_dlg.h"
#include "firmware/madt_table.h"
#include "firmware/smbios_table.h"

CUpdateApp theApp;

BEGIN_MESSAGE_MAP(CUpdateApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

namespace {
const char kEisaAdapterKey[] = "Hardware\\Description\\System\\EisaAdapter\\0";

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record NT 4.0 expects");

// The probes over the live system. Owns what they build until start-up tears it down.
class CSystemProbes : public CStartupProbes {
public:
    explicit CSystemProbes(CWinApp& app) : m_app(app) {}

    BOOL QueryVersion(uint32_t* pdwPlatformId, uint32_t* pdwMajorVersion, CString* pstrCSDVersion) override {
        OSVERSIONINFOA info;
        std::memset(&info, 0, sizeof info);
        info.dwOSVersionInfoSize = sizeof info;
        if (!::GetVersionExA(&info))
            return FALSE;
        *pdwPlatformId = info.dwPlatformId;
        *pdwMajorVersion = info.dwMajorVersion;
        *pstrCSDVersion = info.szCSDVersion;
        return TRUE;
    }

    void PrepareDialog() override {
        m_app.Enable3dControlsStatic();
        m_pDlg = new CUpdateDlg(NULL);
    }

    BOOL FindSmbiosEntryPoint() override {
        m_pSmbios = new CSmbiosTable;
        return m_pSmbios->m_pEntryPoint != NULL;
    }

    int CountProcessors() override {
        m_pMadt = new CMadtTable;
        return m_pMadt->GetProcessorCount();
    }

    BOOL OpenEisaAdapterKey() override {
        HKEY hKey;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEisaAdapterKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return FALSE;
        ::RegCloseKey(hKey);
        return TRUE;
    }

    // Reverse order of construction: MADT, SMBIOS (each with its unmap trace), dialog.
    void TearDown() {
        delete m_pMadt;
        m_pMadt = NULL;
        delete m_pSmbios;
        m_pSmbios = NULL;
        delete m_pDlg;
        m_pDlg = NULL;
    }

    CWinApp& m_app;
    CUpdateDlg* m_pDlg = NULL;
    CSmbiosTable* m_pSmbios = NULL;
    CMadtTable* m_pMadt = NULL;
};

} // namespace

BOOL CUpdateApp::InitInstance() {
    CSystemProbes probes(*this);
    CStartupOutcome outcome = DecideStartup(probes, m_pszHelpFilePath);
    if (outcome.pszAbortText) {
        ::MessageBoxA(NULL, outcome.pszAbortText, outcome.pszAbortCaption, MB_ICONERROR);
        probes.TearDown();
        return FALSE;
    }

    CUpdateDlg* pDlg = probes.m_pDlg;
    pDlg->m_strProcessors = outcome.strProcessors;
    pDlg->m_strServicePack = outcome.strServicePack;
    pDlg->m_bNoEisaBus = outcome.bNoEisaBus;
    if (outcome.bNothingToDo) {
        pDlg->m_strInformation = outcome.strInformation;
        pDlg->m_bNothingToDo = TRUE;
    }

    // The profile functions now read the tag file beside the program.
    std::free(const_cast<char*>(m_pszProfileName));
    m_pszProfileName = AfxHeapCopy(outcome.strProfilePath);

    m_pMainWnd = pDlg;
    pDlg->DoModal();
    m_pMainWnd = NULL;

    probes.TearDown();
    return FALSE;
}
