// Win32 adapter of the physical memory port: ntdll exports, system error texts, handles.
#include <windows.h>

#include "firmware/nt_port.h"

void *LookupNtdllEntry(const char *name) {
    FARPROC entry = GetProcAddress(GetModuleHandleA("ntdll.dll"), name);
    return reinterpret_cast<void *>(entry);
}

bool FormatSystemText(uint32_t code, CString *text) {
    text->Empty();
    char *buffer = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char *>(&buffer), 0, nullptr);
    if (length != 0 && buffer)
        *text = CString(buffer, static_cast<int>(length));
    if (buffer)
        LocalFree(buffer);
    return !text->IsEmpty();
}

void CloseSectionHandle(void *handle) {
    CloseHandle(handle);
}
