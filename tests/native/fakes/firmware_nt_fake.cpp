// Fake of the physical memory port: entry points over a byte image, failures on demand.
#include "fakes/firmware_nt_fake.h"

#include <cstring>
#include <map>

#include "fakes/trace_capture.h"
#include "firmware/nt_port.h"
#include "firmware/trace.h"

const char kTextFileNotFound[] = "The system cannot find the file specified.\r\n";
const char kTextAccessDenied[] = "Access is denied.\r\n";
const char kTextInvalidAddress[] = "Attempt to access invalid address.\r\n";

namespace {

FakeNt *g_fake = nullptr;
uintptr_t g_nextHandle = 0x40;

void NTAPI FakeRtlInitUnicodeString(UNICODE_STRING *destination, const char16_t *source) {
    size_t count = std::char_traits<char16_t>::length(source);
    destination->Length = static_cast<uint16_t>(count * 2);
    destination->MaximumLength = static_cast<uint16_t>(count * 2 + 2);
    destination->Buffer = const_cast<char16_t *>(source);
}

NTSTATUS NTAPI FakeNtOpenSection(HANDLE *section, uint32_t access, OBJECT_ATTRIBUTES *attributes) {
    FakeNt &fake = FakeNt::Get();
    ++fake.opens;
    fake.openAccess = access;
    fake.openAttributes = *attributes;
    fake.openName.assign(attributes->ObjectName->Buffer, attributes->ObjectName->Length / 2);
    if (fake.openStatus < 0)
        return fake.openStatus;
    *section = reinterpret_cast<HANDLE>(g_nextHandle += 4);
    fake.openHandles.insert(*section);
    return 0;
}

NTSTATUS NTAPI FakeNtMapViewOfSection(HANDLE section, HANDLE process, void **baseAddress, uintptr_t zeroBits,
                                      size_t commitSize, LARGE_INTEGER *sectionOffset, size_t *viewSize,
                                      uint32_t inherit, uint32_t allocationType, uint32_t protect) {
    FakeNt &fake = FakeNt::Get();
    ++fake.maps;
    fake.mapProcess = process;
    fake.mapZeroBits = zeroBits;
    fake.mapCommitSize = commitSize;
    fake.mapInherit = inherit;
    fake.mapAllocationType = allocationType;
    fake.mapProtect = protect;
    if (fake.openHandles.count(section) == 0 || *baseAddress != nullptr)
        return static_cast<NTSTATUS>(0xC0000008); // invalid handle or a fixed address: not expected
    if (fake.mapStatus < 0)
        return fake.mapStatus;
    uint64_t base = static_cast<uint64_t>(sectionOffset->QuadPart);
    uint64_t size = *viewSize;
    if (fake.mapAlignment) {
        uint64_t moved = base - base % fake.mapAlignment;
        size += base - moved;
        base = moved;
    }
    size += fake.mapGrowth;
    if (base < fake.imageBase || base + size > fake.imageBase + fake.image.size())
        return kStatusInvalidViewSize;
    sectionOffset->QuadPart = static_cast<int64_t>(base);
    *viewSize = static_cast<size_t>(size);
    *baseAddress = fake.image.data() + (base - fake.imageBase);
    fake.liveViews.insert(*baseAddress);
    return 0;
}

NTSTATUS NTAPI FakeNtUnmapViewOfSection(HANDLE process, void *view) {
    FakeNt &fake = FakeNt::Get();
    ++fake.unmaps;
    fake.unmapProcess = process;
    if (fake.liveViews.count(view) == 0)
        return kStatusNotMappedView;
    if (fake.unmapStatus < 0)
        return fake.unmapStatus;
    fake.liveViews.erase(view);
    return 0;
}

uint32_t NTAPI FakeRtlNtStatusToDosError(NTSTATUS status) {
    static const std::map<uint32_t, uint32_t> codes = {
        {0xC0000034, 2}, {0xC0000022, 5}, {0xC000001F, 5}, {0xC0000019, 487}};
    auto found = codes.find(static_cast<uint32_t>(status));
    return found == codes.end() ? 317 : found->second;
}

} // namespace

FakeNt &FakeNt::Get() {
    if (!g_fake)
        g_fake = new FakeNt;
    return *g_fake;
}

FakeNt &FakeNt::Reset() {
    CaptureTrace(nullptr);
    delete g_fake;
    g_fake = new FakeNt;
    ForgetNtdllEntryPointsForTesting();
    CaptureTrace(&g_fake->trace);
    return *g_fake;
}

FakeNt &ResetWithBiosArea() {
    FakeNt &fake = FakeNt::Reset();
    fake.imageBase = 0xE0000;
    fake.image.assign(0x20000, 0);
    return fake;
}

void PutPhysical(uint32_t physical, const std::vector<uint8_t> &bytes) {
    FakeNt &fake = FakeNt::Get();
    std::memcpy(fake.image.data() + (physical - fake.imageBase), bytes.data(), bytes.size());
}

// The port, as the native tests see the platform.

void *LookupNtdllEntry(const char *name) {
    FakeNt &fake = FakeNt::Get();
    fake.lookups.push_back(name);
    if (fake.missingEntry == name)
        return nullptr;
    static const std::map<std::string, void *> entries = {
        {"RtlInitUnicodeString", reinterpret_cast<void *>(&FakeRtlInitUnicodeString)},
        {"NtOpenSection", reinterpret_cast<void *>(&FakeNtOpenSection)},
        {"NtMapViewOfSection", reinterpret_cast<void *>(&FakeNtMapViewOfSection)},
        {"NtUnmapViewOfSection", reinterpret_cast<void *>(&FakeNtUnmapViewOfSection)},
        {"RtlNtStatusToDosError", reinterpret_cast<void *>(&FakeRtlNtStatusToDosError)}};
    auto found = entries.find(name);
    return found == entries.end() ? nullptr : found->second;
}

bool FormatSystemText(uint32_t code, CString *text) {
    text->Empty();
    if (FakeNt::Get().formatFails)
        return false;
    static const std::map<uint32_t, const char *> texts = {
        {2, kTextFileNotFound}, {5, kTextAccessDenied}, {487, kTextInvalidAddress}};
    auto found = texts.find(code);
    if (found == texts.end())
        return false;
    *text = found->second;
    return true;
}

void CloseSectionHandle(void *handle) {
    FakeNt &fake = FakeNt::Get();
    fake.openHandles.erase(handle);
    fake.closedHandles.push_back(handle);
}
