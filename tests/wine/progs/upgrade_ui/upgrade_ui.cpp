// upgrade_ui COMMAND CAPTION [ARGUMENT] [TIMEOUT_MS]
//
// One action on a dialog of another process in the same prefix. The dialog is the
// visible top-level window of class "#32770" whose caption is exactly CAPTION; every
// command first waits for it (TIMEOUT_MS, default 10000) and fails with exit 1 when
// it does not come.
//
//   wait CAPTION                 the dialog is there
//   gone CAPTION                 waits until no such dialog is visible
//   text CAPTION ID              prints the text of control ID (decimal)
//   combo CAPTION ID             prints the selected entry of combo box ID
//   enabled CAPTION ID           prints 1 or 0: whether control ID takes input
//   press CAPTION ID             presses button ID (posted, so modal UI may follow)
//   box CAPTION                  prints the text of the message box, then answers OK
//   peek CAPTION                 prints the text of the message box and leaves it
//   pick CAPTION PATH            types PATH into the file dialog's name box and presses Open
//   count CAPTION                prints how many such dialogs are visible (no wait)
//   owner CAPTION OWNER          prints 1 when the dialog's owner is the dialog OWNER
//
// Output is the text and a line end; exit 0 on success, 1 on timeout, 2 on misuse.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Search {
    const char *caption;
    HWND found;
    int count;
};

BOOL CALLBACK Visit(HWND hWnd, LPARAM lParam) {
    Search *search = reinterpret_cast<Search *>(lParam);
    char cls[64], caption[512];
    if (!IsWindowVisible(hWnd) || !GetClassNameA(hWnd, cls, sizeof cls) || std::strcmp(cls, "#32770") != 0)
        return TRUE;
    GetWindowTextA(hWnd, caption, sizeof caption);
    if (std::strcmp(caption, search->caption) == 0) {
        if (!search->found)
            search->found = hWnd;
        ++search->count;
    }
    return TRUE;
}

Search Find(const char *caption) {
    Search search = {caption, NULL, 0};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search;
}

HWND WaitFor(const char *caption, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        const HWND hWnd = Find(caption).found;
        if (hWnd)
            return hWnd;
        if (GetTickCount() - start > timeout)
            return NULL;
        Sleep(20);
    }
}

void PrintText(HWND hWnd) {
    char text[2048] = "";
    GetWindowTextA(hWnd, text, sizeof text);
    std::printf("%s\n", text);
}

void Press(HWND hDlg, int id) {
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id)));
}

// The name box of the file dialog: the Explorer form's combo box edit, else edt1.
HWND NameBox(HWND hDlg) {
    const HWND hCombo = FindWindowExA(GetDlgItem(hDlg, 0x47C), NULL, "ComboBox", NULL);
    HWND hEdit = hCombo ? FindWindowExA(hCombo, NULL, "Edit", NULL) : NULL;
    if (!hEdit)
        hEdit = FindWindowExA(GetDlgItem(hDlg, 0x47C), NULL, "Edit", NULL);
    if (!hEdit)
        hEdit = GetDlgItem(hDlg, 0x480);
    return hEdit;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: upgrade_ui COMMAND CAPTION [ARGUMENT] [TIMEOUT_MS]\n");
        return 2;
    }
    const char *command = argv[1];
    const char *caption = argv[2];
    const bool takesArgument = !std::strcmp(command, "text") || !std::strcmp(command, "combo") ||
                               !std::strcmp(command, "enabled") || !std::strcmp(command, "press") ||
                               !std::strcmp(command, "pick") || !std::strcmp(command, "owner");
    if (takesArgument && argc < 4) {
        std::fprintf(stderr, "upgrade_ui %s: argument missing\n", command);
        return 2;
    }
    const char *argument = takesArgument ? argv[3] : NULL;
    const int timeoutIndex = takesArgument ? 4 : 3;
    const DWORD timeout = argc > timeoutIndex ? std::strtoul(argv[timeoutIndex], NULL, 10) : 10000;

    if (!std::strcmp(command, "count")) {
        std::printf("%d\n", Find(caption).count);
        return 0;
    }
    if (!std::strcmp(command, "gone")) {
        const DWORD start = GetTickCount();
        while (Find(caption).found) {
            if (GetTickCount() - start > timeout) {
                std::fprintf(stderr, "upgrade_ui: '%s' still there\n", caption);
                return 1;
            }
            Sleep(20);
        }
        return 0;
    }

    const HWND hDlg = WaitFor(caption, timeout);
    if (!hDlg) {
        std::fprintf(stderr, "upgrade_ui: no dialog '%s'\n", caption);
        return 1;
    }
    if (!std::strcmp(command, "wait"))
        return 0;
    if (!std::strcmp(command, "text")) {
        PrintText(GetDlgItem(hDlg, std::atoi(argument)));
        return 0;
    }
    if (!std::strcmp(command, "combo")) {
        const HWND hCombo = GetDlgItem(hDlg, std::atoi(argument));
        // The file dialog's controls are Unicode windows: ask in Unicode.
        const LRESULT index = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
        wchar_t wide[512] = L"";
        char text[1024] = "";
        if (index >= 0 && SendMessageW(hCombo, CB_GETLBTEXTLEN, index, 0) < 512) {
            SendMessageW(hCombo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, NULL, NULL);
        }
        std::printf("%s\n", text);
        return 0;
    }
    if (!std::strcmp(command, "enabled")) {
        std::printf("%d\n", IsWindowEnabled(GetDlgItem(hDlg, std::atoi(argument))) ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(command, "press")) {
        Press(hDlg, std::atoi(argument));
        return 0;
    }
    if (!std::strcmp(command, "box") || !std::strcmp(command, "peek")) {
        PrintText(GetDlgItem(hDlg, 0xFFFF));
        if (!std::strcmp(command, "box"))
            Press(hDlg, IDOK);
        return 0;
    }
    if (!std::strcmp(command, "pick")) {
        const HWND hName = NameBox(hDlg);
        if (!hName) {
            std::fprintf(stderr, "upgrade_ui: no name box in '%s'\n", caption);
            return 1;
        }
        SendMessageA(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argument));
        Press(hDlg, IDOK);
        return 0;
    }
    if (!std::strcmp(command, "owner")) {
        const HWND hOwner = WaitFor(argument, timeout);
        std::printf("%d\n", hOwner && GetWindow(hDlg, GW_OWNER) == hOwner ? 1 : 0);
        return 0;
    }
    std::fprintf(stderr, "upgrade_ui: unknown command %s\n", command);
    return 2;
}
