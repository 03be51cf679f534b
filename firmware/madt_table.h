// Locator of the ACPI MADT in the BIOS area and census of its enabled processors.
//
// The constructor does the whole search: it maps 0xE0000-0xFFFFF, takes the first
// "APIC" as the MADT, checks its byte sum and collects the enabled processors. The
// caller learns the outcome only from the fields and GetProcessorCount (0 after any
// failure). The view stays mapped until destruction. Built, used and destroyed on one
// thread.
#pragma once

#include <cstdint>

#include "framework/portable.h"

class CPhysicalMemory;

class CMadtTable {
public:
    CMadtTable();
    // Unmaps the view and deletes the physical memory object (with their trace lines).
    virtual ~CMadtTable();

    // First "APIC" at any byte offset of the current window, or null.
    const uint8_t *FindMadt();
    // TRUE when m_pMadt reads "APIC" and its bytes sum to zero over its length.
    BOOL VerifyMadtChecksum();
    // Rebuilds m_dwEnabledMask from the local APIC entries of m_pMadt.
    void CollectEnabledProcessors();
    // 0, 1, 2 or 4 enabled processors by the fixed rule over identifiers 0, 1, 6 and 7.
    int GetProcessorCount();

    CPhysicalMemory *m_pPhysicalMemory; // owned; null when none could be created
    uint32_t m_dwPhysicalBase;          // physical base of the current window
    const uint8_t *m_pView;             // first byte of the current view, or null
    uint32_t m_dwLength;                // length of the current window in bytes
    uint32_t m_dwEnabledMask;           // bits 0x01, 0x02, 0x40, 0x80 for identifiers 0, 1, 6, 7
    const uint8_t *m_pMadt;             // the MADT found, or null
    BOOL m_bValid;                      // TRUE when the MADT's byte sum is zero

private:
    CMadtTable(const CMadtTable &) = delete;
    CMadtTable &operator=(const CMadtTable &) = delete;
};
