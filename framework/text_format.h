// Printf-style formatting into a caller's buffer: the one formatting routine of the
// program (CString::Format and the trace go through it).
//
// Native builds format with the C library's vsnprintf (text_format.cpp); the Windows
// builds with the C runtime's own _vsnprintf (text_format_win32.cpp), so that the
// product carries no formatting code of its own. Only the conversions that both
// format alike are used: %d, %u, %X with flags and widths, %s, %c.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats into buffer, which holds size bytes (size >= 1). Returns the length of the
// text when all of it and its terminating zero fit; otherwise -1, with buffer holding
// a terminated beginning of the text. args is consumed: va_copy it to format again.
int FormatTextV(char *buffer, size_t size, const char *format, va_list args);
