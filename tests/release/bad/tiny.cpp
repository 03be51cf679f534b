// A deliberately small executable for the release checks' own tests: built with
// one fault at a time, it must make exactly that check fail.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
#ifdef USE_NEWER_API
    // GetFileSizeEx first shipped after NT 4.0.
    LARGE_INTEGER size;
    GetFileSizeEx(GetStdHandle(STD_INPUT_HANDLE), &size);
#endif
    return MessageBoxA(NULL, "tiny", "tiny", MB_OK);
}
