// Locator of the SMBIOS entry point in the BIOS area.
//
// The constructor does the whole search: it maps 0xF0000-0xFFFFF and, when that holds
// no "_SM_" anchor, 0xE0000-0xEFFFF; it validates the first anchor found and writes the
// results to the trace. The caller learns the outcome only from the fields: a null
// m_pEntryPoint means that no entry point was found. The window last mapped stays
// mapped until destruction. Built, used and destroyed on one thread.
#pragma once

#include <cstdint>

#include "framework/portable.h"

class CPhysicalMemory;

class CSmbiosTable {
public:
    CSmbiosTable();
    // Unmaps the view and deletes the physical memory object (with their trace lines).
    virtual ~CSmbiosTable();

    // First anchor on a 16-byte boundary of the current window, or null.
    const uint8_t *FindEntryPoint();
    // TRUE when m_pEntryPoint passes its anchors and byte sums.
    BOOL ValidateEntryPoint();

    CPhysicalMemory *m_pPhysicalMemory; // owned; null when none could be created
    uint32_t m_dwPhysicalBase;          // physical base of the current window
    const uint8_t *m_pView;             // first byte of the current view, or null
    uint32_t m_dwLength;                // length of the current window in bytes
    const uint8_t *m_pStructureTable;   // structure table in view terms; never read through
    const uint8_t *m_pEntryPoint;       // the entry point found, or null
    BOOL m_bValid;                      // TRUE when the entry point passed validation

private:
    CSmbiosTable(const CSmbiosTable &) = delete;
    CSmbiosTable &operator=(const CSmbiosTable &) = delete;
};
