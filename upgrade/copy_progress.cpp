// What the copy progress callback does with one report of the platform's file copy.
#include "upgrade/copy_progress.h"

uint32_t ReportCopyProgress(CopyProgressView &view, uint32_t reason, uint64_t totalFileSize,
                            uint64_t totalBytesTransferred) {
    if (reason == kCallbackStreamSwitch) {
        view.SendBar(kPbmSetRange32, 0, static_cast<uint32_t>(totalFileSize));
        view.SendBar(kPbmSetPos, 0, 0);
    } else if (reason == kCallbackChunkFinished) {
        view.SendBar(kPbmSetPos, static_cast<uint32_t>(totalBytesTransferred), 0);
    }
    view.RefreshFileText();
    return kProgressContinue;
}
