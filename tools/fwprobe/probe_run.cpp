// The firmware probe in start-up order, shared by fwprobe and its Windows twin.
#include "probe_run.h"

#include "firmware/madt_table.h"
#include "firmware/smbios_table.h"
#include "firmware/trace.h"

int RunFirmwareProbe() {
    CSmbiosTable *smbios = new CSmbiosTable;
    if (!smbios->m_pEntryPoint) {
        Trace("SMBIOS not found?\n");
        delete smbios;
        return -1;
    }
    CMadtTable *madt = new CMadtTable;
    int count = madt->GetProcessorCount();
    Trace("Processor count: %d\n", count);
    delete madt;
    delete smbios;
    return count;
}
