// Physical memory port over an image file or in-memory bytes.
#include "image_port.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "firmware/nt_native.h"
#include "firmware/nt_port.h"

namespace {

const NTSTATUS kObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
const NTSTATUS kInvalidParameter = static_cast<NTSTATUS>(0xC000000D);
const NTSTATUS kInvalidViewSize = static_cast<NTSTATUS>(0xC000001F);
const NTSTATUS kNotMappedView = static_cast<NTSTATUS>(0xC0000019);
const NTSTATUS kNoMemory = static_cast<NTSTATUS>(0xC0000017);

struct Source {
    int fd = -1;
    const uint8_t *bytes = nullptr;
    size_t size = 0;
    uint64_t base = 0;
} g_source;

std::multiset<const void *> g_views; // live views (in-memory views may coincide)
std::set<const void *> g_allocated;  // views read from the file (freed at unmap)
uintptr_t g_nextHandle = 0x40;

bool SameNameIgnoringCase(const UNICODE_STRING *name, const char *expected) {
    size_t count = name->Length / 2;
    if (count != std::strlen(expected))
        return false;
    for (size_t i = 0; i < count; ++i) {
        char16_t c = name->Buffer[i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != static_cast<char16_t>(expected[i]))
            return false;
    }
    return true;
}

void NTAPI ImageRtlInitUnicodeString(UNICODE_STRING *destination, const char16_t *source) {
    size_t count = std::char_traits<char16_t>::length(source);
    destination->Length = static_cast<uint16_t>(count * 2);
    destination->MaximumLength = static_cast<uint16_t>(count * 2 + 2);
    destination->Buffer = const_cast<char16_t *>(source);
}

NTSTATUS NTAPI ImageNtOpenSection(HANDLE *section, uint32_t, OBJECT_ATTRIBUTES *attributes) {
    if (!attributes || !attributes->ObjectName ||
        !SameNameIgnoringCase(attributes->ObjectName, "\\device\\physicalmemory"))
        return kObjectNameNotFound;
    if (g_source.fd < 0 && !g_source.bytes)
        return kObjectNameNotFound;
    *section = reinterpret_cast<HANDLE>(g_nextHandle += 4);
    return 0;
}

NTSTATUS NTAPI ImageNtMapViewOfSection(HANDLE, HANDLE, void **baseAddress, uintptr_t, size_t,
                                       LARGE_INTEGER *sectionOffset, size_t *viewSize, uint32_t, uint32_t, uint32_t) {
    uint64_t offset = static_cast<uint64_t>(sectionOffset->QuadPart);
    size_t size = *viewSize;
    if (offset < g_source.base || size == 0)
        return kInvalidParameter;
    uint64_t from = offset - g_source.base;
    if (g_source.bytes) {
        if (from >= g_source.size)
            return kInvalidParameter;
        if (size > g_source.size - from)
            return kInvalidViewSize;
        *baseAddress = const_cast<uint8_t *>(g_source.bytes + from);
        g_views.insert(*baseAddress);
        return 0;
    }
    uint8_t *buffer = static_cast<uint8_t *>(std::malloc(size));
    if (!buffer)
        return kNoMemory;
    size_t got = 0;
    while (got < size) {
        ssize_t n = pread(g_source.fd, buffer + got, size - got, static_cast<off_t>(from + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    if (got < size) {
        std::free(buffer);
        return got == 0 ? kInvalidParameter : kInvalidViewSize;
    }
    *baseAddress = buffer;
    g_views.insert(buffer);
    g_allocated.insert(buffer);
    return 0;
}

NTSTATUS NTAPI ImageNtUnmapViewOfSection(HANDLE, void *view) {
    auto live = g_views.find(view);
    if (live == g_views.end())
        return kNotMappedView;
    g_views.erase(live);
    if (g_allocated.erase(view))
        std::free(view);
    return 0;
}

uint32_t NTAPI ImageRtlNtStatusToDosError(NTSTATUS status) {
    switch (static_cast<uint32_t>(status)) {
    case 0xC0000034:
        return 2;
    case 0xC000001F:
        return 5;
    case 0xC0000017:
        return 8;
    case 0xC000000D:
        return 87;
    case 0xC0000019:
        return 487;
    default:
        return 317; // ERROR_MR_MID_NOT_FOUND, as the system answers for unknown values
    }
}

} // namespace

void UseImageFile(int fd, uint64_t base) {
    g_source = Source();
    g_source.fd = fd;
    g_source.base = base;
}

void UseImageBytes(const uint8_t *bytes, size_t size, uint64_t base) {
    g_source = Source();
    g_source.bytes = bytes;
    g_source.size = size;
    g_source.base = base;
}

void *LookupNtdllEntry(const char *name) {
    static const struct {
        const char *name;
        void *entry;
    } entries[] = {
        {"RtlInitUnicodeString", reinterpret_cast<void *>(&ImageRtlInitUnicodeString)},
        {"NtUnmapViewOfSection", reinterpret_cast<void *>(&ImageNtUnmapViewOfSection)},
        {"NtOpenSection", reinterpret_cast<void *>(&ImageNtOpenSection)},
        {"NtMapViewOfSection", reinterpret_cast<void *>(&ImageNtMapViewOfSection)},
        {"RtlNtStatusToDosError", reinterpret_cast<void *>(&ImageRtlNtStatusToDosError)},
    };
    for (const auto &e : entries)
        if (std::strcmp(e.name, name) == 0)
            return e.entry;
    return nullptr;
}

bool FormatSystemText(uint32_t code, CString *text) {
    switch (code) {
    case 2:
        *text = "The system cannot find the file specified.\r\n";
        return true;
    case 5:
        *text = "Access is denied.\r\n";
        return true;
    case 8:
        *text = "Not enough storage is available to process this command.\r\n";
        return true;
    case 87:
        *text = "The parameter is incorrect.\r\n";
        return true;
    case 487:
        *text = "Attempt to access invalid address.\r\n";
        return true;
    default:
        text->Empty();
        return false;
    }
}

void CloseSectionHandle(void *) {}
