#!/usr/bin/env python3
"""Sums what each input contributes to an executable's code and data, from a GNU ld
link map: runtime libraries grouped by archive, our own code by object file.
Usage: size-report.py LINK.map  (largest first: bytes, input)"""
import re
import sys
from collections import Counter

LINE = re.compile(r"^ \.(text|rdata|data)\S*\s+0x[0-9a-f]+\s+(0x[0-9a-f]+)\s+(\S+)")
totals = Counter()
with open(sys.argv[1], errors="replace") as f:
    for line in f:
        m = LINE.match(line)
        if not m:
            continue
        size, source = int(m.group(2), 16), m.group(3)
        archive, _, member = source.partition("(")
        archive = archive.rsplit("/", 1)[-1]
        if archive in ("libmp_core.a", "libmp_win32.a"):
            name = member.rstrip(")").replace(".cpp.obj", "")
        else:
            name = archive
        totals[name] += size
for name, size in totals.most_common():
    if size:
        print("%8d  %s" % (size, name))
