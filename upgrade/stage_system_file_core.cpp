// Puts one new system file in the place of the file of the same name in the system
// directory, in place where it can and otherwise staged for the next restart.
//
// The rule the steps keep: whatever fails, after the next restart the target holds
// either its old file or the new one, never nothing and never some older staged copy.
// The one exception needs the platform to refuse putting a renamed target back both
// at once and at the restart, and the staged way to fail as well: then the old file
// survives under its aside name (nothing asks for its deletion) and the boxes report
// the failure.
#include "upgrade/stage_system_file_core.h"

#include <cstddef>
#include <cstring>

namespace {

// A joined path: a directory and a name, each within the platform's path length.
constexpr std::size_t kJoinedChars = 2 * kPathChars;
// A box text: a fixed lead-in and a joined path.
constexpr std::size_t kTextChars = 64 + kJoinedChars;

// out = a + b. When the two do not fit, out becomes empty rather than a shortened
// path, which could name another file: every file operation refuses an empty path.
void Join(char *out, std::size_t capacity, const char *a, const char *b) {
    const std::size_t la = std::strlen(a);
    const std::size_t lb = std::strlen(b);
    if (la + lb >= capacity) {
        out[0] = '\0';
        return;
    }
    std::memcpy(out, a, la);
    std::memcpy(out + la, b, lb + 1);
}

// A failure box. A reported failure holds back the restart, which the update sequence
// requests only while the cancel flag is zero; the flag also keeps the remaining files
// of the run from being half done.
void Report(StagePort &port, const char *leadIn, const char *path, BOOL *pCancel) {
    char text[kTextChars];
    Join(text, sizeof text, leadIn, path);
    port.ReportError(text);
    *pCancel = TRUE;
}

// Way 2: rename the target aside and copy again. TRUE when the new file is in place.
// Runs only when the source has been proven readable: renaming a live file aside for a
// copy that cannot even begin would only put the running system at risk. When no name
// can be reserved there is nothing to rename to, and the way is skipped.
BOOL CopyOverRenamedTarget(StagePort &port, const char *source, const char *systemDir, const char *target,
                           BOOL *pCancel) {
    if (!port.ProbeReadable(source))
        return FALSE;
    char aside[kPathChars];
    if (port.ReserveName(systemDir, kAsidePrefix, aside) == 0)
        return FALSE;
    // The reservation created an empty file of that name; the rename needs it gone.
    port.RemoveFile(aside);
    const BOOL renamed = port.RenameFile(target, aside);

    if (port.CopyWithProgress(source, target, pCancel)) {
        // The old file may still be in use: it goes at the next restart. Asked for
        // only now, so that a failed copy never leaves the old file doomed.
        if (renamed)
            port.MoveFileWithFlags(aside, nullptr, kMoveDelayUntilReboot);
        return TRUE;
    }
    if (renamed) {
        // Undo the rename, replacing whatever the failed copy left at the target. If
        // even that is refused, the restart puts the old file back before any later
        // request (the staged move below) takes effect.
        if (!port.MoveFileWithFlags(aside, target, kMoveReplaceExisting))
            port.MoveFileWithFlags(aside, target, kMoveReplaceExisting | kMoveDelayUntilReboot);
    }
    return FALSE;
}

} // namespace

BOOL StageSystemFileVia(StagePort &port, const char *source, const char *tempDir, const char *systemDir,
                        const char *name, BOOL *pCancel) {
    // A failure already reported in this run: the remaining files are left as they
    // are rather than half updated, and the administrator can run the update again.
    if (*pCancel)
        return TRUE;

    char target[kJoinedChars];
    char staged[kJoinedChars];
    Join(target, sizeof target, systemDir, name);
    Join(staged, sizeof staged, tempDir, name);
    port.ShowSourceFile(source);

    // Way 1: straight over the target.
    if (port.CopyWithProgress(source, target, pCancel))
        return TRUE;
    // Way 2: over the renamed target.
    if (CopyOverRenamedTarget(port, source, systemDir, target, pCancel))
        return TRUE;

    // Way 3: staged in the temporary directory, moved over the target at the restart.
    // Only a copy made by this very call may be moved: a staged file left over from an
    // earlier attempt must never replace the target.
    if (!port.CopyWithProgress(source, staged, pCancel)) {
        Report(port, kFailedToCopy, source, pCancel);
        Report(port, kFailedToStage, target, pCancel);
        return TRUE;
    }
    if (!port.MoveFileWithFlags(staged, target, kMoveReplaceExisting | kMoveDelayUntilReboot))
        Report(port, kFailedToStage, target, pCancel);
    return TRUE;
}
