// Formatting into a buffer, Windows builds: the C runtime's _vsnprintf (msvcrt).
//
// _vsnprintf returns -1 when the text does not fit and writes no terminating zero
// when it fills the count exactly; one byte is kept back for the zero.
#include <stdio.h>

#include "framework/text_format.h"

int FormatTextV(char *buffer, size_t size, const char *format, va_list args) {
    if (size == 0)
        return -1;
    const int length = _vsnprintf(buffer, size - 1, format, args);
    buffer[size - 1] = '\0';
    return length < 0 ? -1 : length;
}
