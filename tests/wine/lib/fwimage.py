#!/usr/bin/env python3
"""Writes a firmware image of the BIOS area 0xE0000-0xFFFFF (128 KiB) for the Wine tests.

Usage: fwimage.py OUT [--cpus IDS] [--disabled IDS] [--smbios f0000|e0000|none]
                      [--bad-smbios-checksum] [--no-madt] [--bad-madt-checksum]

  --cpus IDS        local APIC identifiers of the enabled processors, comma-separated
                    (default 0,1); "" for none
  --disabled IDS    local APIC identifiers of processors listed but disabled
  --smbios WHERE    SMBIOS entry point at 0xF0010 (f0000, default), at 0xE8000 (e0000),
                    or none
  --bad-smbios-checksum  the entry point's byte sum is not zero
  --no-madt         no "APIC" table at all
  --bad-madt-checksum    the MADT's byte sum is not zero

The image is meant for physmem_start IMAGE (physical base 0xE0000). The MADT lies at
0xE1000 with an I/O APIC entry between the processor entries; the SMBIOS structure
table address points at 0xF1000.
"""
import argparse
import struct

BASE = 0xE0000
SIZE = 0x20000


def fix_sum(buf, start, length, at):
    """Sets buf[at] so that buf[start:start+length] sums to zero modulo 256."""
    buf[at] = 0
    buf[at] = (-sum(buf[start:start + length])) & 0xFF


def smbios_entry(table_address, bad):
    e = bytearray(31)
    e[0:4] = b"_SM_"
    e[5] = 31          # entry point length
    e[6], e[7] = 2, 3  # version 2.3
    struct.pack_into("<H", e, 8, 0x80)
    e[16:21] = b"_DMI_"
    struct.pack_into("<HIHB", e, 22, 0x100, table_address, 4, 0x23)
    fix_sum(e, 16, 15, 21)
    fix_sum(e, 0, 31, 4)
    if bad:
        e[4] ^= 0x5A
    return e


def madt(enabled, disabled, bad):
    entries = bytearray()
    ids = [(i, 1) for i in enabled] + [(i, 0) for i in disabled]
    for n, (apic_id, flags) in enumerate(ids):
        entries += struct.pack("<BBBBI", 0, 8, n, apic_id, flags)
        if n == 0:
            entries += struct.pack("<BBBBII", 1, 12, 8, 0, 0xFEC00000, 0)  # I/O APIC
    t = bytearray(44) + entries
    t[0:4] = b"APIC"
    struct.pack_into("<I", t, 4, len(t))
    t[8] = 1
    t[10:16] = b"MPTEST"
    t[16:24] = b"MPTABLE "
    struct.pack_into("<IIIII", t, 24, 1, 0x5453454D, 1, 0xFEE00000, 1)
    fix_sum(t, 0, len(t), 9)
    if bad:
        t[9] ^= 0x33
    return t


def id_list(text):
    return [int(x, 0) for x in text.split(",") if x.strip()]


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--cpus", default="0,1")
    p.add_argument("--disabled", default="")
    p.add_argument("--smbios", choices=["f0000", "e0000", "none"], default="f0000")
    p.add_argument("--bad-smbios-checksum", action="store_true")
    p.add_argument("--no-madt", action="store_true")
    p.add_argument("--bad-madt-checksum", action="store_true")
    a = p.parse_args()

    image = bytearray(SIZE)
    if a.smbios != "none":
        at = 0xF0010 if a.smbios == "f0000" else 0xE8000
        e = smbios_entry(0xF1000, a.bad_smbios_checksum)
        image[at - BASE:at - BASE + len(e)] = e
    if not a.no_madt:
        t = madt(id_list(a.cpus), id_list(a.disabled), a.bad_madt_checksum)
        image[0xE1000 - BASE:0xE1000 - BASE + len(t)] = t
    with open(a.out, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    main()
