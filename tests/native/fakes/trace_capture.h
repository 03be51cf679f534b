// The trace appended to a std::string, for tests, benchmarks and fuzz targets.
#pragma once

#include <cstddef>
#include <string>

#include "firmware/trace.h"

inline void AppendTraceToString(void *context, const char *text, size_t length) {
    static_cast<std::string *>(context)->append(text, length);
}

// Sends the trace into *capture (appended); null restores standard output.
inline void CaptureTrace(std::string *capture) {
    if (capture)
        SetTraceSink(&AppendTraceToString, capture);
    else
        SetTraceSink(nullptr, nullptr);
}
