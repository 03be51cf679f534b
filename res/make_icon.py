#!/usr/bin/env python3
"""Writes the program icon update.ico: one 32x32 image in 16 colours (4 bits per pixel).

The picture: two processor chips side by side on a grey board, joined by a bus, with
an arrow from the single chip at the top. Run from anywhere: python3 res/make_icon.py
"""
import os
import struct

# The standard 16-colour palette (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DGREEN, GREY, DGREY, RED, GREEN, BLUE, YELLOW, WHITE, NAVY = 0, 2, 7, 8, 9, 10, 12, 11, 15, 4

SIZE = 32
pixels = [[None] * SIZE for _ in range(SIZE)]  # None: transparent


def rect(x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            pixels[y][x] = colour


def chip(x0, y0, label_colour):
    # Pins on all four sides, a dark body with a light edge, a coloured core.
    for i in range(x0 + 2, x0 + 11, 2):
        rect(i, y0 - 1, i, y0 - 1, GREY)
        rect(i, y0 + 11, i, y0 + 11, GREY)
    for j in range(y0 + 2, y0 + 11, 2):
        rect(x0 - 1, j, x0 - 1, j, GREY)
        rect(x0 + 11, j, x0 + 11, j, GREY)
    rect(x0, y0, x0 + 10, y0 + 10, BLACK)
    rect(x0 + 1, y0 + 1, x0 + 9, y0 + 9, DGREY)
    rect(x0 + 3, y0 + 3, x0 + 7, y0 + 7, label_colour)


# Board.
rect(1, 12, 30, 30, DGREEN)
rect(1, 12, 30, 12, GREEN)
rect(1, 12, 1, 30, GREEN)
# Two processors and the bus between them.
chip(3, 16, BLUE)
chip(18, 16, RED)
rect(14, 20, 17, 22, YELLOW)
# Arrow down into the board: one becomes two.
rect(14, 1, 17, 6, NAVY)
for k in range(5):
    rect(10 + k, 6 + k, 21 - k, 6 + k, NAVY)

# XOR bitmap: 4 bits per pixel, rows bottom-up, each row 16 bytes.
xor = bytearray()
for y in reversed(range(SIZE)):
    row = [0 if p is None else p for p in pixels[y]]
    for x in range(0, SIZE, 2):
        xor.append((row[x] << 4) | row[x + 1])
# AND mask: 1 bit per pixel (1 = transparent), rows bottom-up, each row 4 bytes.
mask = bytearray()
for y in reversed(range(SIZE)):
    bits = 0
    for x in range(SIZE):
        bits = (bits << 1) | (1 if pixels[y][x] is None else 0)
    mask += struct.pack(">I", bits)

header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
image = header + palette + bytes(xor) + bytes(mask)
directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "update.ico")
with open(out, "wb") as f:
    f.write(directory + image)
