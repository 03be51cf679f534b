// Physical memory port over an image of physical memory, for native programs.
//
// Implements the port of firmware/nt_port.h: the five native entry points serve the
// section "\device\physicalmemory" from either a file whose first byte has a given
// physical address (read at each map, so /dev/mem with base 0 works too) or bytes in
// memory (views point into them). Error texts are the system's English ones for the
// codes this port produces. One thread only.
#pragma once

#include <cstddef>
#include <cstdint>

// Serves physical memory from an open file descriptor; the file's first byte lies at
// physical address `base`. The caller keeps the descriptor open.
void UseImageFile(int fd, uint64_t base);

// Serves physical memory from bytes in memory; the first byte lies at `base`. The
// caller keeps the bytes alive while views exist.
void UseImageBytes(const uint8_t *bytes, size_t size, uint64_t base);
