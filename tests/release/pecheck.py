#!/usr/bin/env python3
"""Checks that a Windows executable is fit for Windows NT 4.0.

Usage: pecheck.py [--allow LIST] [--version A.B.C.D] EXE

Checks, each reported on its own line as "ok" or "FAIL":
  machine     32-bit x86 image
  subsystem   Windows GUI, subsystem version 4.0 (NT 4.0's loader refuses newer)
  timestamp   zero link time stamp (two builds of one commit give the same bytes)
  imports     every imported DLL and function is on the reviewed allow-list
              (a new import fails until someone has checked that NT 4.0 has it)
  version     the version record's file and product version
Exit status 0 when every check passed, 1 otherwise, 2 on unreadable input.
"""
import struct
import sys


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, nsections, self.timestamp, _, _, optsize, _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        plus = self.magic == 0x20B
        self.os_version = struct.unpack_from("<HH", data, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        dirs = opt + (112 if plus else 96)
        self.directories = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        sec = opt + optsize
        for i in range(nsections):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, sec + 40 * i)
            self.sections.append((name.rstrip(b"\0"), va, max(vsize, rawsize), rawptr, rawsize))
        self.thunk_size = 8 if plus else 4

    def offset(self, rva):
        for _, va, size, rawptr, rawsize in self.sections:
            if va <= rva < va + size and rva - va < rawsize:
                return rawptr + rva - va
        raise ValueError("address %#x is not in the file" % rva)

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        rva, size = self.directories[1]
        result = []
        if not rva:
            return result
        pos = self.offset(rva)
        while True:
            lookup, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", self.data, pos)
            if not name_rva:
                break
            dll = self.cstring(name_rva).lower()
            thunk = self.offset(lookup or first_thunk)
            fmt = "<Q" if self.thunk_size == 8 else "<I"
            ordinal_flag = 1 << (self.thunk_size * 8 - 1)
            while True:
                entry = struct.unpack_from(fmt, self.data, thunk)[0]
                if not entry:
                    break
                if entry & ordinal_flag:
                    result.append((dll, "#%d" % (entry & 0xFFFF)))
                else:
                    result.append((dll, self.cstring((entry & 0x7FFFFFFF) + 2)))
                thunk += self.thunk_size
            pos += 20
        return result

    def file_version(self):
        sig = self.data.find(struct.pack("<I", 0xFEEF04BD))
        if sig < 0:
            return None
        fms, fls, pms, pls = struct.unpack_from("<IIII", self.data, sig + 8)
        dotted = lambda ms, ls: "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        return dotted(fms, fls), dotted(pms, pls)


def read_allow_list(path):
    allowed = set()
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                dll, _, func = line.partition("!")
                allowed.add((dll.strip().lower(), func.strip()))
    return allowed


def main(argv):
    allow_path, version, exe = None, "1.0.0.1", None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--allow":
            allow_path = args.pop(0)
        elif a == "--version":
            version = args.pop(0)
        else:
            exe = a
    if not exe:
        print(__doc__)
        return 2
    try:
        with open(exe, "rb") as f:
            image = PeImage(f.read())
    except (OSError, ValueError, struct.error) as e:
        print("FAIL read: %s: %s" % (exe, e))
        return 2

    failures = 0

    def report(name, good, detail):
        nonlocal failures
        print("%-4s %-10s %s" % ("ok" if good else "FAIL", name, detail))
        failures += 0 if good else 1

    report("machine", image.machine == 0x14C, "machine %#x (0x14c is 32-bit x86)" % image.machine)
    report("subsystem", image.subsystem == 2 and image.subsystem_version == (4, 0),
           "subsystem %d version %d.%d (want GUI 2, 4.0)" % ((image.subsystem,) + image.subsystem_version))
    report("timestamp", image.timestamp == 0, "link time stamp %#x (want 0)" % image.timestamp)
    if allow_path:
        allowed = read_allow_list(allow_path)
        unknown = sorted(i for i in image.imports() if i not in allowed)
        report("imports", not unknown, "all on %s" % allow_path if not unknown else
               "not on the allow-list: " + ", ".join("%s!%s" % i for i in unknown))
    found = image.file_version()
    report("version", found == (version, version),
           "file/product version %s (want %s)" % ("/".join(found) if found else "missing", version))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
