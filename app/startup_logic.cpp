// Start-up's decisions (see startup_logic.h).
#include "app/startup_logic.h"

const char kOnlyForNt4[] = "This utility is only for Windows NT 4.0";
const char kCaptionNoVersion[] = "Aborting - Unable to determine OS version";
const char kCaptionAborting[] = "Aborting";
const char kSmbiosNotFound[] = "SMBIOS not found?";
const char kOnlyOneProcessor[] = "Only one processor... no need to update";

namespace {
constexpr uint32_t kPlatformWin32Nt = 2;

CStartupOutcome Abort(const char* pszText, const char* pszCaption) {
    CStartupOutcome outcome = {};
    outcome.pszAbortText = pszText;
    outcome.pszAbortCaption = pszCaption;
    return outcome;
}
} // namespace

CString ProfilePathFromHelpPath(const char* pszHelpFilePath) {
    CString strPath(pszHelpFilePath ? pszHelpFilePath : "");
    int nKeep = strPath.GetLength() >= 3 ? strPath.GetLength() - 3 : 0;
    return strPath.Left(nKeep) + "INI";
}

CStartupOutcome DecideStartup(CStartupProbes& probes, const char* pszHelpFilePath) {
    uint32_t dwPlatformId = 0, dwMajorVersion = 0;
    CString strCSDVersion;
    if (!probes.QueryVersion(&dwPlatformId, &dwMajorVersion, &strCSDVersion))
        return Abort(kOnlyForNt4, kCaptionNoVersion);
    if (dwPlatformId != kPlatformWin32Nt || dwMajorVersion != 4)
        return Abort(kOnlyForNt4, kCaptionAborting);

    probes.PrepareDialog();
    if (!probes.FindSmbiosEntryPoint())
        return Abort(kSmbiosNotFound, kCaptionAborting);

    CStartupOutcome outcome = {};
    int nProcessors = probes.CountProcessors();
    outcome.bNoEisaBus = !probes.OpenEisaAdapterKey();
    outcome.strProcessors.Format("%d", nProcessors);
    outcome.strServicePack = strCSDVersion;
    if (nProcessors < 2) {
        outcome.strInformation = kOnlyOneProcessor;
        outcome.bNothingToDo = TRUE;
    }
    outcome.strProfilePath = ProfilePathFromHelpPath(pszHelpFilePath);
    return outcome;
}
