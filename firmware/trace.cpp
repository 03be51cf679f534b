// Diagnostic trace: formatted text to standard output, flushed after every write.
#include "firmware/trace.h"

#include <cstdarg>
#include <cstdio>

#include "framework/cstring.h"

namespace {
TraceSink g_sink = nullptr;
void *g_context = nullptr;
} // namespace

void Trace(const char *format, ...) {
    CString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    if (text.IsEmpty())
        return;
    const size_t length = static_cast<size_t>(text.GetLength());
    if (g_sink) {
        g_sink(g_context, text, length);
        return;
    }
    std::fwrite(static_cast<const char *>(text), 1, length, stdout);
    std::fflush(stdout);
}

void SetTraceSink(TraceSink sink, void *context) {
    g_sink = sink;
    g_context = sink ? context : nullptr;
}
