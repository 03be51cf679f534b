// Formatting into a buffer, native builds: the C library's vsnprintf.
#include "framework/text_format.h"

#if !defined(_WIN32) // the Windows builds use text_format_win32.cpp

#include <cstdio>

int FormatTextV(char *buffer, size_t size, const char *format, va_list args) {
    if (size == 0)
        return -1;
    const int length = std::vsnprintf(buffer, size, format, args);
    if (length < 0 || static_cast<size_t>(length) >= size)
        return -1;
    return length;
}

#endif
