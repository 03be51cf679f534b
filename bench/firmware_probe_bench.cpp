// Cost of the whole firmware probe beside one memmem-style search of the same bytes.
//
// The image is the BIOS area 0xE0000-0xFFFFF with text and code-like filler, the SMBIOS
// entry point only in the second window (both SMBIOS windows are searched) and the MADT
// near the end of the MADT window. BM_FirmwareProbe builds and destroys both locators as
// start-up does, trace formatting included (into memory); BM_MemmemSameBytes searches
// the MADT window once for "APIC". scripts/run-bench.sh prints their ratio.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "fakes/firmware_fixtures.h"
#include "fakes/trace_capture.h"
#include "firmware/bios_scan.h"
#include "firmware/madt_table.h"
#include "firmware/smbios_table.h"
#include "firmware/trace.h"
#include "image_port.h"

namespace {

using fixtures::Bytes;
using fixtures::LocalApic;

const uint32_t kBase = 0xE0000;

const Bytes &BiosImage() {
    static const Bytes image = [] {
        Bytes b(0x20000);
        const char text[] = "Award BIOS ACPI AMI PCI ISA APM _SMBIOS_ _DM APIX ";
        uint32_t state = 12345;
        for (size_t i = 0; i < b.size(); ++i) {
            state = state * 1103515245u + 12345u;
            b[i] = (i / 4096) % 3 == 0 ? static_cast<uint8_t>(text[i % (sizeof text - 1)])
                                       : static_cast<uint8_t>(state >> 24);
        }
        for (size_t i = 0; i + 4 <= b.size(); ++i)
            if (std::memcmp(&b[i], "APIC", 4) == 0 || std::memcmp(&b[i], "_SM_", 4) == 0)
                b[i] = '.';
        Bytes entry = fixtures::SmbiosEntryPoint(0x000E9000);
        std::memcpy(&b[0xE8000 - kBase], entry.data(), entry.size());
        Bytes madt = fixtures::Madt({LocalApic(0, true), LocalApic(1, true), fixtures::IoApic()});
        std::memcpy(&b[0xFE000 - kBase], madt.data(), madt.size());
        return b;
    }();
    return image;
}

void BM_FirmwareProbe(benchmark::State &state) {
    const Bytes &image = BiosImage();
    UseImageBytes(image.data(), image.size(), kBase);
    std::string trace;
    trace.reserve(1024);
    CaptureTrace(&trace);
    for (auto _ : state) {
        trace.clear();
        CSmbiosTable *smbios = new CSmbiosTable;
        CMadtTable *madt = new CMadtTable;
        int count = madt->GetProcessorCount();
        benchmark::DoNotOptimize(count);
        benchmark::DoNotOptimize(smbios->m_pEntryPoint);
        delete madt;
        delete smbios;
    }
    CaptureTrace(nullptr);
    if (trace.find("Processor") != std::string::npos || trace.find("ERROR") != std::string::npos)
        state.SkipWithError("unexpected trace");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 0x20000);
}
BENCHMARK(BM_FirmwareProbe);

// The scans alone on the same windows: what the probe costs without the port and trace.
void BM_FirmwareScansOnly(benchmark::State &state) {
    const uint8_t *image = BiosImage().data();
    for (auto _ : state) {
        const uint8_t *entry = FindSmbiosAnchor(image + 0x10000, 0x10000);
        if (!entry)
            entry = FindSmbiosAnchor(image, 0x10000);
        BOOL valid = ValidateSmbiosEntryPoint(image, 0x10000, entry);
        const uint8_t *madt = FindMadtSignature(image, 0x20000);
        uint32_t mask = VerifyMadtBytes(image, 0x20000, madt) ? CollectEnabledMask(image, 0x20000, madt) : 0;
        benchmark::DoNotOptimize(valid);
        benchmark::DoNotOptimize(mask);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 0x20000);
}
BENCHMARK(BM_FirmwareScansOnly);

void BM_MemmemSameBytes(benchmark::State &state) {
    const Bytes &image = BiosImage();
    const void *found = nullptr;
    for (auto _ : state) {
        const void *window = image.data();
        benchmark::DoNotOptimize(window);
        found = memmem(window, image.size(), "APIC", 4);
        benchmark::DoNotOptimize(found);
    }
    if (found != image.data() + (0xFE000 - kBase))
        state.SkipWithError("memmem found the wrong place");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 0x20000);
}
BENCHMARK(BM_MemmemSameBytes);

} // namespace

BENCHMARK_MAIN();
