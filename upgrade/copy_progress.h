// What the copy progress callback does with one report of the platform's file copy.
//
// The platform calls the callback on the copying thread with a reason and byte counts;
// the callback turns them into at most two messages for the progress bar, then has the
// dialog write its file text once more, and lets the copy go on. Those decisions live
// here, free of any window: the Win32 callback supplies the view that sends the
// messages and refreshes the text.
#pragma once

#include <cstdint>

// Callback reasons of the platform's copy progress routine.
constexpr uint32_t kCallbackChunkFinished = 0;
constexpr uint32_t kCallbackStreamSwitch = 1;
// The only answer the callback ever gives: let the copy go on.
constexpr uint32_t kProgressContinue = 0;
// Progress bar messages (WM_USER + 6 and WM_USER + 2).
constexpr uint32_t kPbmSetRange32 = 0x0400 + 6;
constexpr uint32_t kPbmSetPos = 0x0400 + 2;

// Where the callback's effects go. Implemented by the progress dialog (Win32) and by
// recorders in the tests. Calls arrive on the copying thread, one after the other.
class CopyProgressView {
public:
    // Sends one message to the progress bar; its result is of no interest.
    virtual void SendBar(uint32_t message, uint32_t wParam, uint32_t lParam) = 0;
    // Writes the dialog's file text (its m_strFile) into the file control once more.
    virtual void RefreshFileText() = 0;

protected:
    ~CopyProgressView() = default;
};

// One report of the copy: a new stream sets the range to the file's size and the
// position to 0; a finished piece sets the position to the bytes copied so far;
// any other reason touches no bar. The file text is refreshed in every case. Only
// the low 32 bits of the counts are used. Returns kProgressContinue, always.
uint32_t ReportCopyProgress(CopyProgressView &view, uint32_t reason, uint64_t totalFileSize,
                            uint64_t totalBytesTransferred);
