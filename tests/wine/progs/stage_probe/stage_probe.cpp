// stage_probe: staging of one system file and the copy progress dialog, under Wine,
// with the product's own code.
//
//   stage_probe stage [--hold=none|rename|lock] [--cancel=N] SOURCE TEMPDIR SYSDIR NAME
//       Holds SYSDIR+NAME open (rename: shared for reading and deletion; lock: for
//       reading only), shows the copy progress dialog over a small owner window and
//       calls StageSystemFile. A thread of its own answers every message box. Prints
//       "result N", "cancel N", one "box CAPTION|TEXT|ICON" line per box in order
//       (ICON is "error" for the error icon) and "file TEXT" (the dialog's m_strFile).
//   stage_probe pending
//       Prints the pending file operations for the next restart, one "FROM|TO" line each.
//   stage_probe progress FILE
//       Checks the dialog and its callback, called directly as the platform's copy
//       would call it, against a table; prints one line per check, exit 1 if any fails.
//   stage_probe bench SOURCE TEMPDIR SYSDIR NAME ROUNDS
//       Times StageSystemFile (free target: one copy with the progress callback)
//       against CopyFileA of the same file, alternating, and prints the medians.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "upgrade/copy_progress_dlg.h"
#include "upgrade/stage_system_file.h"

namespace {

CWinApp theApp("stage_probe");

// A visible top-level window that owns the progress dialog and the boxes, as the
// update dialog does in the product.
struct OwnerWindow {
    CWnd wnd;
    OwnerWindow() {
        wnd.m_hWnd = ::CreateWindowExA(0, "STATIC", "stage probe", WS_POPUP | WS_CAPTION | WS_VISIBLE, 200, 150, 500,
                                       300, NULL, NULL, ::GetModuleHandleA(NULL), NULL);
        theApp.m_pMainWnd = &wnd;
    }
    ~OwnerWindow() { theApp.m_pMainWnd = NULL; }
};

// Answers the message boxes of one thread from another, recording what they said.
class BoxAnswerer {
public:
    BoxAnswerer(DWORD threadId, HWND hProgress) : m_threadId(threadId), m_hProgress(hProgress) {
        m_hStop = ::CreateEventA(NULL, TRUE, FALSE, NULL);
        m_hThread = ::CreateThread(NULL, 0, &BoxAnswerer::Run, this, 0, NULL);
    }
    ~BoxAnswerer() {
        Stop();
        ::CloseHandle(m_hThread);
        ::CloseHandle(m_hStop);
    }
    // Ends the answering thread; then the lines can be read.
    std::vector<std::string> Stop() {
        ::SetEvent(m_hStop);
        ::WaitForSingleObject(m_hThread, INFINITE);
        return m_lines;
    }

private:
    static BOOL CALLBACK FindBox(HWND hWnd, LPARAM lParam) {
        BoxAnswerer *self = reinterpret_cast<BoxAnswerer *>(lParam);
        char cls[32];
        if (hWnd != self->m_hProgress && ::IsWindowVisible(hWnd) && ::GetClassNameA(hWnd, cls, sizeof cls) &&
            std::strcmp(cls, "#32770") == 0 && hWnd != self->m_hLastBox) {
            self->m_hFound = hWnd;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK FindIcon(HWND hWnd, LPARAM lParam) {
        char cls[32];
        if (::GetClassNameA(hWnd, cls, sizeof cls) && lstrcmpiA(cls, "Static") == 0 &&
            (::GetWindowLongA(hWnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            *reinterpret_cast<HWND *>(lParam) = hWnd;
            return FALSE;
        }
        return TRUE;
    }
    static DWORD WINAPI Run(LPVOID pv) {
        BoxAnswerer *self = static_cast<BoxAnswerer *>(pv);
        while (::WaitForSingleObject(self->m_hStop, 20) == WAIT_TIMEOUT) {
            self->m_hFound = NULL;
            ::EnumThreadWindows(self->m_threadId, &BoxAnswerer::FindBox, reinterpret_cast<LPARAM>(self));
            HWND hBox = self->m_hFound;
            if (!hBox)
                continue;
            char caption[128] = "", text[1024] = "";
            ::GetWindowTextA(hBox, caption, sizeof caption);
            ::GetDlgItemTextA(hBox, 0xFFFF, text, sizeof text);
            HWND hIcon = NULL;
            ::EnumChildWindows(hBox, &BoxAnswerer::FindIcon, reinterpret_cast<LPARAM>(&hIcon));
            // In the same process the box's icon handle is the shared system icon's.
            const HICON shown = hIcon ? reinterpret_cast<HICON>(::SendMessageA(hIcon, STM_GETICON, 0, 0)) : NULL;
            const char *icon = !shown ? "none" : shown == ::LoadIconA(NULL, IDI_HAND) ? "error" : "other";
            self->m_lines.push_back(std::string(caption) + "|" + text + "|" + icon);
            self->m_hLastBox = hBox;
            ::PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return 0;
    }

    DWORD m_threadId;
    HWND m_hProgress;
    HWND m_hFound = NULL;
    HWND m_hLastBox = NULL;
    HANDLE m_hStop;
    HANDLE m_hThread;
    std::vector<std::string> m_lines;
};

int Stage(int argc, char **argv) {
    const char *hold = "none";
    BOOL cancel = FALSE;
    int i = 2;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (std::strncmp(argv[i], "--hold=", 7) == 0)
            hold = argv[i] + 7;
        else if (std::strncmp(argv[i], "--cancel=", 9) == 0)
            cancel = std::atoi(argv[i] + 9);
    }
    if (argc - i != 4) {
        std::fprintf(stderr,
                     "usage: stage_probe stage [--hold=none|rename|lock] [--cancel=N] SOURCE TEMPDIR SYSDIR NAME\n");
        return 2;
    }
    const char *source = argv[i];
    const char *tempDir = argv[i + 1];
    const char *systemDir = argv[i + 2];
    const char *name = argv[i + 3];

    HANDLE hHeld = INVALID_HANDLE_VALUE;
    if (std::strcmp(hold, "none") != 0) {
        const DWORD share = std::strcmp(hold, "rename") == 0 ? FILE_SHARE_READ | FILE_SHARE_DELETE : FILE_SHARE_READ;
        const CString target = CString(systemDir) + name;
        hHeld = ::CreateFileA(target, GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
        if (hHeld == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "cannot hold %s: error %lu\n", static_cast<const char *>(target), ::GetLastError());
            return 2;
        }
    }

    OwnerWindow owner;
    CCopyProgressDlg dlg;
    owner.wnd.EnableWindow(FALSE);
    if (!dlg.Create(IDD_COPY_PROGRESS, &owner.wnd)) {
        std::fprintf(stderr, "cannot create the progress dialog\n");
        return 2;
    }
    dlg.ShowWindow(SW_SHOWNORMAL);
    BOOL result;
    std::vector<std::string> boxes;
    {
        BoxAnswerer answerer(::GetCurrentThreadId(), dlg.m_hWnd);
        result = StageSystemFile(source, tempDir, systemDir, name, &cancel, &dlg);
        boxes = answerer.Stop();
    }
    dlg.EndDialog(0);
    owner.wnd.EnableWindow(TRUE);
    if (hHeld != INVALID_HANDLE_VALUE)
        ::CloseHandle(hHeld);

    std::printf("result %d\ncancel %d\n", result, cancel);
    for (const std::string &box : boxes)
        std::printf("box %s\n", box.c_str());
    std::printf("file %s\n", static_cast<const char *>(dlg.m_strFile));
    return 0;
}

int Pending() {
    HKEY hKey;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                        &hKey) != ERROR_SUCCESS)
        return 2;
    std::vector<char> data(65536);
    DWORD cb = static_cast<DWORD>(data.size()), type = 0;
    const LONG status = ::RegQueryValueExA(hKey, "PendingFileRenameOperations", NULL, &type,
                                           reinterpret_cast<BYTE *>(data.data()), &cb);
    ::RegCloseKey(hKey);
    if (status != ERROR_SUCCESS)
        return 0; // nothing pending
    if (type != REG_MULTI_SZ)
        return 3;
    // Pairs of zero-terminated texts; an empty list ends with a second zero.
    const char *p = data.data();
    const char *end = data.data() + cb;
    while (p < end && *p) {
        const char *from = p;
        p += std::strlen(p) + 1;
        const char *to = p < end ? p : "";
        p += std::strlen(to) + 1;
        std::printf("%s|%s\n", from, to);
    }
    return 0;
}

// The bar's state and the file text, read back from the controls.
struct Seen {
    int low, high, pos;
    char text[MAX_PATH];
};

Seen Look(CCopyProgressDlg &dlg) {
    Seen seen;
    PBRANGE range = {};
    ::SendMessageA(dlg.m_progress.m_hWnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    seen.low = range.iLow;
    seen.high = range.iHigh;
    seen.pos = static_cast<int>(::SendMessageA(dlg.m_progress.m_hWnd, PBM_GETPOS, 0, 0));
    ::GetDlgItemTextA(dlg.m_hWnd, IDC_FILE, seen.text, sizeof seen.text);
    return seen;
}

int g_failures = 0;

void Expect(bool ok, const char *what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    g_failures += ok ? 0 : 1;
}

DWORD Report(DWORD reason, LONGLONG total, LONGLONG done, CCopyProgressDlg &dlg) {
    LARGE_INTEGER t, d, zero;
    t.QuadPart = total;
    d.QuadPart = done;
    zero.QuadPart = 0;
    return CopyProgressRoutine(t, d, zero, zero, 1, reason, NULL, NULL, &dlg);
}

int Progress(const char *file) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!::GetFileAttributesExA(file, GetFileExInfoStandard, &info) || info.nFileSizeHigh) {
        std::fprintf(stderr, "need a file below 4 GiB: %s\n", file);
        return 2;
    }
    const int size = static_cast<int>(info.nFileSizeLow);

    OwnerWindow owner;
    CCopyProgressDlg dlg;
    owner.wnd.EnableWindow(FALSE);
    Expect(dlg.Create(IDD_COPY_PROGRESS, &owner.wnd) != FALSE, "created from IDD_COPY_PROGRESS");
    char text[128];
    ::GetWindowTextA(dlg.m_hWnd, text, sizeof text);
    Expect(std::strcmp(text, "Copying Files....") == 0, "caption \"Copying Files....\"");
    Expect(!::IsWindowVisible(dlg.m_hWnd), "hidden after creation");
    Expect(::GetWindow(dlg.m_hWnd, GW_OWNER) == owner.wnd.m_hWnd, "owned by the parent");
    Seen seen = Look(dlg);
    Expect(seen.text[0] == '\0', "file text empty after creation, not \"Static\"");
    char cls[64] = "";
    ::GetClassNameA(dlg.m_progress.m_hWnd, cls, sizeof cls);
    Expect(dlg.m_progress.m_hWnd == ::GetDlgItem(dlg.m_hWnd, IDC_PROGRESS), "m_progress attached to IDC_PROGRESS");
    Expect(lstrcmpiA(cls, PROGRESS_CLASSA) == 0, "IDC_PROGRESS is a msctls_progress32");
    RECT rcDlg, rcOwner;
    ::GetWindowRect(dlg.m_hWnd, &rcDlg);
    ::GetWindowRect(owner.wnd.m_hWnd, &rcOwner);
    const LONG dx = (rcDlg.left + rcDlg.right) - (rcOwner.left + rcOwner.right);
    const LONG dy = (rcDlg.top + rcDlg.bottom) - (rcOwner.top + rcOwner.bottom);
    Expect(dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2, "centred over its owner");
    dlg.ShowWindow(SW_SHOWNORMAL);
    Expect(::IsWindowVisible(dlg.m_hWnd) != FALSE, "shown");

    dlg.m_strFile = file;
    Expect(Look(dlg).text[0] == '\0', "a new m_strFile waits for the next callback");

    // One stream of `size` bytes in pieces of 64 KiB, then odd reasons.
    struct Step {
        const char *what;
        DWORD reason;
        LONGLONG total, done;
        int high, pos; // expected bar
    };
    std::vector<Step> steps;
    steps.push_back({"stream start: range 0..size, position 0", CALLBACK_STREAM_SWITCH, size, 0, size, 0});
    for (int done = 0; done < size;) {
        done = std::min(size, done + 65536);
        steps.push_back({"piece finished: position = bytes so far", CALLBACK_CHUNK_FINISHED, size, done, size, done});
    }
    steps.push_back({"reason 2: bar untouched", 2, size, 17, size, size});
    steps.push_back({"4 GiB + 4096: range = low 32 bits", CALLBACK_STREAM_SWITCH, 0x100001000LL, 0, 4096, 0});
    steps.push_back({"4 GiB + 1000 copied: position = low 32 bits", CALLBACK_CHUNK_FINISHED, 0x100001000LL,
                     0x1000003E8LL, 4096, 1000});
    bool allSteps = true;
    for (const Step &step : steps) {
        const DWORD answer = Report(step.reason, step.total, step.done, dlg);
        seen = Look(dlg);
        const bool ok = answer == PROGRESS_CONTINUE && seen.low == 0 && seen.high == step.high &&
                        seen.pos == step.pos && std::strcmp(seen.text, file) == 0;
        if (!ok) {
            std::printf("  at \"%s\": answer %lu range %d..%d pos %d text \"%s\"\n", step.what, answer, seen.low,
                        seen.high, seen.pos, seen.text);
            allSteps = false;
        }
    }
    std::printf("  %u callbacks for %d bytes\n", static_cast<unsigned>(steps.size()), size);
    Expect(allSteps, "every callback: bar as the counts say, file text = m_strFile, answer PROGRESS_CONTINUE");

    dlg.m_strFile = "C:\\second\\file";
    Report(7, 0, 0, dlg);
    Expect(std::strcmp(Look(dlg).text, "C:\\second\\file") == 0, "any reason refreshes the file text");

    ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDCANCEL)));
    Expect(::IsWindow(dlg.m_hWnd) && !::IsWindowVisible(dlg.m_hWnd), "Cancel hides the dialog, which stays");
    return g_failures ? 1 : 0;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER freq) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

int Bench(int argc, char **argv) {
    if (argc != 7)
        return 2;
    const char *source = argv[2];
    const char *tempDir = argv[3];
    const char *systemDir = argv[4];
    const char *name = argv[5];
    const int rounds = std::atoi(argv[6]);
    const CString target = CString(systemDir) + name;
    const CString plain = target + ".plain";

    OwnerWindow owner;
    CCopyProgressDlg dlg;
    dlg.Create(IDD_COPY_PROGRESS, &owner.wnd);
    dlg.ShowWindow(SW_SHOWNORMAL);
    LARGE_INTEGER freq;
    ::QueryPerformanceFrequency(&freq);
    std::vector<double> staged, copied;
    // Warm the cache once, then alternate the two, each over an existing destination.
    ::CopyFileA(source, plain, FALSE);
    ::CopyFileA(source, target, FALSE);
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER t0, t1, t2;
        BOOL cancel = FALSE;
        ::QueryPerformanceCounter(&t0);
        StageSystemFile(source, tempDir, systemDir, name, &cancel, &dlg);
        ::QueryPerformanceCounter(&t1);
        const BOOL ok = ::CopyFileA(source, plain, FALSE);
        ::QueryPerformanceCounter(&t2);
        if (cancel || !ok)
            return 3;
        staged.push_back(Seconds(t0, t1, freq));
        copied.push_back(Seconds(t1, t2, freq));
    }
    // Wine's copy never calls the progress routine: time the calls that the platform's
    // copy of the same file in pieces of 64 KiB would make, on the real dialog.
    WIN32_FILE_ATTRIBUTE_DATA info;
    ::GetFileAttributesExA(source, GetFileExInfoStandard, &info);
    const LONGLONG size = (static_cast<LONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    std::vector<double> callbacks;
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER t0, t1;
        ::QueryPerformanceCounter(&t0);
        Report(CALLBACK_STREAM_SWITCH, size, 0, dlg);
        for (LONGLONG done = 0; done < size;) {
            done = std::min(size, done + 65536);
            Report(CALLBACK_CHUNK_FINISHED, size, done, dlg);
        }
        ::QueryPerformanceCounter(&t1);
        callbacks.push_back(Seconds(t0, t1, freq));
    }
    std::sort(staged.begin(), staged.end());
    std::sort(copied.begin(), copied.end());
    std::sort(callbacks.begin(), callbacks.end());
    const double s = staged[staged.size() / 2], c = copied[copied.size() / 2], k = callbacks[callbacks.size() / 2];
    std::printf("rounds %d\nstage_median_ms %.1f\ncopy_median_ms %.1f\nratio %.3f\n", rounds, s * 1000, c * 1000,
                s / c);
    std::printf("callbacks_64KiB_pieces_median_ms %.1f\nratio_with_callbacks %.3f\n", k * 1000, (s + k) / c);
    ::DeleteFileA(plain);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::strcmp(argv[1], "stage") == 0)
        return Stage(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "pending") == 0)
        return Pending();
    if (argc == 3 && std::strcmp(argv[1], "progress") == 0)
        return Progress(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "bench") == 0)
        return Bench(argc, argv);
    std::fprintf(stderr, "usage: stage_probe stage|pending|progress|bench ...\n");
    return 2;
}
