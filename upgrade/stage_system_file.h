// Staged replacement of one system file, for the update sequence (Win32).
#pragma once

#include "framework/framework.h"
#include "upgrade/copy_progress_dlg.h"

// Puts `source` in the place of systemDir + name: copied over it at once where it can
// be, over the renamed file otherwise (the old file then goes at the next restart), or
// else staged as tempDir + name and moved over the target at the next restart.
// `tempDir` and `systemDir` end with a backslash, `name` begins with one. Every copy
// reports to `pProgress`, whose m_strFile becomes the source path, and gets
// `pCancel` as its cancel flag. A failure of the last way is shown in boxes and sets
// *pCancel to TRUE, which holds back the restart; a call that finds *pCancel nonzero
// does nothing. After the next restart the target holds the old file or the new one,
// never nothing (unless the platform refuses even to put a renamed target back, see
// stage_system_file_core.cpp). Returns TRUE in every case.
BOOL StageSystemFile(LPCSTR source, LPCSTR tempDir, LPCSTR systemDir, LPCSTR name, BOOL *pCancel,
                     CCopyProgressDlg *pProgress);
