// The platform operations that staged replacement of a system file needs.
//
// The order of the operations is the routine's own logic (stage_system_file_core.h);
// each host supplies them: the Win32 build with the platform's file calls and message
// boxes, the native tests with an in-memory file system. All texts are 8-bit,
// zero-terminated and owned by the caller; no call keeps a pointer after it returns.
// Every call is made on the one thread that runs the update.
#pragma once

#include <cstdint>

#include "framework/portable.h"

// Path and text buffers of the platform: 260 characters with the terminating zero.
constexpr unsigned kPathChars = 260;
// Flags of the platform's move with options (the same values as the platform's).
constexpr uint32_t kMoveReplaceExisting = 0x1;
constexpr uint32_t kMoveDelayUntilReboot = 0x4;

class StagePort {
public:
    // Shows `source` as the file being copied (the progress dialog's m_strFile); it
    // reaches the screen with the next progress report.
    virtual void ShowSourceFile(const char *source) = 0;
    // Copies `from` over `to` (an existing `to` is overwritten), reporting progress to
    // the progress dialog; the copy stops when *pCancel becomes nonzero while it runs.
    // Nonzero on success.
    virtual BOOL CopyWithProgress(const char *from, const char *to, BOOL *pCancel) = 0;
    // Opens `path` for reading and closes it again at once. Nonzero when it could be
    // opened, that is when a copy from it can at least begin.
    virtual BOOL ProbeReadable(const char *path) = 0;
    // Reserves a name beginning with `prefix` that no file in `dir` has, writes it (with
    // `dir` in front) into `name`, which holds kPathChars characters, and creates an
    // empty file of that name. Returns the unique number used, 0 when nothing was
    // reserved (then `name` is unset).
    virtual uint32_t ReserveName(const char *dir, const char *prefix, char *name) = 0;
    // Deletes the file `path`. Nonzero on success.
    virtual BOOL RemoveFile(const char *path) = 0;
    // Renames `from` to `to`, which must not exist yet. Nonzero on success.
    virtual BOOL RenameFile(const char *from, const char *to) = 0;
    // Moves `from` to `to` with kMove* flags: at once, or, with kMoveDelayUntilReboot,
    // as a request that the platform carries out at the next restart, in the order of
    // the requests; a null `to` asks for the deletion of `from`. Nonzero when done or,
    // for a delayed move, accepted.
    virtual BOOL MoveFileWithFlags(const char *from, const char *to, uint32_t flags) = 0;
    // Shows a modal failure box (error icon, OK button) with `text`; returns when the
    // user has closed it.
    virtual void ReportError(const char *text) = 0;

protected:
    ~StagePort() = default;
};
