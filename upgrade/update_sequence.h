// The update sequence: what the Update button of the update dialog does.
//
// One press is one run, made of attempts. Each attempt asks for the kernel file
// of the service pack with one file dialog that lives for the whole run; a pick
// whose size the tag file lists sets the run's recognised flag, which stays set
// for the rest of the run. With the flag set, the attempt stages the HAL, the
// multiprocessor kernel and four companion files from the picked file's folder
// into the system directory under a modeless progress dialog, records them in
// the repair log and marks the installation "Multiprocessor Free" in the
// registry. When all that went through, the restart is announced and requested
// and the update dialog closes; otherwise the file dialog comes back.
//
// The logic reaches the platform, the framework's dialogs and the other parts of
// the upgrade only through CUpdateSequencePort, one call per operation.
#pragma once

#include "framework/cstring.h"
#include "framework/portable.h"

#include <cstdint>

// Values of the platform that the sequence hands to its port.
const int kIdOk = 1;                        // IDOK
const uint32_t kFileDialogFlags = 0x200804; // OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_LONGNAMES
const uint32_t kCopyProgressTemplate = 129; // IDD_COPY_PROGRESS
const int kShowNormal = 1;                  // SW_SHOWNORMAL
const uint32_t kBoxIconError = 0x10;        // MB_ICONERROR
const uint32_t kBoxIconInformation = 0x40;  // MB_ICONINFORMATION
const uint32_t kKeyWrite = 0x20006;         // KEY_WRITE
const uint32_t kRegSz = 1;                  // REG_SZ
const uint32_t kPathBufferSize = 260;       // MAX_PATH
extern const char kCurrentVersionKey[];     // below HKEY_LOCAL_MACHINE
extern const char kCurrentTypeValue[];      // "CurrentType"
extern const char kMultiprocessorFree[];    // "Multiprocessor Free", stored with its zero: 20 bytes

// The members of the update dialog that the sequence reads.
struct UpdateDialogState {
    BOOL bNothingToDo;       // fewer than two processors: do nothing
    BOOL bNoEisaBus;         // no EISA bus: HALMPS.DLL, else HALSP.DLL
    const char *servicePack; // the service pack text, possibly empty
};

// Every operation of the sequence outside its own logic. The port owns the file
// dialog, the progress dialog and the registry key between the calls that make
// and discard them; the sequence never holds more than one of each.
class CUpdateSequencePort {
public:
    virtual ~CUpdateSequencePort() = default;

    // The run's file dialog: an open dialog without default extension or initial
    // name, owned by the update dialog, with the flags, the bar-separated filter
    // and the title. The texts outlive the dialog.
    virtual void NewFileDialog(uint32_t flags, const char *filter, const char *title) = 0;
    // Shows it modally: kIdOk when a file was picked.
    virtual int RunFileDialog() = 0;
    virtual CString GetFileName() = 0; // name and extension of the pick
    virtual CString GetPathName() = 0; // full path of the pick
    virtual void DeleteFileDialog() = 0;

    // The tag file's verdict on the pick.
    virtual BOOL IsListedInTagFile(const char *path, const char *name, const char *servicePack) = 0;

    // A box through the framework: the application's name as caption.
    virtual void AfxMessageBox(const char *text, uint32_t type) = 0;
    // A box owned by the update dialog.
    virtual void OwnedMessageBox(const char *text, const char *caption, uint32_t type) = 0;

    // The update dialog: input on or off; closed through the framework's default
    // OK handling (data exchange, end of the modal dialog with IDOK).
    virtual void EnableUpdateDialog(BOOL enable) = 0;
    virtual void CloseUpdateDialog() = 0;

    // The copy progress dialog of one copy phase: constructed without a parent,
    // created modeless from the template over the update dialog, shown, ended
    // with a result and destroyed with its window.
    virtual void NewProgressDialog() = 0;
    virtual void CreateProgressDialog(uint32_t templateId) = 0;
    virtual void ShowProgressDialog(int show) = 0;
    virtual void EndProgressDialog(int result) = 0;
    virtual void DeleteProgressDialog() = 0;

    // Platform directories, written into a buffer of the given size. Each returns
    // the length written, the size needed when the buffer is too small, or 0.
    virtual uint32_t TempPath(uint32_t size, char *buffer) = 0; // ends with a backslash
    virtual uint32_t WindowsDirectory(char *buffer, uint32_t size) = 0;

    // One system file into place, with the progress dialog of the copy phase.
    virtual BOOL StageSystemFile(const char *source, const char *tempDir, const char *systemDir, const char *name,
                                 BOOL *pCancel) = 0;
    // One repair log entry.
    virtual BOOL WriteSetupLogEntry(const char *fileName, const char *sourceName, const char *checksum) = 0;

    // The key below HKEY_LOCAL_MACHINE, kept open by the port until RegCloseKey.
    // Both return the platform's error code, 0 on success.
    virtual long OpenRegistryKey(const char *subKey, uint32_t options, uint32_t access) = 0;
    virtual long SetRegistryValue(const char *name, uint32_t reserved, uint32_t type, const char *data,
                                  uint32_t size) = 0;
    virtual void CloseRegistryKey() = 0;

    virtual void RestartSystem() = 0;
};

// The folder of a pick: the path without its last separator and the name.
// "E:\I386\NTOSKRNL.EXE" gives "E:\I386"; "E:\NTOSKRNL.EXE" gives "E:".
CString FolderOfPick(const CString &path, const CString &name);

// One run of the sequence, from the press of Update to the return of the handler.
void RunUpdateSequence(const UpdateDialogState &dialog, CUpdateSequencePort &port);
