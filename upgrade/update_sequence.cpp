// The update sequence, independent of the platform and the framework.
#include "upgrade/update_sequence.h"

const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char kCurrentTypeValue[] = "CurrentType";
const char kMultiprocessorFree[] = "Multiprocessor Free";

namespace {

// A staging call: the source name in the picked folder, the target name in the
// system (and temporary) directory. In the order of the calls.
struct StagingStep {
    const char *source;
    const char *target;
};

// A repair log entry, in the order written after the six files.
struct LogEntry {
    const char *file;
    const char *source;
    const char *checksum;
};

const StagingStep kHalWithoutEisa = {"\\HALMPS.DLL", "\\HAL.DLL"};
const StagingStep kHalWithEisa = {"\\HALSP.DLL", "\\HAL.DLL"};
const LogEntry kHalLogWithoutEisa = {"hal.dll", "HALMPS.DLL", "1a01c"};
const LogEntry kHalLogWithEisa = {"hal.dll", "HALSP.DLL", "0f337"};

// After the HAL.
const StagingStep kStagingSteps[] = {
    {"\\NTKRNLMP.EXE", "\\NTOSKRNL.EXE"}, {"\\NTDLL.DLL", "\\NTDLL.DLL"},   {"\\KERNEL32.DLL", "\\KERNEL32.DLL"},
    {"\\WINSRV.DLL", "\\WINSRV.DLL"},     {"\\WIN32K.SYS", "\\WIN32K.SYS"},
};
const LogEntry kLogEntries[] = {
    {"Ntoskrnl.exe", "NTKRNLMP.EXE", "e76ab"}, {"Kernel32.dll", "KERNEL32.DLL", "5b7f8"},
    {"Winsrv.dll", "WINSRV.DLL", "37b4e"},     {"Ntdll.dll", "NTDLL.DLL", "59c19"},
    {"win32k.sys", "WIN32K.SYS", "132603"},
};

const char kSystem32[] = "\\SYSTEM32\\";

// The two directories of a copy phase. FALSE when the platform gives no
// directory or one whose text would not fit a path buffer.
BOOL GetCopyDirectories(CUpdateSequencePort &port, CString *pTempDir, CString *pSystemDir) {
    char buffer[kPathBufferSize];
    uint32_t length = port.TempPath(kPathBufferSize, buffer);
    if (length == 0 || length >= kPathBufferSize)
        return FALSE;
    *pTempDir = buffer;
    length = port.WindowsDirectory(buffer, kPathBufferSize);
    if (length == 0 || length + sizeof kSystem32 - 1 >= kPathBufferSize)
        return FALSE;
    *pSystemDir = CString(buffer) + kSystem32;
    return TRUE;
}

// Stages the six files and writes the six log entries: the HAL's entry right
// after the HAL, the others after the last file.
void CopySystemFiles(BOOL noEisaBus, const CString &folder, const CString &tempDir, const CString &systemDir,
                     BOOL *pCancel, CUpdateSequencePort &port) {
    const StagingStep &hal = noEisaBus ? kHalWithoutEisa : kHalWithEisa;
    const LogEntry &halLog = noEisaBus ? kHalLogWithoutEisa : kHalLogWithEisa;
    port.StageSystemFile(folder + hal.source, tempDir, systemDir, hal.target, pCancel);
    port.WriteSetupLogEntry(halLog.file, halLog.source, halLog.checksum);
    for (const StagingStep &step : kStagingSteps)
        port.StageSystemFile(folder + step.source, tempDir, systemDir, step.target, pCancel);
    for (const LogEntry &entry : kLogEntries)
        port.WriteSetupLogEntry(entry.file, entry.source, entry.checksum);
}

// Marks the installation "Multiprocessor Free". FALSE, after the box that says
// why, when the key cannot be opened or the value cannot be written.
BOOL SetCurrentType(CUpdateSequencePort &port) {
    if (port.OpenRegistryKey(kCurrentVersionKey, 0, kKeyWrite) != 0) {
        port.OwnedMessageBox("KEY == HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Windows",
                             "Unable to open reg key", kBoxIconError);
        return FALSE;
    }
    BOOL written = TRUE;
    if (port.SetRegistryValue(kCurrentTypeValue, 0, kRegSz, kMultiprocessorFree, sizeof kMultiprocessorFree) != 0) {
        port.OwnedMessageBox("RegSetValueEx Failed", "Unable to determine current Service Pack version", kBoxIconError);
        written = FALSE;
    }
    port.CloseRegistryKey();
    return written;
}

} // namespace

CString FolderOfPick(const CString &path, const CString &name) {
    if (path.GetLength() < name.GetLength() + 1)
        return CString();
    return path.Left(path.GetLength() - name.GetLength() - 1);
}

void RunUpdateSequence(const UpdateDialogState &dialog, CUpdateSequencePort &port) {
    if (dialog.bNothingToDo)
        return;

    const CString servicePack = dialog.servicePack;
    BOOL recognised = FALSE;
    BOOL restart = FALSE;
    const CString filter = servicePack + " Tag|NTOSKRNL.EX?||";
    const CString title = "Please select 'NTOSKRNL' from '" + servicePack + "'...";
    port.NewFileDialog(kFileDialogFlags, filter, title);

    for (;;) {
        if (port.RunFileDialog() != kIdOk) {
            // Cancel exit: after a recognised attempt the update dialog closes
            // all the same, without a restart.
            port.DeleteFileDialog();
            if (recognised)
                port.CloseUpdateDialog();
            return;
        }
        const CString name = port.GetFileName();
        const CString path = port.GetPathName();
        if (port.IsListedInTagFile(path, name, servicePack))
            recognised = TRUE;
        const CString folder = FolderOfPick(path, name);
        if (!recognised) {
            const CString text = "contents of folder '" + folder + "' do not appear to be '" + servicePack + "'";
            port.AfxMessageBox(text, kBoxIconInformation);
            continue;
        }

        port.NewProgressDialog();
        CString tempDir, systemDir;
        if (!GetCopyDirectories(port, &tempDir, &systemDir)) {
            // Staging into a guessed directory could break the installation:
            // nothing is copied, logged or marked, and the file dialog comes back.
            port.OwnedMessageBox("GetWindowsDirectory/GetTempPath Failed", "Unable to determine system directories",
                                 kBoxIconError);
            port.DeleteProgressDialog();
            continue;
        }
        BOOL cancel = FALSE;
        port.EnableUpdateDialog(FALSE);
        port.CreateProgressDialog(kCopyProgressTemplate);
        port.ShowProgressDialog(kShowNormal);
        CopySystemFiles(dialog.bNoEisaBus, folder, tempDir, systemDir, &cancel, port);
        port.EndProgressDialog(0);
        port.EnableUpdateDialog(TRUE);
        restart = cancel == FALSE;

        if (!SetCurrentType(port))
            restart = FALSE;
        if (restart)
            break;
        port.DeleteProgressDialog();
    }

    // Success exit.
    port.DeleteFileDialog();
    port.OwnedMessageBox("The system will now be restarted", "All Done", kBoxIconInformation);
    port.RestartSystem();
    port.CloseUpdateDialog();
    port.DeleteProgressDialog();
}
