#!/usr/bin/env python3
"""Sums what each input contributes to an executable's code and data, from a GNU ld
link map: runtime libraries grouped by archive, our own code by object file.
Usage: size-report.py LINK.map  (largest first: bytes, input)"""
import re
import sys
from collections import Counter

# An input section line: " .text.name 0xADDR 0xSIZE file"; a long section name
# puts the numbers on the next line.
LINE = re.compile(r"^ \.(text|rdata|data|eh_frame)\S*\s+0x[0-9a-f]+\s+(0x[0-9a-f]+)\s+(\S+)")
NAME_ONLY = re.compile(r"^ \.(text|rdata|data|eh_frame)\S*$")
totals = Counter()
with open(sys.argv[1], errors="replace") as f:
    pending = None
    for line in f:
        line = line.rstrip("\n")
        if pending is not None:
            line, pending = pending + " " + line.strip(), None
        elif NAME_ONLY.match(line):
            pending = line
            continue
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
try:
    for name, size in totals.most_common():
        if size:
            print("%8d  %s" % (size, name))
except BrokenPipeError:  # the reader took what it wanted (| head)
    sys.stderr.close()
