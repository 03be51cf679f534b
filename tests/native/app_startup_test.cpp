// Start-up's decisions: gates in order, a failed gate skipping every later probe, the
// dialog's texts and flags, and the tag file's path.
#include <gtest/gtest.h>

#include <string>

#include "app/startup_logic.h"

namespace {

// Answers the probes from a row and records which were made, in order.
class FakeProbes : public CStartupProbes {
public:
    BOOL bVersionOk = TRUE;
    uint32_t dwPlatformId = 2;
    uint32_t dwMajor = 4;
    const char* pszCsd = "Service Pack 6a";
    BOOL bSmbios = TRUE;
    int nProcessors = 2;
    BOOL bEisaKey = FALSE;
    std::string calls;

    BOOL QueryVersion(uint32_t* pdwPlatformId, uint32_t* pdwMajorVersion, CString* pstrCSDVersion) override {
        calls += "version ";
        if (!bVersionOk)
            return FALSE;
        *pdwPlatformId = dwPlatformId;
        *pdwMajorVersion = dwMajor;
        *pstrCSDVersion = pszCsd;
        return TRUE;
    }
    void PrepareDialog() override { calls += "dialog "; }
    BOOL FindSmbiosEntryPoint() override {
        calls += "smbios ";
        return bSmbios;
    }
    int CountProcessors() override {
        calls += "madt ";
        return nProcessors;
    }
    BOOL OpenEisaAdapterKey() override {
        calls += "eisa ";
        return bEisaKey;
    }
};

const char kHelp[] = "D:\\TOOLS\\UPDATE.HLP";
// The texts as the user sees them, spelled out here rather than taken from the code.
const char kNt4Only[] = "This utility is only for Windows NT 4.0";
const char kAborting[] = "Aborting";
const char kOneOnly[] = "Only one processor... no need to update";
const char kAllProbes[] = "version dialog smbios madt eisa ";

TEST(StartupDecision, AbortsStopAtTheirGate) {
    struct Row {
        const char* name;
        BOOL bVersionOk;
        uint32_t dwPlatformId, dwMajor;
        BOOL bSmbios;
        const char* text;
        const char* caption;
        const char* calls;
    } const rows[] = {
        {"version query fails", FALSE, 2, 4, TRUE, kNt4Only, "Aborting - Unable to determine OS version", "version "},
        {"Windows 2000", TRUE, 2, 5, TRUE, kNt4Only, kAborting, "version "},
        {"NT 3.51", TRUE, 2, 3, TRUE, kNt4Only, kAborting, "version "},
        {"Windows 95 platform, major 4", TRUE, 1, 4, TRUE, kNt4Only, kAborting, "version "},
        {"Win32s platform", TRUE, 0, 4, TRUE, kNt4Only, kAborting, "version "},
        // 5
        {"no SMBIOS entry point", TRUE, 2, 4, FALSE, "SMBIOS not found?", kAborting, "version dialog smbios "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeProbes probes;
        probes.bVersionOk = row.bVersionOk;
        probes.dwPlatformId = row.dwPlatformId;
        probes.dwMajor = row.dwMajor;
        probes.bSmbios = row.bSmbios;
        CStartupOutcome outcome = DecideStartup(probes, kHelp);
        ASSERT_NE(outcome.pszAbortText, nullptr);
        EXPECT_STREQ(outcome.pszAbortText, row.text);
        EXPECT_STREQ(outcome.pszAbortCaption, row.caption);
        EXPECT_EQ(probes.calls, row.calls);
    }
}

TEST(StartupDecision, DialogTextsAndFlags) {
    struct Row {
        const char* name;
        int nProcessors;
        const char* csd;
        BOOL bEisaKey;
        const char* processors;
        const char* information;
        BOOL bNothingToDo;
        BOOL bNoEisaBus;
    } const rows[] = {
        {"none counted", 0, "Service Pack 6a", FALSE, "0", kOneOnly, TRUE, TRUE},
        {"one", 1, "Service Pack 6a", FALSE, "1", kOneOnly, TRUE, TRUE},
        {"two", 2, "Service Pack 6a", FALSE, "2", "", FALSE, TRUE},
        {"four, EISA bus", 4, "Service Pack 5", TRUE, "4", "", FALSE, FALSE},
        {"no service pack", 2, "", FALSE, "2", "", FALSE, TRUE},
        // 5
        {"service pack text kept as is", 2, " service pack 3, RC ", TRUE, "2", "", FALSE, FALSE},
        {"a count the census never gives", 3, "Service Pack 4", FALSE, "3", "", FALSE, TRUE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeProbes probes;
        probes.nProcessors = row.nProcessors;
        probes.pszCsd = row.csd;
        probes.bEisaKey = row.bEisaKey;
        CStartupOutcome outcome = DecideStartup(probes, kHelp);
        EXPECT_EQ(outcome.pszAbortText, nullptr);
        EXPECT_EQ(probes.calls, kAllProbes);
        EXPECT_STREQ(outcome.strProcessors, row.processors);
        EXPECT_STREQ(outcome.strServicePack, row.csd);
        EXPECT_STREQ(outcome.strInformation, row.information);
        EXPECT_EQ(outcome.bNothingToDo, row.bNothingToDo);
        EXPECT_EQ(outcome.bNoEisaBus, row.bNoEisaBus);
        EXPECT_STREQ(outcome.strProfilePath, "D:\\TOOLS\\UPDATE.INI");
    }
}

TEST(StartupDecision, NtPassesTheGateWhateverItsMinorVersion) {
    // The version record's minor version and build are not even asked for; the service
    // pack text only fills the dialog.
    FakeProbes probes;
    probes.pszCsd = "Service Pack 2";
    EXPECT_EQ(DecideStartup(probes, kHelp).pszAbortText, nullptr);
}

TEST(StartupDecision, ProfilePathFromHelpPath) {
    struct Row {
        const char* help;
        const char* profile;
    } const rows[] = {
        {"D:\\TOOLS\\UPDATE.HLP", "D:\\TOOLS\\UPDATE.INI"},
        {"C:\\MPTOOL.HLP", "C:\\MPTOOL.INI"},
        {"\\\\server\\share\\v1.2\\update.HLP", "\\\\server\\share\\v1.2\\update.INI"},
        {"X.HLP", "X.INI"},
        {"HLP", "INI"},
        // 5
        {"", "INI"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.help);
        EXPECT_STREQ(ProfilePathFromHelpPath(row.help), row.profile);
    }
}

} // namespace
