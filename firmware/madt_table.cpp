// ACPI MADT locator: one window, the first "APIC", its byte sum and the processor census.
#include "firmware/madt_table.h"

#include <new>

#include "firmware/bios_scan.h"
#include "firmware/physical_memory.h"
#include "firmware/trace.h"

CMadtTable::CMadtTable()
    : m_pPhysicalMemory(nullptr), m_dwPhysicalBase(0), m_pView(nullptr), m_dwLength(0), m_dwEnabledMask(0),
      m_pMadt(nullptr), m_bValid(FALSE) {
    m_pPhysicalMemory = new (std::nothrow) CPhysicalMemory;
    if (!m_pPhysicalMemory)
        return;

    m_dwPhysicalBase = 0xE0000;
    m_dwLength = 0x20000;
    m_pView = nullptr;
    if (!m_pPhysicalMemory->MapPhysicalMemory(&m_dwPhysicalBase, &m_dwLength, &m_pView))
        return;

    m_pMadt = FindMadt();
    if (!m_pMadt) {
        Trace("ERROR: Failed to find the MADT!\n");
        return;
    }
    m_bValid = VerifyMadtChecksum();
    if (!m_bValid) {
        Trace("ERROR: The MADT checksum is incorrect!\n");
        return;
    }
    CollectEnabledProcessors();
}

CMadtTable::~CMadtTable() {
    if (m_pPhysicalMemory) {
        m_pPhysicalMemory->UnmapPhysicalMemory(m_pView);
        m_pView = nullptr;
        delete m_pPhysicalMemory;
        m_pPhysicalMemory = nullptr;
    }
    m_dwEnabledMask = 0;
    m_pMadt = nullptr;
    m_bValid = FALSE;
}

const uint8_t *CMadtTable::FindMadt() {
    return FindMadtSignature(m_pView, m_dwLength);
}

BOOL CMadtTable::VerifyMadtChecksum() {
    return VerifyMadtBytes(m_pView, m_dwLength, m_pMadt);
}

void CMadtTable::CollectEnabledProcessors() {
    m_dwEnabledMask = CollectEnabledMask(m_pView, m_dwLength, m_pMadt);
}

int CMadtTable::GetProcessorCount() {
    return ProcessorCountFromMask(m_dwEnabledMask);
}
