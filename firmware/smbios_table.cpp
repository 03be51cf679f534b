// SMBIOS entry point locator: two windows, the first anchor, its validation and trace.
#include "firmware/smbios_table.h"

#include <new>

#include "firmware/bios_scan.h"
#include "firmware/physical_memory.h"
#include "firmware/trace.h"

namespace {

// "%25s = %08X (%08X)\n": label, view address, physical address. A view address
// wider than 32 bits (64-bit builds) is written in full, still at least eight digits.
void TraceAddressLine(const char *label, uintptr_t viewAddress, uint32_t physical) {
    uint64_t address = viewAddress;
    uint32_t high = static_cast<uint32_t>(address >> 32);
    uint32_t low = static_cast<uint32_t>(address);
    if (high)
        Trace("%25s = %X%08X (%08X)\n", label, high, low, physical);
    else
        Trace("%25s = %08X (%08X)\n", label, low, physical);
}

} // namespace

CSmbiosTable::CSmbiosTable()
    : m_pPhysicalMemory(nullptr), m_dwPhysicalBase(0), m_pView(nullptr), m_dwLength(0), m_pStructureTable(nullptr),
      m_pEntryPoint(nullptr), m_bValid(FALSE) {
    m_pPhysicalMemory = new (std::nothrow) CPhysicalMemory;
    if (!m_pPhysicalMemory)
        return;

    // The upper 64 KB first; the lower one only when the upper holds no anchor at all.
    const uint32_t windowBases[] = {0xF0000, 0xE0000};
    for (uint32_t base : windowBases) {
        if (base != windowBases[0])
            m_pPhysicalMemory->UnmapPhysicalMemory(m_pView);
        m_dwPhysicalBase = base;
        m_dwLength = 0x10000;
        m_pView = nullptr;
        if (!m_pPhysicalMemory->MapPhysicalMemory(&m_dwPhysicalBase, &m_dwLength, &m_pView))
            return;
        m_pEntryPoint = FindEntryPoint();
        if (m_pEntryPoint)
            break;
    }

    if (!m_pEntryPoint) {
        Trace("ERROR: Failed to find an SMBIOS Entry Point!\n");
        return;
    }

    m_bValid = ValidateEntryPoint();
    if (!m_bValid) {
        Trace("ERROR: SMBIOS Entry Point checksum is incorrect!\n");
        return;
    }

    // The table's physical address in view terms; it need not lie inside the window.
    uint32_t tableAddress = SmbiosStructureTableAddress(m_pEntryPoint);
    int64_t distance = static_cast<int64_t>(tableAddress) - static_cast<int64_t>(m_dwPhysicalBase);
    uintptr_t table = reinterpret_cast<uintptr_t>(m_pView) + static_cast<uintptr_t>(distance);
    m_pStructureTable = reinterpret_cast<const uint8_t *>(table);

    uintptr_t entryAddress = reinterpret_cast<uintptr_t>(m_pEntryPoint);
    uintptr_t viewAddress = reinterpret_cast<uintptr_t>(m_pView);
    TraceAddressLine("SMBIOS Entry Point", entryAddress,
                     static_cast<uint32_t>(entryAddress - viewAddress) + m_dwPhysicalBase);
    TraceAddressLine("SMBIOS Structure Table", table, static_cast<uint32_t>(table - viewAddress) + m_dwPhysicalBase);
    Trace("\n");
}

CSmbiosTable::~CSmbiosTable() {
    if (m_pPhysicalMemory) {
        m_pPhysicalMemory->UnmapPhysicalMemory(m_pView);
        m_pView = nullptr;
        delete m_pPhysicalMemory;
        m_pPhysicalMemory = nullptr;
    }
    m_pEntryPoint = nullptr;
    m_pStructureTable = nullptr;
    m_bValid = FALSE;
}

const uint8_t *CSmbiosTable::FindEntryPoint() {
    return FindSmbiosAnchor(m_pView, m_dwLength);
}

BOOL CSmbiosTable::ValidateEntryPoint() {
    if (!m_pEntryPoint)
        return FALSE;
    return ValidateSmbiosEntryPoint(m_pView, m_dwLength, m_pEntryPoint);
}
