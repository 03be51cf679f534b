// fwprobe: runs the firmware locators over an image of physical memory and prints the
// trace the program writes at start-up, then the processor count it would show.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image_port.h"
#include "probe_run.h"

namespace {

const char kUsage[] = "usage: fwprobe [--base ADDRESS] FILE\n"
                      "\n"
                      "Runs the SMBIOS and MADT locators, in start-up order, over FILE as physical\n"
                      "memory and prints the diagnostic trace the program writes, followed by the line\n"
                      "\"Processor count: N\" (N is 0, 1, 2 or 4; the update is offered from 2 on) and the\n"
                      "locators' teardown lines. When start-up would stop for want of an SMBIOS entry\n"
                      "point, the line reads \"SMBIOS not found?\" instead.\n"
                      "\n"
                      "  --base ADDRESS  physical address of the file's first byte (decimal, or hex\n"
                      "                  with 0x); default 0xE0000, for an image of 0xE0000-0xFFFFF\n"
                      "\n"
                      "The machine's own firmware, as root: fwprobe --base 0 /dev/mem\n"
                      "\n"
                      "Exit status: 0 when a count was printed, 1 when no SMBIOS entry point was\n"
                      "found, 2 for a usage error or an unreadable FILE.\n";

int Usage(FILE *out, int status) {
    std::fputs(kUsage, out);
    return status;
}

} // namespace

int main(int argc, char **argv) {
    unsigned long long base = 0xE0000;
    const char *path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Usage(stdout, 0);
        if (std::strcmp(argv[i], "--base") == 0 && i + 1 < argc) {
            char *end = nullptr;
            errno = 0;
            base = std::strtoull(argv[++i], &end, 0);
            if (errno || end == argv[i] || *end != '\0' || argv[i][0] == '-' || base > 0xFFFFFFFFull) {
                std::fprintf(stderr, "fwprobe: bad address %s\n", argv[i]);
                return Usage(stderr, 2);
            }
        } else if (argv[i][0] == '-' || path) {
            return Usage(stderr, 2);
        } else {
            path = argv[i];
        }
    }
    if (!path)
        return Usage(stderr, 2);

    int fd = open(path, O_RDONLY);
    if (fd < 0) {
        std::fprintf(stderr, "fwprobe: %s: %s\n", path, std::strerror(errno));
        return 2;
    }
    UseImageFile(fd, base);
    int count = RunFirmwareProbe();
    close(fd);
    return count < 0 ? 1 : 0;
}
