// ui_driver: drives the program's dialogs from a second process in the same Wine prefix.
//
//   ui_driver COMMAND [ARGS] [COMMAND [ARGS]] ...
//
// Commands run in order against the "current window", which `wait` selects. Queries
// print one line each on standard output; texts have CR and LF escaped as \r and \n.
// A failing command prints a line on standard error and ends the program with exit
// status 1 (2 for a usage error); 0 when every command succeeded. IDs are decimal or
// 0x-hexadecimal (a message box's text is the static 0xFFFF).
//
//   wait CAPTION [MS]   wait (default 10000 ms) for a visible dialog (#32770) with this
//                       caption; it becomes the current window
//   gone CAPTION [MS]   wait until no visible dialog has this caption
//   exists CAPTION      print 1 if a visible dialog has this caption now, else 0
//   windows             print every visible top-level window: class and caption
//   caption             print the current window's caption
//   text ID             print the text of control ID
//   enabled ID          print 1 if control ID is enabled, else 0 (ID 0: the window itself)
//   visible ID          print 1 if control ID is visible, else 0 (ID 0: the window itself)
//   style ID            print "STYLE EXSTYLE" in hexadecimal (ID 0: the window itself)
//   class ID            print the window class of control ID
//   owner               print the owner's caption and "enabled"/"disabled", or "none"
//   focus               print the ID of the control that has the keyboard focus
//   list                print every child: ID, class, visible, enabled, text
//   rect                print "window L T R B", "client W H", "screen W H" and
//                       "workarea L T R B" (pixels, on four lines)
//   dlu ID              print "X Y W H" of control ID in dialog units, relative to the
//                       dialog's client area; values that do not map back exactly to the
//                       pixels are marked with '~'
//   clientdlu           print "W H" of the client area in dialog units
//   font FACE POINTS    the dialog font that dlu and clientdlu convert with (default
//                       "MS Sans Serif" 8); needs no current window
//   icon                print the kind of the message box icon in the current window:
//                       error, information, warning, question, none or unknown
//                       (compares the screen pixels with each system icon; needs X)
//   combo ID            print the selected entry of combo box ID (asked in Unicode: the
//                       file dialog's controls are Unicode windows)
//   click ID            post BM_CLICK to control ID (modal UI it opens does not block)
//   command ID          post WM_COMMAND ID (BN_CLICKED) to the current window
//   close               post the close-box command (WM_SYSCOMMAND SC_CLOSE)
//   key VK              post key down and up to the focused control; VK is RETURN,
//                       ESCAPE, F1 or a number
//   filename PATH       type PATH into the file dialog's name box and press its OK
//   sleep MS            wait MS milliseconds
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND g_hCurrent = NULL;

int Fail(const char* pszWhat, const char* pszArg = "") {
    std::fprintf(stderr, "ui_driver: %s%s\n", pszWhat, pszArg);
    return 1;
}

void PrintEscaped(const char* psz) {
    for (; *psz; ++psz) {
        if (*psz == '\r')
            std::fputs("\\r", stdout);
        else if (*psz == '\n')
            std::fputs("\\n", stdout);
        else
            std::fputc(*psz, stdout);
    }
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Print(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    std::vprintf(pszFormat, args);
    va_end(args);
    std::fflush(stdout);
}

int ParseId(const char* psz) { return static_cast<int>(std::strtol(psz, NULL, 0)); }

HWND FindVisibleDialog(const char* pszCaption) {
    HWND hWnd = NULL;
    while ((hWnd = FindWindowExA(NULL, hWnd, "#32770", pszCaption)) != NULL)
        if (IsWindowVisible(hWnd))
            return hWnd;
    return NULL;
}

// The current window itself for ID 0, else its control ID.
HWND Control(int nId) { return nId == 0 ? g_hCurrent : GetDlgItem(g_hCurrent, nId); }

const char* WindowText(HWND hWnd) {
    static char sz[4096];
    sz[0] = '\0';
    GetWindowTextA(hWnd, sz, sizeof sz);
    return sz;
}

// Dialog units of a pixel distance along one axis: the value whose mapping gives the pixels.
void PrintDlu(int nPixels, int nBase, int nUnitsPerBase) {
    int nGuess = MulDiv(nPixels, nUnitsPerBase, nBase);
    for (int d = -1; d <= 1; ++d)
        if (MulDiv(nGuess + d, nBase, nUnitsPerBase) == nPixels) {
            Print("%d", nGuess + d);
            return;
        }
    Print("~%d", nGuess);
}

// The dialog font that `dlu` converts with; MapDialogRect cannot read another process's
// dialog, so the base units come from a hidden dialog of our own in the same font.
char g_szFontFace[LF_FACESIZE] = "MS Sans Serif";
WORD g_wFontPoints = 8;

INT_PTR CALLBACK NullDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void DialogBase(int* pnBaseX, int* pnBaseY) {
    // DLGTEMPLATE, no menu, no class, no title, the point size and the face in UTF-16.
    alignas(4) WORD awTemplate[64];
    std::memset(awTemplate, 0, sizeof awTemplate);
    DLGTEMPLATE* pTemplate = reinterpret_cast<DLGTEMPLATE*>(awTemplate);
    pTemplate->style = WS_POPUP | DS_SETFONT;
    pTemplate->cx = 100;
    pTemplate->cy = 100;
    WORD* pw = awTemplate + sizeof(DLGTEMPLATE) / sizeof(WORD) + 3;
    *pw++ = g_wFontPoints;
    MultiByteToWideChar(CP_ACP, 0, g_szFontFace, -1, reinterpret_cast<LPWSTR>(pw), LF_FACESIZE);
    HWND hDlg = CreateDialogIndirectParamA(GetModuleHandleA(NULL), pTemplate, NULL, NullDlgProc, 0);
    RECT rc = {0, 0, 4, 8};
    MapDialogRect(hDlg, &rc);
    DestroyWindow(hDlg);
    *pnBaseX = rc.right;
    *pnBaseY = rc.bottom;
}

// The message box icon: the screen pixels under the icon static against each system icon.
const char* IconKind() {
    HWND hIcon = NULL;
    for (HWND h = GetWindow(g_hCurrent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if ((GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(h))
            hIcon = h;
    if (!hIcon)
        return "none";
    RECT rc;
    GetWindowRect(hIcon, &rc);
    int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0)
        return "none";
    HDC hScreen = GetDC(NULL);
    HDC hMem = CreateCompatibleDC(hScreen);
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pvShot = NULL;
    void* pvDrawn = NULL;
    HBITMAP hShot = CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &pvShot, NULL, 0);
    HBITMAP hDrawn = CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &pvDrawn, NULL, 0);
    HGDIOBJ hOld = SelectObject(hMem, hShot);
    BitBlt(hMem, 0, 0, cx, cy, hScreen, rc.left, rc.top, SRCCOPY);
    COLORREF crBack = GetPixel(hMem, 0, 0);
    struct Candidate {
        LPCSTR pszId;
        const char* pszName;
    } const candidates[] = {{IDI_HAND, "error"},
                            {IDI_ASTERISK, "information"},
                            {IDI_EXCLAMATION, "warning"},
                            {IDI_QUESTION, "question"}};
    const char* pszBest = "unknown";
    long nBest = static_cast<long>(cx) * cy / 10 + 1; // more than a tenth differing: no match
    SelectObject(hMem, hDrawn);
    HBRUSH hBrush = CreateSolidBrush(crBack);
    for (const Candidate& c : candidates) {
        RECT rcAll = {0, 0, cx, cy};
        FillRect(hMem, &rcAll, hBrush);
        DrawIconEx(hMem, 0, 0, LoadIconA(NULL, c.pszId), 0, 0, 0, NULL, DI_NORMAL | DI_DEFAULTSIZE);
        GdiFlush();
        const DWORD* pShot = static_cast<const DWORD*>(pvShot);
        const DWORD* pDrawn = static_cast<const DWORD*>(pvDrawn);
        long nDiffer = 0;
        for (long i = 0; i < static_cast<long>(cx) * cy; ++i)
            nDiffer += (pShot[i] & 0xFFFFFF) != (pDrawn[i] & 0xFFFFFF);
        if (nDiffer < nBest) {
            nBest = nDiffer;
            pszBest = c.pszName;
        }
    }
    DeleteObject(hBrush);
    SelectObject(hMem, hOld);
    DeleteObject(hShot);
    DeleteObject(hDrawn);
    DeleteDC(hMem);
    ReleaseDC(NULL, hScreen);
    return pszBest;
}

UINT VirtualKey(const char* psz) {
    if (!std::strcmp(psz, "RETURN"))
        return VK_RETURN;
    if (!std::strcmp(psz, "ESCAPE"))
        return VK_ESCAPE;
    if (!std::strcmp(psz, "F1"))
        return VK_F1;
    return static_cast<UINT>(std::strtoul(psz, NULL, 0));
}

HWND FocusOf(HWND hWnd) {
    GUITHREADINFO info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, NULL), &info) && info.hwndFocus)
        return info.hwndFocus;
    return hWnd;
}

// Number of arguments each command takes (minimum, maximum).
struct Syntax {
    const char* pszName;
    int nMin, nMax;
};
const Syntax kSyntax[] = {
    {"wait", 1, 2},    {"gone", 1, 2},      {"exists", 1, 1}, {"caption", 0, 0}, {"text", 1, 1},    {"enabled", 1, 1},
    {"visible", 1, 1}, {"style", 1, 1},     {"class", 1, 1},  {"owner", 0, 0},   {"focus", 0, 0},   {"list", 0, 0},
    {"rect", 0, 0},    {"dlu", 1, 1},       {"clientdlu", 0, 0}, {"icon", 0, 0}, {"click", 1, 1},   {"command", 1, 1},
    {"close", 0, 0},   {"key", 1, 1},       {"filename", 1, 1}, {"sleep", 1, 1},   {"font", 2, 2},     {"windows", 0, 0},
    {"combo", 1, 1},
};

// Runs one command with its arguments; returns 0 or the exit status.
int Run(const char* pszCmd, int nArgs, char** ppszArgs) {
    const char* a1 = nArgs > 0 ? ppszArgs[0] : "";
    const char* a2 = nArgs > 1 ? ppszArgs[1] : NULL;
    if (!std::strcmp(pszCmd, "sleep")) {
        Sleep(static_cast<DWORD>(std::atoi(a1)));
        return 0;
    }
    if (!std::strcmp(pszCmd, "wait") || !std::strcmp(pszCmd, "gone")) {
        bool bWantGone = pszCmd[0] == 'g';
        DWORD dwLimit = a2 ? static_cast<DWORD>(std::atoi(a2)) : 10000;
        DWORD dwStart = GetTickCount();
        for (;;) {
            HWND hWnd = FindVisibleDialog(a1);
            if (!bWantGone && hWnd) {
                g_hCurrent = hWnd;
                return 0;
            }
            if (bWantGone && !hWnd)
                return 0;
            if (GetTickCount() - dwStart >= dwLimit)
                return Fail(bWantGone ? "still there: " : "timed out waiting for: ", a1);
            Sleep(20);
        }
    }
    if (!std::strcmp(pszCmd, "font")) {
        lstrcpynA(g_szFontFace, a1, LF_FACESIZE);
        g_wFontPoints = static_cast<WORD>(std::atoi(a2));
        return 0;
    }
    if (!std::strcmp(pszCmd, "windows")) {
        for (HWND h = GetTopWindow(NULL); h; h = GetWindow(h, GW_HWNDNEXT)) {
            if (!IsWindowVisible(h))
                continue;
            char szClass[64];
            GetClassNameA(h, szClass, sizeof szClass);
            Print("%s ", szClass);
            PrintEscaped(WindowText(h));
        }
        return 0;
    }
    if (!std::strcmp(pszCmd, "exists")) {
        Print("%d\n", FindVisibleDialog(a1) ? 1 : 0);
        return 0;
    }
    if (!g_hCurrent || !IsWindow(g_hCurrent))
        return Fail("no current window for ", pszCmd);

    if (!std::strcmp(pszCmd, "caption")) {
        PrintEscaped(WindowText(g_hCurrent));
        return 0;
    }
    if (!std::strcmp(pszCmd, "owner")) {
        HWND hOwner = GetWindow(g_hCurrent, GW_OWNER);
        if (!hOwner)
            Print("none\n");
        else
            Print("%s %s\n", WindowText(hOwner), IsWindowEnabled(hOwner) ? "enabled" : "disabled");
        return 0;
    }
    if (!std::strcmp(pszCmd, "focus")) {
        HWND hFocus = FocusOf(g_hCurrent);
        Print("%d\n", hFocus == g_hCurrent ? 0 : GetDlgCtrlID(hFocus));
        return 0;
    }
    if (!std::strcmp(pszCmd, "list")) {
        for (HWND h = GetWindow(g_hCurrent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            char szClass[64];
            GetClassNameA(h, szClass, sizeof szClass);
            Print("%d %s %d %d ", GetDlgCtrlID(h), szClass, IsWindowVisible(h) ? 1 : 0, IsWindowEnabled(h) ? 1 : 0);
            PrintEscaped(WindowText(h));
        }
        return 0;
    }
    if (!std::strcmp(pszCmd, "rect")) {
        RECT rcWindow, rcClient, rcWork;
        GetWindowRect(g_hCurrent, &rcWindow);
        GetClientRect(g_hCurrent, &rcClient);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
        Print("window %ld %ld %ld %ld\n", rcWindow.left, rcWindow.top, rcWindow.right, rcWindow.bottom);
        Print("client %ld %ld\n", rcClient.right, rcClient.bottom);
        Print("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        Print("workarea %ld %ld %ld %ld\n", rcWork.left, rcWork.top, rcWork.right, rcWork.bottom);
        return 0;
    }
    if (!std::strcmp(pszCmd, "clientdlu")) {
        int nBaseX, nBaseY;
        DialogBase(&nBaseX, &nBaseY);
        RECT rc;
        GetClientRect(g_hCurrent, &rc);
        PrintDlu(rc.right, nBaseX, 4);
        Print(" ");
        PrintDlu(rc.bottom, nBaseY, 8);
        Print("\n");
        return 0;
    }
    if (!std::strcmp(pszCmd, "icon")) {
        Print("%s\n", IconKind());
        return 0;
    }
    if (!std::strcmp(pszCmd, "close")) {
        PostMessageA(g_hCurrent, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    if (!std::strcmp(pszCmd, "key")) {
        HWND hFocus = FocusOf(g_hCurrent);
        UINT vk = VirtualKey(a1);
        PostMessageA(hFocus, WM_KEYDOWN, vk, 1);
        PostMessageA(hFocus, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
        return 0;
    }
    if (!std::strcmp(pszCmd, "filename")) {
        // The Explorer-style dialog: an Edit in a ComboBox in a ComboBoxEx32, all 0x47C;
        // the old style has the edit 0x480.
        HWND hEdit = GetDlgItem(g_hCurrent, 0x480);
        if (!hEdit) {
            HWND hCombo = FindWindowExA(GetDlgItem(g_hCurrent, 0x47C), NULL, "ComboBox", NULL);
            hEdit = hCombo ? FindWindowExA(hCombo, NULL, "Edit", NULL) : NULL;
            if (!hEdit)
                hEdit = FindWindowExA(GetDlgItem(g_hCurrent, 0x47C), NULL, "Edit", NULL);
        }
        if (!hEdit)
            return Fail("no file name box in the current window");
        SendMessageA(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a1));
        PostMessageA(g_hCurrent, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(g_hCurrent, IDOK)));
        return 0;
    }

    // The remaining commands name a control.
    int nId = ParseId(a1);
    HWND hCtrl = Control(nId);
    if (!hCtrl && std::strcmp(pszCmd, "command"))
        return Fail("no control ", a1);
    if (!std::strcmp(pszCmd, "text")) {
        PrintEscaped(WindowText(hCtrl));
    } else if (!std::strcmp(pszCmd, "combo")) {
        const LRESULT index = SendMessageW(hCtrl, CB_GETCURSEL, 0, 0);
        wchar_t wide[512] = L"";
        char text[1024] = "";
        if (index >= 0 && SendMessageW(hCtrl, CB_GETLBTEXTLEN, index, 0) < 512) {
            SendMessageW(hCtrl, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, NULL, NULL);
        }
        PrintEscaped(text);
    } else if (!std::strcmp(pszCmd, "enabled")) {
        Print("%d\n", IsWindowEnabled(hCtrl) ? 1 : 0);
    } else if (!std::strcmp(pszCmd, "visible")) {
        Print("%d\n", IsWindowVisible(hCtrl) ? 1 : 0);
    } else if (!std::strcmp(pszCmd, "style")) {
        Print("%08lX %08lX\n", static_cast<unsigned long>(GetWindowLongA(hCtrl, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongA(hCtrl, GWL_EXSTYLE)));
    } else if (!std::strcmp(pszCmd, "class")) {
        char szClass[64];
        GetClassNameA(hCtrl, szClass, sizeof szClass);
        Print("%s\n", szClass);
    } else if (!std::strcmp(pszCmd, "dlu")) {
        int nBaseX, nBaseY;
        DialogBase(&nBaseX, &nBaseY);
        RECT rc;
        GetWindowRect(hCtrl, &rc);
        MapWindowPoints(NULL, g_hCurrent, reinterpret_cast<POINT*>(&rc), 2);
        PrintDlu(rc.left, nBaseX, 4);
        Print(" ");
        PrintDlu(rc.top, nBaseY, 8);
        Print(" ");
        PrintDlu(rc.right - rc.left, nBaseX, 4);
        Print(" ");
        PrintDlu(rc.bottom - rc.top, nBaseY, 8);
        Print("\n");
    } else if (!std::strcmp(pszCmd, "click")) {
        PostMessageA(hCtrl, BM_CLICK, 0, 0);
    } else if (!std::strcmp(pszCmd, "command")) {
        PostMessageA(g_hCurrent, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(hCtrl));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("usage: ui_driver COMMAND [ARGS] ... (see the source for the commands)") + 1;
    for (int i = 1; i < argc;) {
        const Syntax* pSyntax = NULL;
        for (const Syntax& s : kSyntax)
            if (!std::strcmp(s.pszName, argv[i]))
                pSyntax = &s;
        if (!pSyntax)
            return Fail("unknown command ", argv[i]) + 1;
        // Take the optional argument only when it is not the next command.
        int nArgs = pSyntax->nMin;
        if (i + 1 + nArgs > argc)
            return Fail("missing argument for ", argv[i]) + 1;
        if (pSyntax->nMax > nArgs && i + 1 + nArgs < argc) {
            const char* pszNext = argv[i + 1 + nArgs];
            bool bIsCommand = false;
            for (const Syntax& s : kSyntax)
                bIsCommand |= !std::strcmp(s.pszName, pszNext);
            if (!bIsCommand)
                ++nArgs;
        }
        int nStatus = Run(argv[i], nArgs, argv + i + 1);
        if (nStatus)
            return nStatus;
        i += 1 + nArgs;
    }
    return 0;
}
