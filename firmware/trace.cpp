// Diagnostic trace: formatted text to standard output, flushed after every write.
#include "firmware/trace.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {
std::string *g_capture = nullptr;
}

void Trace(const char *format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0)
        return;
    const char *text = small;
    std::vector<char> large;
    if (static_cast<size_t>(needed) >= sizeof small) {
        large.resize(static_cast<size_t>(needed) + 1);
        va_start(args, format);
        std::vsnprintf(large.data(), large.size(), format, args);
        va_end(args);
        text = large.data();
    }
    if (g_capture) {
        g_capture->append(text, static_cast<size_t>(needed));
        return;
    }
    std::fwrite(text, 1, static_cast<size_t>(needed), stdout);
    std::fflush(stdout);
}

void SetTraceCapture(std::string *capture) {
    g_capture = capture;
}
