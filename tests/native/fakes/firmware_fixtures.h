// Builders of small firmware fixtures from the published layouts: the SMBIOS 2.x entry
// point (31 bytes) and the ACPI MADT (36-byte table header, local APIC address and
// flags, then interrupt controller entries). Shared by the native tests, the fuzzer's
// seeds, the benchmark and the Wine test's image writer.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace fixtures {

typedef std::vector<uint8_t> Bytes;

inline void PutLe16(Bytes &b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void PutLe32(Bytes &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The value that makes bytes [from, to) sum to zero when stored at `at` (within them).
inline void FixSum(Bytes &b, size_t from, size_t to, size_t at) {
    b[at] = 0;
    uint8_t sum = 0;
    for (size_t i = from; i < to; ++i)
        sum = static_cast<uint8_t>(sum + b[i]);
    b[at] = static_cast<uint8_t>(0x100 - sum);
}

// SMBIOS 2.x entry point with both checksums right: "_SM_", checksum, length 0x1F,
// version 2.3, maximum structure size, revision, formatted area, "_DMI_", intermediate
// checksum, table length, table address, structure count, BCD revision.
inline Bytes SmbiosEntryPoint(uint32_t tableAddress = 0x000F1000) {
    Bytes b(0x1F, 0);
    b[0] = '_', b[1] = 'S', b[2] = 'M', b[3] = '_';
    b[5] = 0x1F;
    b[6] = 2, b[7] = 3;
    PutLe16(b, 8, 0x80);
    b[16] = '_', b[17] = 'D', b[18] = 'M', b[19] = 'I', b[20] = '_';
    PutLe16(b, 22, 0x0400);
    PutLe32(b, 24, tableAddress);
    PutLe16(b, 28, 12);
    b[30] = 0x23;
    FixSum(b, 16, 31, 21);
    FixSum(b, 0, 31, 4);
    return b;
}

// Processor local APIC entry (type 0, length 8): ACPI processor id, APIC id, flags.
inline Bytes LocalApic(uint8_t apicId, bool enabled, uint8_t processorId = 0) {
    return Bytes{0, 8, processorId, apicId, static_cast<uint8_t>(enabled ? 1 : 0), 0, 0, 0};
}

// I/O APIC entry (type 1, length 12): id, reserved, address, global interrupt base.
inline Bytes IoApic(uint8_t id = 2) {
    Bytes b{1, 12, id, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe32(b, 4, 0xFEC00000);
    return b;
}

// Interrupt source override (type 2, length 10).
inline Bytes InterruptOverride() {
    return Bytes{2, 10, 0, 0, 2, 0, 0, 0, 0, 0};
}

// MADT with the given entries, its length field and checksum right.
inline Bytes Madt(std::initializer_list<Bytes> entries) {
    Bytes b(44, 0);
    b[0] = 'A', b[1] = 'P', b[2] = 'I', b[3] = 'C';
    b[8] = 1; // revision
    const char oem[] = "FWTEST";
    for (int i = 0; i < 6; ++i)
        b[10 + i] = static_cast<uint8_t>(oem[i]);
    PutLe32(b, 36, 0xFEE00000); // local APIC address
    PutLe32(b, 40, 1);          // PC-AT compatible
    for (const Bytes &e : entries)
        b.insert(b.end(), e.begin(), e.end());
    PutLe32(b, 4, static_cast<uint32_t>(b.size()));
    FixSum(b, 0, b.size(), 9);
    return b;
}

} // namespace fixtures
