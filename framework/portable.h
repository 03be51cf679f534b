// Plain types shared by the portable logic and the Win32 adapters.
//
// The portable code includes no Windows header, yet speaks the platform's words:
// BOOL results, TRUE and FALSE. These declarations are identical to the
// platform's own, so both may be seen in one translation unit. Fixed-width
// values use <cstdint> types, never DWORD or ULONG, whose width differs on Linux.
#pragma once

#include <cstdint>

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
