// fwprobe_win: the firmware probe as start-up runs it, through the operating system's
// physical memory section. Writes the same trace as fwprobe on the same memory.
// Exit status: 0 when a count was printed, 1 when no SMBIOS entry point was found.
#include "probe_run.h"

int main() {
    return RunFirmwareProbe() < 0 ? 1 : 0;
}
