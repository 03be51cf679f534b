// The NT native API as the physical memory window uses it.
//
// Layout-compatible declarations of the few native types, the signatures of the five
// entry points bound by name from "ntdll.dll", and the free functions that call them.
// No Windows header is involved: the calling convention is chosen from the compiler's
// predefined macros. Not for inclusion beside <windows.h>, which declares the same
// names its own way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "firmware/physical_memory.h"

// The native API uses stdcall on 32-bit x86 Windows and the platform's one convention
// everywhere else.
#if defined(_WIN32) && defined(__i386__)
#define NTAPI __attribute__((stdcall))
#else
#define NTAPI
#endif

typedef int32_t NTSTATUS; // negative: failure

struct UNICODE_STRING {
    uint16_t Length;        // bytes, without the terminating zero
    uint16_t MaximumLength; // bytes, with it
    char16_t *Buffer;
};

struct OBJECT_ATTRIBUTES {
    uint32_t Length; // sizeof(OBJECT_ATTRIBUTES)
    HANDLE RootDirectory;
    UNICODE_STRING *ObjectName;
    uint32_t Attributes;
    void *SecurityDescriptor;
    void *SecurityQualityOfService;
};

union LARGE_INTEGER {
    struct {
        uint32_t LowPart;
        int32_t HighPart;
    } u;
    int64_t QuadPart;
};

#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(OBJECT_ATTRIBUTES) == 24, "OBJECT_ATTRIBUTES must match the 32-bit platform");
#endif
static_assert(sizeof(LARGE_INTEGER) == 8, "LARGE_INTEGER is 64 bits");

const uint32_t OBJ_CASE_INSENSITIVE = 0x40;
const uint32_t SECTION_MAP_READ = 4;
const uint32_t VIEW_SHARE = 1; // SECTION_INHERIT ViewShare
const uint32_t PAGE_READONLY_PROTECTION = 2;

typedef void(NTAPI *RtlInitUnicodeStringFn)(UNICODE_STRING *destination, const char16_t *source);
typedef NTSTATUS(NTAPI *NtUnmapViewOfSectionFn)(HANDLE process, void *baseAddress);
typedef NTSTATUS(NTAPI *NtOpenSectionFn)(HANDLE *section, uint32_t desiredAccess, OBJECT_ATTRIBUTES *attributes);
typedef NTSTATUS(NTAPI *NtMapViewOfSectionFn)(HANDLE section, HANDLE process, void **baseAddress, uintptr_t zeroBits,
                                              size_t commitSize, LARGE_INTEGER *sectionOffset, size_t *viewSize,
                                              uint32_t inheritDisposition, uint32_t allocationType,
                                              uint32_t win32Protect);
typedef uint32_t(NTAPI *RtlNtStatusToDosErrorFn)(NTSTATUS status);

// The section handle value that means "none", and the current-process pseudo-handle.
inline HANDLE InvalidSectionHandle() {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}
inline HANDLE CurrentProcessHandle() {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

// Writes "<message>: <system text>\n" for a failed native call.
void ReportNtStatus(const char *message, NTSTATUS status);
// Binds the five entry points by name; 1 when all were found, else 0 (with a trace line).
BOOL ResolveNtdllEntryPoints();
// Opens the physical memory section for read-mapping; the handle, or -1.
HANDLE OpenPhysicalMemorySection();
// Maps [*base, *base + *length) read-only; on success the three describe what was mapped.
BOOL MapSectionView(HANDLE section, uint32_t *base, uint32_t *length, const uint8_t **view);
// Unmaps a view that MapSectionView returned.
void UnmapSectionView(const uint8_t *view);

// Whether the five entry points are bound (the process-wide bound flag).
bool NtdllEntryPointsBound();
// Tests only: forgets the binding, as at process start.
void ForgetNtdllEntryPointsForTesting();
