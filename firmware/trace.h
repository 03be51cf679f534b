// Diagnostic trace of the firmware probing.
//
// Every trace line of the program goes through Trace: printf-style, plain 8-bit text,
// written to standard output and flushed at once, since the process may end without
// warning (a restart request) and nothing may be left in a buffer. No prefix, time
// stamp or severity is added. One thread only.
#pragma once

#include <cstddef>

#if defined(__GNUC__)
#define MP_TRACE_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define MP_TRACE_FORMAT(fmt, args)
#endif

// Formats and writes one piece of trace text (usually one line ending in "\n").
void Trace(const char *format, ...) MP_TRACE_FORMAT(1, 2);

// Receives each piece of trace text, in order, in place of standard output.
typedef void (*TraceSink)(void *context, const char *text, size_t length);

// Sends the trace to sink (called with context) instead of standard output; a null
// sink restores standard output. The caller keeps the context alive while it is set.
void SetTraceSink(TraceSink sink, void *context);
