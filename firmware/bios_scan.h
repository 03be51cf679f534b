// Scans of the BIOS area for the SMBIOS entry point and the ACPI MADT.
//
// Each scan works on a window alone: the address of its first byte and its length in
// bytes (the physical base matters only for the trace). No read ever leaves the
// window: a candidate whose needed bytes reach past the window's end fails its
// validation or checksum, and the entry walk stops at the window's end. Pointers
// handed in as "found" may point anywhere; outside the window they simply fail.
#pragma once

#include <cstdint>

#include "framework/portable.h"

// First "_SM_" anchor on a 16-byte boundary of the window, or null.
const uint8_t *FindSmbiosAnchor(const uint8_t *view, uint32_t length);

// The entry point's anchors and byte sums, in this order: "_SM_", "_DMI_", the sum of
// its first L bytes (L = byte 5; skipped when L is 0), the sum of bytes 16 to L-1
// (skipped when L <= 16). The first 28 bytes (up to the structure table address) and
// the first L bytes must lie inside the window.
BOOL ValidateSmbiosEntryPoint(const uint8_t *view, uint32_t length, const uint8_t *entry);

// The 32-bit physical address of the structure table (entry point bytes 24-27).
uint32_t SmbiosStructureTableAddress(const uint8_t *entry);

// First "APIC" at any byte offset of the window, or null.
const uint8_t *FindMadtSignature(const uint8_t *view, uint32_t length);

// "APIC" and a zero byte sum over the table's length L (bytes 4-7); 0 when the table's
// header or its L bytes reach past the window.
BOOL VerifyMadtBytes(const uint8_t *view, uint32_t length, const uint8_t *madt);

// Mask of enabled processors from the local APIC entries from offset 44 up to the
// table length. Identifiers 0, 1, 6 and 7 set bits 0x01, 0x02, 0x40 and 0x80; other
// identifiers and disabled processors add nothing. An entry of length 0 ends the walk
// (after it has been counted), as does an entry whose bytes reach past the window.
uint32_t CollectEnabledMask(const uint8_t *view, uint32_t length, const uint8_t *madt);

// Processor count of an enabled mask: 0x01 -> 1, 0x03 and 0x41 -> 2, 0xC3 -> 4, else 0
// (bits outside 0xC3 are ignored).
int ProcessorCountFromMask(uint32_t mask);
