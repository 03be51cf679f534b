// Fake of the physical memory port for native tests.
//
// The five native entry points serve a byte image of physical memory: a view is a
// pointer into the image, so its first byte is the image byte at the mapped base.
// Each call can be made to fail, and every call is recorded. One instance per
// process; FakeNt::Reset() restores the defaults, forgets the process-wide binding and
// sends the trace into FakeNt::trace.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "firmware/nt_native.h"

const NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034); // -> 2
const NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022);       // -> 5
const NTSTATUS kStatusInvalidViewSize = static_cast<NTSTATUS>(0xC000001F);    // -> 5
const NTSTATUS kStatusNotMappedView = static_cast<NTSTATUS>(0xC0000019);      // -> 487
const NTSTATUS kStatusUnmappable = static_cast<NTSTATUS>(0xC0000999);         // -> 317, no text

struct FakeNt {
    // The physical memory image and the physical address of its first byte.
    std::vector<uint8_t> image;
    uint32_t imageBase = 0xE0000;

    // Failures on demand.
    std::string missingEntry;  // LookupNtdllEntry finds no export of this name
    NTSTATUS openStatus = 0;   // NtOpenSection result
    NTSTATUS mapStatus = 0;    // NtMapViewOfSection result (when not 0, nothing is mapped)
    NTSTATUS unmapStatus = 0;  // NtUnmapViewOfSection result for a mapped view
    uint32_t mapAlignment = 0; // a map moves its base down to a multiple of this
    uint32_t mapGrowth = 0;    // and adds this many bytes to the length
    bool formatFails = false;  // FormatSystemText finds no text for any code

    // What the calls saw.
    std::vector<std::string> lookups;
    int opens = 0, maps = 0, unmaps = 0;
    std::set<HANDLE> openHandles; // open and not yet closed
    std::vector<HANDLE> closedHandles;
    std::set<const void *> liveViews; // mapped and not yet unmapped
    uint32_t openAccess = 0;
    OBJECT_ATTRIBUTES openAttributes = {};
    std::u16string openName;
    HANDLE mapProcess = nullptr, unmapProcess = nullptr;
    uintptr_t mapZeroBits = 0;
    size_t mapCommitSize = 0;
    uint32_t mapInherit = 0, mapAllocationType = 0, mapProtect = 0;

    std::string trace; // the trace written since Reset()

    static FakeNt &Get();
    // Fresh state: defaults, no binding, trace captured into `trace`.
    static FakeNt &Reset();
    // Physical address of a byte of the image.
    const uint8_t *At(uint32_t physical) const { return image.data() + (physical - imageBase); }
};

// The BIOS area 0xE0000-0xFFFFF, zero-filled, as the fake's image.
FakeNt &ResetWithBiosArea();

// Writes bytes into the fake's image at a physical address.
void PutPhysical(uint32_t physical, const std::vector<uint8_t> &bytes);

// System texts the fake knows, as the system writes them.
extern const char kTextFileNotFound[];   // code 2
extern const char kTextAccessDenied[];   // code 5
extern const char kTextInvalidAddress[]; // code 487
