// Scans of the BIOS area: SMBIOS entry point and ACPI MADT, bounded by the window.
#include "firmware/bios_scan.h"

#include <cstring>

namespace {

const uint32_t kSmbiosStride = 16;
const uint32_t kSmbiosNeeded = 28; // anchors, lengths and the structure table address
const uint32_t kMadtHeaderNeeded = 8;
const uint32_t kMadtEntriesOffset = 44;

uint32_t ReadLe32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint8_t ByteSum(const uint8_t *p, uint32_t count) {
    uint8_t sum = 0;
    for (uint32_t i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + p[i]);
    return sum;
}

// Bytes of the window from p to its end; 0 when p lies outside the window.
uint32_t BytesFrom(const uint8_t *view, uint32_t length, const uint8_t *p) {
    uintptr_t start = reinterpret_cast<uintptr_t>(view);
    uintptr_t at = reinterpret_cast<uintptr_t>(p);
    if (!view || !p || at < start || at - start >= length)
        return 0;
    return static_cast<uint32_t>(length - (at - start));
}

} // namespace

const uint8_t *FindSmbiosAnchor(const uint8_t *view, uint32_t length) {
    if (!view)
        return nullptr;
    for (uint32_t offset = 0; offset < length && length - offset >= 4; offset += kSmbiosStride) {
        if (std::memcmp(view + offset, "_SM_", 4) == 0)
            return view + offset;
        if (length - offset <= kSmbiosStride)
            break;
    }
    return nullptr;
}

BOOL ValidateSmbiosEntryPoint(const uint8_t *view, uint32_t length, const uint8_t *entry) {
    uint32_t available = BytesFrom(view, length, entry);
    if (available < kSmbiosNeeded)
        return FALSE;
    if (std::memcmp(entry, "_SM_", 4) != 0)
        return FALSE;
    if (std::memcmp(entry + 16, "_DMI_", 5) != 0)
        return FALSE;
    uint32_t entryLength = entry[5];
    if (entryLength > available)
        return FALSE;
    if (entryLength > 0 && ByteSum(entry, entryLength) != 0)
        return FALSE;
    if (entryLength > 16 && ByteSum(entry + 16, entryLength - 16) != 0)
        return FALSE;
    return TRUE;
}

uint32_t SmbiosStructureTableAddress(const uint8_t *entry) {
    return ReadLe32(entry + 24);
}

const uint8_t *FindMadtSignature(const uint8_t *view, uint32_t length) {
    if (!view || length < 4)
        return nullptr;
    // Candidates start at an 'A' no later than 4 bytes before the end.
    const uint8_t *p = view;
    const uint8_t *last = view + (length - 4);
    while (p <= last) {
        const void *hit = std::memchr(p, 'A', static_cast<size_t>(last - p) + 1);
        if (!hit)
            return nullptr;
        p = static_cast<const uint8_t *>(hit);
        if (p[1] == 'P' && p[2] == 'I' && p[3] == 'C')
            return p;
        ++p;
    }
    return nullptr;
}

BOOL VerifyMadtBytes(const uint8_t *view, uint32_t length, const uint8_t *madt) {
    uint32_t available = BytesFrom(view, length, madt);
    if (available < kMadtHeaderNeeded)
        return FALSE;
    if (std::memcmp(madt, "APIC", 4) != 0)
        return FALSE;
    uint32_t tableLength = ReadLe32(madt + 4);
    if (tableLength > available)
        return FALSE;
    return ByteSum(madt, tableLength) == 0 ? TRUE : FALSE;
}

uint32_t CollectEnabledMask(const uint8_t *view, uint32_t length, const uint8_t *madt) {
    uint32_t available = BytesFrom(view, length, madt);
    if (available < kMadtHeaderNeeded)
        return 0;
    uint64_t tableLength = ReadLe32(madt + 4);
    uint32_t mask = 0;
    for (uint64_t offset = kMadtEntriesOffset; offset < tableLength;) {
        if (offset + 2 > available)
            break;
        const uint8_t *entry = madt + offset;
        if (entry[0] == 0) {
            if (offset + 5 > available)
                break;
            static const uint8_t kBitOfId[8] = {0x01, 0x02, 0, 0, 0, 0, 0x40, 0x80};
            uint8_t id = entry[3];
            if (id < 8 && (entry[4] & 1))
                mask |= kBitOfId[id];
        }
        if (entry[1] == 0)
            break;
        offset += entry[1];
    }
    return mask;
}

int ProcessorCountFromMask(uint32_t mask) {
    switch (mask & 0xC3) {
    case 0x01:
        return 1;
    case 0x03:
    case 0x41:
        return 2;
    case 0xC3:
        return 4;
    default:
        return 0;
    }
}
