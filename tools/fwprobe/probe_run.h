// The firmware probe as start-up runs it: the SMBIOS locator, then (when it found an
// entry point) the MADT locator and its processor count, then teardown of the MADT
// locator before the SMBIOS locator. Between probe and teardown it writes one line of
// its own to the trace: "Processor count: N" or, when start-up would stop, "SMBIOS not
// found?". Returns the count, or -1 when no SMBIOS entry point was found.
#pragma once

int RunFirmwareProbe();
