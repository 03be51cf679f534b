// Read-only windows on physical memory through the operating system's physical memory
// section.
//
// Each object holds its own section handle for its whole life. Views belong to the
// caller: one stays mapped until the caller hands it to UnmapPhysicalMemory; the
// object keeps no list of them and its destructor does not unmap them. Failures are
// written to the diagnostic trace and reported only by results. One thread only.
#pragma once

#include <cstdint>

#include "framework/portable.h"

typedef void *HANDLE;

class CPhysicalMemory {
public:
    // Binds the native entry points once per process, then opens the section; on
    // any failure the object exists without a section and every map fails.
    CPhysicalMemory();
    // Closes the section. Views stay mapped.
    virtual ~CPhysicalMemory();

    // Maps the physical window [*base, *base + *length) read-only. On success returns
    // TRUE and rewrites *base, *length and *view with what the system mapped (the base
    // may move down, the length grow); the view's first byte is the byte at *base.
    // Without a section returns FALSE and leaves the three unchanged; when the map
    // fails returns FALSE with *view null and *base unchanged.
    BOOL MapPhysicalMemory(uint32_t *base, uint32_t *length, const uint8_t **view);
    // Unmaps a view; a null or unknown view writes an error line.
    void UnmapPhysicalMemory(const uint8_t *view);

    HANDLE m_hSection; // open section, or -1

private:
    CPhysicalMemory(const CPhysicalMemory &) = delete;
    CPhysicalMemory &operator=(const CPhysicalMemory &) = delete;
};
