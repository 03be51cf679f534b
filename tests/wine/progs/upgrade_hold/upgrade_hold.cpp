// upgrade_hold MODE PATH...
//
// Opens every PATH for reading and keeps it open, as a running system keeps its
// kernel, HAL and libraries open:
//   rename  shares reading and deletion: the file cannot be overwritten, but it can
//           be renamed aside;
//   lock    shares reading only: the file can be neither overwritten nor renamed.
// Prints "READY" once all files are open (exit 2 when one cannot be opened), then
// holds them until standard input reaches its end. Like every program on a machine
// that restarts, it also ends when the session ends: its hidden window answers
// WM_ENDSESSION by closing the files and leaving, and it prints "ENDSESSION" first.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HANDLE g_files[16];
int g_count = 0;
HWND g_hWnd = NULL;

void CloseAll() {
    for (int i = 0; i < g_count; ++i)
        CloseHandle(g_files[i]);
    g_count = 0;
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) {
            std::printf("ENDSESSION\n");
            std::fflush(stdout);
            CloseAll();
            ExitProcess(0);
        }
        return 0;
    default:
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}

DWORD WINAPI WaitForEndOfInput(LPVOID) {
    char buffer[256];
    DWORD read = 0;
    const HANDLE hInput = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(hInput, buffer, sizeof buffer, &read, NULL) && read)
        ;
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3 || argc - 2 > 16 || (std::strcmp(argv[1], "rename") && std::strcmp(argv[1], "lock"))) {
        std::fprintf(stderr, "usage: upgrade_hold rename|lock PATH...\n");
        return 2;
    }
    const DWORD share = std::strcmp(argv[1], "rename") == 0 ? FILE_SHARE_READ | FILE_SHARE_DELETE : FILE_SHARE_READ;
    for (int i = 2; i < argc; ++i) {
        const HANDLE hFile = CreateFileA(argv[i], GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
        if (hFile == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "cannot open %s: error %lu\n", argv[i], GetLastError());
            CloseAll();
            return 2;
        }
        g_files[g_count++] = hFile;
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "UpgradeHold";
    RegisterClassA(&wc);
    g_hWnd = CreateWindowA("UpgradeHold", "upgrade_hold", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, wc.hInstance, NULL);
    CloseHandle(CreateThread(NULL, 0, WaitForEndOfInput, NULL, 0, NULL));

    std::printf("READY\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_CLOSE && msg.hwnd == g_hWnd)
            break;
        DispatchMessageA(&msg);
    }
    CloseAll();
    return 0;
}
