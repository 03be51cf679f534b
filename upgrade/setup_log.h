// Entries in the installation's repair log, the section "Files.WinNt" of
// "\Repair\Setup.log" below the Windows directory.
//
// An entry names a system file by its path below the drive and records the file
// it came from and a checksum text:
//     \WINNT\System32\hal.dll="HALMPS.DLL","1a01c"
#pragma once

#include "framework/portable.h"

#include <cstdint>

// Every text of an entry fits a platform path buffer, terminating zero included.
const uint32_t kSetupLogBufferSize = 260;

extern const char kSetupLogSection[]; // "Files.WinNt"

// The three texts handed to the profile write.
struct SetupLogEntry {
    char logPath[kSetupLogBufferSize]; // <windows>\Repair\Setup.log
    char key[kSetupLogBufferSize];     // <windows without drive>\System32\<file name>
    char value[kSetupLogBufferSize];   // "<SOURCE NAME>","<checksum>"
};

// Composes the entry for a Windows directory such as "C:\WINNT" (drive letter,
// colon, path, no trailing backslash). FALSE, with the entry left empty, when the
// directory is shorter than its drive part or when any of the texts would not fit
// its buffer: a cut-down key or path would name the wrong file.
BOOL ComposeSetupLogEntry(const char *windowsDir, const char *fileName, const char *sourceName, const char *checksum,
                          SetupLogEntry *pEntry);

// What writing an entry needs of the platform.
class CSetupLogPort {
public:
    virtual ~CSetupLogPort() = default;
    // Writes the Windows directory into the buffer; returns its length, or the
    // size the buffer would need when it is too small, or 0 on failure.
    virtual uint32_t WindowsDirectory(char *buffer, uint32_t size) = 0;
    // Sets the key in the section of the INI file; nonzero on success.
    virtual BOOL WriteProfileText(const char *section, const char *key, const char *value, const char *path) = 0;
};

// Writes one entry. Returns the result of the profile write; FALSE without any
// write when the Windows directory cannot be had or the entry does not fit.
BOOL WriteSetupLogEntry(const char *fileName, const char *sourceName, const char *checksum, CSetupLogPort &port);

// The same over the platform (GetWindowsDirectoryA, WritePrivateProfileStringA).
// Defined by the Win32 adapter only.
BOOL WriteSetupLogEntry(const char *fileName, const char *sourceName, const char *checksum);
