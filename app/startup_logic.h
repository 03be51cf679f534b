// What start-up decides, apart from the platform calls that feed it.
//
// Start-up makes its probes in a fixed order through CStartupProbes; a failed gate
// stops the run, so no later probe is made. The result is either one of three abort
// messages (text and caption) or what the update dialog shows and stores, and the
// path of the tag file that the profile functions are to read.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "framework/portable.h"

// The probes of start-up, called in this order, each at most once.
class CStartupProbes {
public:
    // The operating system's version record; FALSE when the query fails.
    virtual BOOL QueryVersion(uint32_t* pdwPlatformId, uint32_t* pdwMajorVersion, CString* pstrCSDVersion) = 0;
    // The platform has passed the gate: the 3-D look, then the dialog object.
    virtual void PrepareDialog() = 0;
    // Builds the SMBIOS locator; TRUE when it found an entry point (valid or not).
    virtual BOOL FindSmbiosEntryPoint() = 0;
    // Builds the MADT locator; its count of enabled processors.
    virtual int CountProcessors() = 0;
    // TRUE when the EISA adapter key opens for reading.
    virtual BOOL OpenEisaAdapterKey() = 0;

protected:
    ~CStartupProbes() = default;
};

struct CStartupOutcome {
    // An abort: the message box's text and caption. Null when the dialog is to run.
    const char* pszAbortText;
    const char* pszAbortCaption;
    // The dialog's texts and flags.
    CString strProcessors;
    CString strServicePack;
    CString strInformation;
    BOOL bNothingToDo;
    BOOL bNoEisaBus;
    // The tag file: the help file's path with its last three characters made "INI".
    CString strProfilePath;
};

// Texts of start-up.
extern const char kOnlyForNt4[];          // "This utility is only for Windows NT 4.0"
extern const char kCaptionNoVersion[];    // "Aborting - Unable to determine OS version"
extern const char kCaptionAborting[];     // "Aborting"
extern const char kSmbiosNotFound[];      // "SMBIOS not found?"
extern const char kOnlyOneProcessor[];    // "Only one processor... no need to update"

// Runs the probes in order and decides. pszHelpFilePath is the framework's help path.
CStartupOutcome DecideStartup(CStartupProbes& probes, const char* pszHelpFilePath);

// The tag file's path from the help file's path: its last three characters replaced by
// "INI" ("D:\TOOLS\UPDATE.HLP" gives "D:\TOOLS\UPDATE.INI").
CString ProfilePathFromHelpPath(const char* pszHelpFilePath);
