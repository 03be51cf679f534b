// Port of the physical memory window to the platform.
//
// The portable firmware code reaches the operating system only through these three
// calls. The Win32 adapter (nt_port_win32.cpp) implements them with kernel32; native
// builds (tests, fwprobe, benchmarks, fuzzing) supply their own implementation, whose
// entry points serve a byte image of physical memory. All calls come from one thread.
#pragma once

#include <cstdint>

#include "framework/cstring.h"

// Address of the named export of the already loaded module "ntdll.dll", or null when
// it has none. The module is neither loaded nor released.
void *LookupNtdllEntry(const char *name);

// The system's own text for a Win32 error code (FormatMessageA from the system,
// language neutral/default), unaltered, line end included. False, with *text left
// empty, when the system has no text for the code.
bool FormatSystemText(uint32_t code, CString *text);

// Closes a section handle that NtOpenSection returned. The handle is not used again.
void CloseSectionHandle(void *handle);
