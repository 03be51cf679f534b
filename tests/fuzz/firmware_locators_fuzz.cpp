// Fuzz target: both firmware locators on arbitrary windows of any length and base.
//
// Input: one byte of port behaviour, four bytes of physical base (little-endian), then
// the window's bytes. The scans run on the window directly; then both locators are
// built and destroyed in start-up order over a port that maps exactly those bytes
// (copied into a buffer of their size, so any read past the window is caught) at that
// base, whatever was requested.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "firmware/bios_scan.h"
#include "firmware/madt_table.h"
#include "firmware/nt_native.h"
#include "firmware/nt_port.h"
#include "firmware/smbios_table.h"
#include "firmware/trace.h"
#include "tests/native/fakes/trace_capture.h"

namespace {

enum : uint8_t { kOpenFails = 1, kMapFails = 2, kNoText = 4, kMissingEntry = 8, kSecondMapFails = 16 };

struct Window {
    uint8_t behaviour = 0;
    uint32_t base = 0;
    const uint8_t *data = nullptr;
    size_t size = 0;
    int maps = 0;
} g_window;

std::set<void *> g_views;

void NTAPI FuzzInitUnicode(UNICODE_STRING *destination, const char16_t *source) {
    size_t count = std::char_traits<char16_t>::length(source);
    destination->Length = static_cast<uint16_t>(count * 2);
    destination->MaximumLength = static_cast<uint16_t>(count * 2 + 2);
    destination->Buffer = const_cast<char16_t *>(source);
}

NTSTATUS NTAPI FuzzOpen(HANDLE *section, uint32_t, OBJECT_ATTRIBUTES *) {
    if (g_window.behaviour & kOpenFails)
        return static_cast<NTSTATUS>(0xC0000034);
    *section = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x40));
    return 0;
}

NTSTATUS NTAPI FuzzMap(HANDLE, HANDLE, void **address, uintptr_t, size_t, LARGE_INTEGER *offset, size_t *size, uint32_t,
                       uint32_t, uint32_t) {
    ++g_window.maps;
    if ((g_window.behaviour & kMapFails) || (g_window.maps > 1 && (g_window.behaviour & kSecondMapFails))) {
        *size = g_window.size;
        return static_cast<NTSTATUS>(0xC000001F);
    }
    uint8_t *view = new uint8_t[g_window.size ? g_window.size : 1];
    if (g_window.size)
        std::memcpy(view, g_window.data, g_window.size);
    g_views.insert(view);
    *address = view;
    offset->QuadPart = g_window.base;
    *size = g_window.size;
    return 0;
}

NTSTATUS NTAPI FuzzUnmap(HANDLE, void *view) {
    if (g_views.erase(view) == 0)
        return static_cast<NTSTATUS>(0xC0000019);
    delete[] static_cast<uint8_t *>(view);
    return 0;
}

uint32_t NTAPI FuzzToDos(NTSTATUS status) {
    return static_cast<uint32_t>(status) & 0xFFFF;
}

} // namespace

void *LookupNtdllEntry(const char *name) {
    if ((g_window.behaviour & kMissingEntry) && std::strcmp(name, "NtOpenSection") == 0)
        return nullptr;
    if (std::strcmp(name, "RtlInitUnicodeString") == 0)
        return reinterpret_cast<void *>(&FuzzInitUnicode);
    if (std::strcmp(name, "NtOpenSection") == 0)
        return reinterpret_cast<void *>(&FuzzOpen);
    if (std::strcmp(name, "NtMapViewOfSection") == 0)
        return reinterpret_cast<void *>(&FuzzMap);
    if (std::strcmp(name, "NtUnmapViewOfSection") == 0)
        return reinterpret_cast<void *>(&FuzzUnmap);
    if (std::strcmp(name, "RtlNtStatusToDosError") == 0)
        return reinterpret_cast<void *>(&FuzzToDos);
    return nullptr;
}

bool FormatSystemText(uint32_t code, CString *text) {
    if (g_window.behaviour & kNoText)
        return false;
    *text = ("text " + std::to_string(code) + "\r\n").c_str();
    return true;
}

void CloseSectionHandle(void *) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *input, size_t size) {
    if (size < 5)
        return 0;
    g_window = Window();
    g_window.behaviour = input[0];
    g_window.base = static_cast<uint32_t>(input[1]) | static_cast<uint32_t>(input[2]) << 8 |
                    static_cast<uint32_t>(input[3]) << 16 | static_cast<uint32_t>(input[4]) << 24;
    g_window.size = size - 5;
    // An exact copy, so that reads past the window's end are caught.
    uint8_t *bytes = new uint8_t[g_window.size ? g_window.size : 1];
    std::memcpy(bytes, input + 5, g_window.size);
    g_window.data = bytes;
    uint32_t length = static_cast<uint32_t>(g_window.size);

    // The scans alone, on every candidate of the window.
    for (uint32_t offset = 0; offset < length; offset += 16)
        ValidateSmbiosEntryPoint(bytes, length, bytes + offset);
    const uint8_t *entry = FindSmbiosAnchor(bytes, length);
    if (entry && ValidateSmbiosEntryPoint(bytes, length, entry) && static_cast<size_t>(entry - bytes) + 28 > length)
        __builtin_trap();
    for (const uint8_t *madt = FindMadtSignature(bytes, length); madt;
         madt = FindMadtSignature(madt + 1, static_cast<uint32_t>(bytes + length - madt - 1))) {
        VerifyMadtBytes(bytes, length, madt);
        uint32_t mask = CollectEnabledMask(bytes, length, madt);
        if (mask & ~0xC3u)
            __builtin_trap();
        int count = ProcessorCountFromMask(mask);
        if (count != 0 && count != 1 && count != 2 && count != 4)
            __builtin_trap();
    }

    // Both locators, as start-up builds and destroys them.
    std::string trace;
    CaptureTrace(&trace);
    ForgetNtdllEntryPointsForTesting();
    CSmbiosTable *smbios = new CSmbiosTable;
    CMadtTable *madt = new CMadtTable;
    madt->GetProcessorCount();
    delete madt;
    delete smbios;
    CaptureTrace(nullptr);
    if (!g_views.empty())
        __builtin_trap();

    delete[] bytes;
    return 0;
}
