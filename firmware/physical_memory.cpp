// Physical memory window: the native API bound at run time, the section, map and unmap.
#include "firmware/physical_memory.h"

#include "firmware/nt_native.h"
#include "firmware/nt_port.h"
#include "firmware/trace.h"

namespace {

// Process-wide entry points, null until bound, and the bound flag. Set from the
// start-up thread only.
RtlInitUnicodeStringFn RtlInitUnicodeString = nullptr;
NtUnmapViewOfSectionFn NtUnmapViewOfSection = nullptr;
NtOpenSectionFn NtOpenSection = nullptr;
NtMapViewOfSectionFn NtMapViewOfSection = nullptr;
RtlNtStatusToDosErrorFn RtlNtStatusToDosError = nullptr;
bool g_bBound = false;

template <typename Fn> Fn LookupEntry(const char *name) {
    return reinterpret_cast<Fn>(LookupNtdllEntry(name));
}

} // namespace

bool NtdllEntryPointsBound() {
    return g_bBound;
}

void ForgetNtdllEntryPointsForTesting() {
    RtlInitUnicodeString = nullptr;
    NtUnmapViewOfSection = nullptr;
    NtOpenSection = nullptr;
    NtMapViewOfSection = nullptr;
    RtlNtStatusToDosError = nullptr;
    g_bBound = false;
}

void ReportNtStatus(const char *message, NTSTATUS status) {
    // Without the conversion entry point the status itself stands in for the code.
    uint32_t code = RtlNtStatusToDosError ? RtlNtStatusToDosError(status) : static_cast<uint32_t>(status);
    CString text;
    if (!FormatSystemText(code, &text) || text.IsEmpty())
        text.Format("Unknown error %u.", static_cast<unsigned>(code));
    Trace("%s: %s\n", message, static_cast<const char *>(text));
}

BOOL ResolveNtdllEntryPoints() {
    RtlInitUnicodeString = LookupEntry<RtlInitUnicodeStringFn>("RtlInitUnicodeString");
    NtUnmapViewOfSection = LookupEntry<NtUnmapViewOfSectionFn>("NtUnmapViewOfSection");
    NtOpenSection = LookupEntry<NtOpenSectionFn>("NtOpenSection");
    NtMapViewOfSection = LookupEntry<NtMapViewOfSectionFn>("NtMapViewOfSection");
    RtlNtStatusToDosError = LookupEntry<RtlNtStatusToDosErrorFn>("RtlNtStatusToDosError");
    if (RtlInitUnicodeString && NtUnmapViewOfSection && NtOpenSection && NtMapViewOfSection && RtlNtStatusToDosError)
        return TRUE;
    Trace("ERROR: Unable to locate NTDLL entry points!\n\n");
    return FALSE;
}

HANDLE OpenPhysicalMemorySection() {
    // Never call through an unbound entry point.
    if (!g_bBound)
        return InvalidSectionHandle();
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, u"\\device\\physicalmemory");
    OBJECT_ATTRIBUTES attributes;
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = nullptr;
    attributes.ObjectName = &name;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    attributes.SecurityDescriptor = nullptr;
    attributes.SecurityQualityOfService = nullptr;
    HANDLE section = nullptr;
    NTSTATUS status = NtOpenSection(&section, SECTION_MAP_READ, &attributes);
    if (status < 0) {
        ReportNtStatus("ERROR: Could not open \\device\\physicalmemory!", status);
        return InvalidSectionHandle();
    }
    return section;
}

BOOL MapSectionView(HANDLE section, uint32_t *base, uint32_t *length, const uint8_t **view) {
    *view = nullptr;
    if (!g_bBound)
        return FALSE;
    LARGE_INTEGER offset;
    offset.QuadPart = *base;
    // The system rewrites the view size in place; it is as wide as an address.
    size_t viewSize = *length;
    void *address = nullptr;
    NTSTATUS status = NtMapViewOfSection(section, CurrentProcessHandle(), &address, 0, *length, &offset, &viewSize,
                                         VIEW_SHARE, 0, PAGE_READONLY_PROTECTION);
    *length = static_cast<uint32_t>(viewSize);
    if (status < 0) {
        CString message;
        message.Format("ERROR: Could not map view of %08X length %08X!", static_cast<unsigned>(*base),
                       static_cast<unsigned>(*length));
        ReportNtStatus(message, status);
        return FALSE;
    }
    *view = static_cast<const uint8_t *>(address);
    *base = static_cast<uint32_t>(static_cast<uint64_t>(offset.QuadPart) & 0xFFFFFFFFu);
    return TRUE;
}

void UnmapSectionView(const uint8_t *view) {
    if (!g_bBound)
        return;
    NTSTATUS status = NtUnmapViewOfSection(CurrentProcessHandle(), const_cast<uint8_t *>(view));
    if (status < 0)
        ReportNtStatus("ERROR: Unable to unmap view!", status);
}

CPhysicalMemory::CPhysicalMemory() : m_hSection(InvalidSectionHandle()) {
    if (!g_bBound) {
        if (!ResolveNtdllEntryPoints())
            return;
        g_bBound = true;
    }
    m_hSection = OpenPhysicalMemorySection();
}

CPhysicalMemory::~CPhysicalMemory() {
    if (m_hSection != InvalidSectionHandle()) {
        CloseSectionHandle(m_hSection);
        m_hSection = InvalidSectionHandle();
    }
}

BOOL CPhysicalMemory::MapPhysicalMemory(uint32_t *base, uint32_t *length, const uint8_t **view) {
    Trace(">> MapPhysicalMemory <<\n");
    if (m_hSection == InvalidSectionHandle())
        return FALSE;
    return MapSectionView(m_hSection, base, length, view);
}

void CPhysicalMemory::UnmapPhysicalMemory(const uint8_t *view) {
    Trace(">> UnmapPhysicalMemory <<\n");
    UnmapSectionView(view);
}
