// ACPI MADT locator: search, checksum, processor census and count, and start-up's trace.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "fakes/firmware_fixtures.h"
#include "fakes/firmware_nt_fake.h"
#include "fakes/trace_capture.h"
#include "firmware/bios_scan.h"
#include "firmware/madt_table.h"
#include "firmware/smbios_table.h"
#include "firmware/trace.h"

namespace {

using fixtures::Bytes;
using fixtures::IoApic;
using fixtures::LocalApic;

const std::string kMap = ">> MapPhysicalMemory <<\n";
const std::string kUnmap = ">> UnmapPhysicalMemory <<\n";
const std::string kChecksumError = "ERROR: The MADT checksum is incorrect!\n";

class MadtTableTest : public ::testing::Test {
protected:
    void SetUp() override { ResetWithBiosArea(); }
    void TearDown() override { CaptureTrace(nullptr); }
    FakeNt &fake() { return FakeNt::Get(); }
};

TEST(ProcessorCountTest, FollowsTheFixedRuleOverIdentifiers0167) {
    struct Row {
        uint32_t mask;
        int count;
    } rows[] = {
        {0x00, 0},
        {0x01, 1},
        {0x02, 0},
        {0x03, 2},
        {0x41, 2},
        // 5
        {0x43, 0},
        {0x81, 0},
        {0xC1, 0},
        {0xC3, 4},
        {0x40, 0},
        // 10
        {0x03 | 0x3C, 2},
        {0xC3 | 0xFF00, 4},
        {0xFFFFFFFF, 4},
        {0x80, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.mask);
        EXPECT_EQ(row.count, ProcessorCountFromMask(row.mask));
    }
}

TEST_F(MadtTableTest, CountsEnabledLocalApics) {
    struct Row {
        const char *name;
        Bytes madt;
        uint32_t mask;
        int count;
    } rows[] = {
        {"0 and 1", fixtures::Madt({LocalApic(0, true), LocalApic(1, true)}), 0x03, 2},
        {"1 disabled", fixtures::Madt({LocalApic(0, true), LocalApic(1, false)}), 0x01, 1},
        {"0 to 3", fixtures::Madt({LocalApic(0, true), LocalApic(1, true), LocalApic(2, true), LocalApic(3, true)}),
         0x03, 2},
        {"0, 1, 6, 7", fixtures::Madt({LocalApic(0, true), LocalApic(1, true), LocalApic(6, true), LocalApic(7, true)}),
         0xC3, 4},
        {"0 and 6", fixtures::Madt({LocalApic(0, true), LocalApic(6, true)}), 0x41, 2},
        // 5
        {"0, 1, 6", fixtures::Madt({LocalApic(0, true), LocalApic(1, true), LocalApic(6, true)}), 0x43, 0},
        {"I/O APIC and override stepped over",
         fixtures::Madt({LocalApic(0, true), IoApic(), fixtures::InterruptOverride(), LocalApic(1, true)}), 0x03, 2},
        {"identifiers beyond 7", fixtures::Madt({LocalApic(0, true), LocalApic(8, true), LocalApic(0xFF, true)}), 0x01,
         1},
        {"no entries", fixtures::Madt({}), 0, 0},
        {"flags other than bit 0", fixtures::Madt({LocalApic(0, true), Bytes{0, 8, 1, 1, 0xFE, 0xFF, 0xFF, 0xFF}}),
         0x01, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ResetWithBiosArea();
        PutPhysical(0xFA000, row.madt);
        CMadtTable table;
        EXPECT_EQ(fake().At(0xFA000), table.m_pMadt);
        EXPECT_TRUE(table.m_bValid);
        EXPECT_EQ(row.mask, table.m_dwEnabledMask);
        EXPECT_EQ(row.count, table.GetProcessorCount());
        EXPECT_EQ(kMap, fake().trace);
    }
}

TEST_F(MadtTableTest, ReportsMissingOrBrokenTables) {
    Bytes good = fixtures::Madt({LocalApic(0, true), LocalApic(1, true)});
    Bytes badSum = good;
    badSum[9] ^= 0x10;
    Bytes lengthZero = good;
    fixtures::PutLe32(lengthZero, 4, 0);
    Bytes decoy = {'A', 'P', 'I', 'C', 0x20, 0, 0, 0}; // other bytes reading "APIC"
    struct Row {
        const char *name;
        std::vector<std::pair<uint32_t, Bytes>> puts;
        uint32_t madtAt; // 0: none found
        BOOL valid;
        std::string trace;
    } rows[] = {
        {"no signature", {}, 0, FALSE, kMap + "ERROR: Failed to find the MADT!\n"},
        {"byte sum not zero", {{0xE4000, badSum}}, 0xE4000, FALSE, kMap + kChecksumError},
        {"length 0", {{0xE4000, lengthZero}}, 0xE4000, TRUE, kMap},
        {"decoy ahead of the table", {{0xE0100, decoy}, {0xE4000, good}}, 0xE0100, FALSE, kMap + kChecksumError},
        {"table past the window's end",
         {{0xFFFF0, Bytes(good.begin(), good.begin() + 16)}},
         0xFFFF0,
         FALSE,
         kMap + kChecksumError},
        {"header past the window's end",
         {{0xFFFFA, Bytes(good.begin(), good.begin() + 6)}},
         0xFFFFA,
         FALSE,
         kMap + kChecksumError},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ResetWithBiosArea();
        for (const auto &put : row.puts)
            PutPhysical(put.first, put.second);
        CMadtTable table;
        EXPECT_EQ(row.madtAt ? fake().At(row.madtAt) : nullptr, table.m_pMadt);
        EXPECT_EQ(row.valid, table.m_bValid);
        EXPECT_EQ(0u, table.m_dwEnabledMask);
        EXPECT_EQ(0, table.GetProcessorCount());
        EXPECT_EQ(row.trace, fake().trace);
    }
}

TEST_F(MadtTableTest, MapFailureGivesCountZero) {
    fake().image.assign(0x10000, 0);
    CMadtTable table;
    EXPECT_EQ(nullptr, table.m_pMadt);
    EXPECT_EQ(0, table.GetProcessorCount());
    EXPECT_EQ(kMap + "ERROR: Could not map view of 000E0000 length 00020000!: " + kTextAccessDenied + "\n",
              fake().trace);
}

TEST_F(MadtTableTest, MovedWindowIsSearchedAsMapped) {
    fake().mapGrowth = 0x10; // stays inside a larger image
    fake().image.resize(0x20010, 0);
    Bytes madt = fixtures::Madt({LocalApic(0, true), LocalApic(6, true)});
    fake().image.erase(fake().image.end() - static_cast<long>(madt.size()), fake().image.end());
    fake().image.insert(fake().image.end(), madt.begin(), madt.end());
    CMadtTable table;
    EXPECT_EQ(0x20010u, table.m_dwLength);
    EXPECT_EQ(2, table.GetProcessorCount());
}

// Walks stop at the table's end, at the window's end and at an entry of length 0.
TEST(MadtWalkTest, EndsOnEveryBound) {
    struct Row {
        const char *name;
        Bytes table;
        uint32_t window; // 0: the table's size
        uint32_t mask;
    };
    Bytes zeroLength = fixtures::Madt({LocalApic(0, true), Bytes{0, 0, 0, 1, 1, 0, 0, 0}, LocalApic(6, true)});
    Bytes zeroLengthOther = fixtures::Madt({Bytes{5, 0, 0, 0}, LocalApic(0, true)});
    Bytes shortTable = fixtures::Madt({LocalApic(0, true), LocalApic(1, true)});
    fixtures::PutLe32(shortTable, 4, 44 + 8); // second entry beyond the table's length
    Bytes tableOf45 = fixtures::Madt({Bytes{0, 8, 0, 0, 1}});
    fixtures::PutLe32(tableOf45, 4, 45); // one byte of entries: still read up to byte 4
    Bytes claimsMore = fixtures::Madt({LocalApic(0, true), LocalApic(1, true)});
    fixtures::PutLe32(claimsMore, 4, 0x10000);
    Bytes entryCut = fixtures::Madt({LocalApic(0, true), LocalApic(1, true)});
    fixtures::PutLe32(entryCut, 4, 0x10000);
    Bytes huge = fixtures::Madt({LocalApic(0, true), Bytes{9, 0xFF}});
    fixtures::PutLe32(huge, 4, 0xFFFFFFFF);

    const Row rows[] = {
        {"entry of length 0 counts, then ends", zeroLength, 0, 0x03},
        {"other entry of length 0 ends", zeroLengthOther, 0, 0},
        {"table length ends", shortTable, 0, 0x01},
        {"table of 45 bytes", tableOf45, 0, 0x01},
        {"length beyond the window", claimsMore, 0, 0x03},
        {"window ends inside an entry", entryCut, 44 + 8 + 4, 0x01},
        {"window ends after an entry's type", entryCut, 44 + 8 + 1, 0x01},
        {"length 0xFFFFFFFF", huge, 0, 0x01},
        {"header cut", shortTable, 7, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        uint32_t window = row.window ? row.window : static_cast<uint32_t>(row.table.size());
        Bytes buffer(row.table.begin(), row.table.begin() + std::min<size_t>(window, row.table.size()));
        EXPECT_EQ(row.mask, CollectEnabledMask(buffer.data(), window, buffer.data()));
    }
}

TEST(MadtSearchTest, FindsSignatureAtAnyOffsetInsideTheWindow) {
    struct Row {
        const char *name;
        uint32_t at, length;
        bool found;
    } rows[] = {
        {"offset 0", 0, 64, true},         {"odd offset", 13, 64, true}, {"last place", 60, 64, true},
        {"cut by the end", 61, 64, false}, {"window of 3", 0, 3, false}, {"empty window", 0, 0, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes buffer(row.length, 'A'); // many false starts
        const char signature[] = "APIC";
        for (uint32_t i = 0; i < 4 && row.at + i < row.length; ++i)
            buffer[row.at + i] = static_cast<uint8_t>(signature[i]);
        EXPECT_EQ(row.found ? buffer.data() + row.at : nullptr, FindMadtSignature(buffer.data(), row.length));
    }
}

// Both locators built and destroyed as start-up does: SMBIOS, then MADT; MADT goes first.
TEST_F(MadtTableTest, StartUpOrderWritesTheWholeTrace) {
    PutPhysical(0xF0000, fixtures::SmbiosEntryPoint(0x000F0800));
    PutPhysical(0xF4000, fixtures::Madt({LocalApic(0, true), LocalApic(1, true)}));
    CSmbiosTable *smbios = new CSmbiosTable;
    CMadtTable *madt = new CMadtTable;
    EXPECT_EQ(2, madt->GetProcessorCount());
    EXPECT_EQ(2u, fake().liveViews.size());
    EXPECT_EQ(2u, fake().openHandles.size());
    delete madt;
    delete smbios;
    char lines[160];
    std::snprintf(lines, sizeof lines, "%25s = %08" PRIXPTR " (000F0000)\n%25s = %08" PRIXPTR " (000F0800)\n\n",
                  "SMBIOS Entry Point", reinterpret_cast<uintptr_t>(fake().At(0xF0000)), "SMBIOS Structure Table",
                  reinterpret_cast<uintptr_t>(fake().At(0xF0800)));
    EXPECT_EQ(kMap + lines + kMap + kUnmap + kUnmap, fake().trace);
    EXPECT_TRUE(fake().liveViews.empty());
    EXPECT_TRUE(fake().openHandles.empty());
}

} // namespace
