// SMBIOS entry point locator: the two windows, validation, fields and trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "fakes/firmware_fixtures.h"
#include "fakes/firmware_nt_fake.h"
#include "fakes/trace_capture.h"
#include "firmware/bios_scan.h"
#include "firmware/smbios_table.h"
#include "firmware/trace.h"

namespace {

using fixtures::Bytes;

const std::string kMap = ">> MapPhysicalMemory <<\n";
const std::string kUnmap = ">> UnmapPhysicalMemory <<\n";

// The address line as the trace writes it: a view address in full, at least 8 digits.
std::string AddressLine(const char *label, const void *address, uint32_t physical) {
    char line[96];
    std::snprintf(line, sizeof line, "%25s = %08" PRIXPTR " (%08X)\n", label, reinterpret_cast<uintptr_t>(address),
                  physical);
    return line;
}

std::string FoundLines(const uint8_t *entry, uint32_t entryPhysical, const uint8_t *table, uint32_t tablePhysical) {
    return AddressLine("SMBIOS Entry Point", entry, entryPhysical) +
           AddressLine("SMBIOS Structure Table", table, tablePhysical) + "\n";
}

class SmbiosTableTest : public ::testing::Test {
protected:
    void SetUp() override { ResetWithBiosArea(); }
    void TearDown() override { CaptureTrace(nullptr); }
    FakeNt &fake() { return FakeNt::Get(); }
};

TEST_F(SmbiosTableTest, FindsEntryPointInFirstWindow) {
    PutPhysical(0xF0010, fixtures::SmbiosEntryPoint(0x000F1000));
    CSmbiosTable table;
    EXPECT_EQ(fake().At(0xF0010), table.m_pEntryPoint);
    EXPECT_EQ(fake().At(0xF0000), table.m_pView);
    EXPECT_EQ(0xF0000u, table.m_dwPhysicalBase);
    EXPECT_EQ(0x10000u, table.m_dwLength);
    EXPECT_TRUE(table.m_bValid);
    EXPECT_EQ(fake().At(0xF1000), table.m_pStructureTable);
    EXPECT_EQ(kMap + FoundLines(fake().At(0xF0010), 0xF0010, fake().At(0xF1000), 0xF1000), fake().trace);
}

TEST_F(SmbiosTableTest, FallsBackToSecondWindow) {
    PutPhysical(0xEFFE0, fixtures::SmbiosEntryPoint(0x000E8000));
    CSmbiosTable table;
    EXPECT_EQ(fake().At(0xEFFE0), table.m_pEntryPoint);
    EXPECT_EQ(0xE0000u, table.m_dwPhysicalBase);
    EXPECT_EQ(1u, fake().liveViews.size());
    EXPECT_EQ(1u, fake().liveViews.count(fake().At(0xE0000)));
    EXPECT_EQ(kMap + kUnmap + kMap + FoundLines(fake().At(0xEFFE0), 0xEFFE0, fake().At(0xE8000), 0xE8000),
              fake().trace);
}

// Structure tables outside the window are only translated, never read.
TEST_F(SmbiosTableTest, TranslatesStructureTableOutsideTheWindow) {
    const uint32_t addresses[] = {0x00000000, 0x0009FC00, 0x7FFF0000, 0xFFFFFFFF};
    for (uint32_t address : addresses) {
        SCOPED_TRACE(address);
        ResetWithBiosArea();
        PutPhysical(0xF0000, fixtures::SmbiosEntryPoint(address));
        CSmbiosTable table;
        const uint8_t *expected =
            reinterpret_cast<const uint8_t *>(reinterpret_cast<uintptr_t>(fake().At(0xF0000)) +
                                              static_cast<uintptr_t>(static_cast<int64_t>(address) - 0xF0000));
        EXPECT_EQ(expected, table.m_pStructureTable);
        EXPECT_EQ(kMap + FoundLines(fake().At(0xF0000), 0xF0000, expected, address), fake().trace);
    }
}

// The first anchor wins, also when it fails and a good one follows.
TEST_F(SmbiosTableTest, FirstAnchorFailingValidationIsKept) {
    Bytes bad = fixtures::SmbiosEntryPoint();
    bad[10] ^= 1;
    PutPhysical(0xF8000, bad);
    PutPhysical(0xF9000, fixtures::SmbiosEntryPoint());
    PutPhysical(0xE0000, fixtures::SmbiosEntryPoint());
    CSmbiosTable table;
    EXPECT_EQ(fake().At(0xF8000), table.m_pEntryPoint);
    EXPECT_FALSE(table.m_bValid);
    EXPECT_EQ(nullptr, table.m_pStructureTable);
    EXPECT_EQ(kMap + "ERROR: SMBIOS Entry Point checksum is incorrect!\n", fake().trace);
}

TEST_F(SmbiosTableTest, NoAnchorInEitherWindowKeepsSecondMapped) {
    PutPhysical(0xF0008, fixtures::SmbiosEntryPoint()); // not on a 16-byte boundary
    CSmbiosTable table;
    EXPECT_EQ(nullptr, table.m_pEntryPoint);
    EXPECT_EQ(fake().At(0xE0000), table.m_pView);
    EXPECT_EQ(1u, fake().liveViews.count(fake().At(0xE0000)));
    EXPECT_EQ(kMap + kUnmap + kMap + "ERROR: Failed to find an SMBIOS Entry Point!\n", fake().trace);
}

TEST_F(SmbiosTableTest, MapFailuresStopTheSearch) {
    struct Row {
        const char *name;
        uint32_t imageBase, imageSize;
        NTSTATUS openStatus;
        std::string trace;
    } rows[] = {
        {"no section", 0xE0000, 0x20000, kStatusObjectNameNotFound,
         std::string("ERROR: Could not open \\device\\physicalmemory!: ") + kTextFileNotFound + "\n" + kMap},
        {"first window unmappable", 0xE0000, 0x10000, 0,
         kMap + "ERROR: Could not map view of 000F0000 length 00010000!: " + kTextAccessDenied + "\n"},
        {"second window unmappable", 0xF0000, 0x10000, 0,
         kMap + kUnmap + kMap + "ERROR: Could not map view of 000E0000 length 00010000!: " + kTextAccessDenied + "\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeNt &fake = FakeNt::Reset();
        fake.imageBase = row.imageBase;
        fake.image.assign(row.imageSize, 0);
        fake.openStatus = row.openStatus;
        CSmbiosTable table;
        EXPECT_EQ(nullptr, table.m_pEntryPoint);
        EXPECT_EQ(nullptr, table.m_pView);
        EXPECT_EQ(row.trace, fake.trace);
    }
}

TEST_F(SmbiosTableTest, DestructorUnmapsAndCloses) {
    PutPhysical(0xF0010, fixtures::SmbiosEntryPoint());
    CSmbiosTable *table = new CSmbiosTable;
    ASSERT_EQ(1u, fake().liveViews.size());
    fake().trace.clear();
    delete table;
    EXPECT_EQ(kUnmap, fake().trace);
    EXPECT_TRUE(fake().liveViews.empty());
    EXPECT_TRUE(fake().openHandles.empty());
}

// A locator whose map failed still unmaps its (null) view when destroyed.
TEST_F(SmbiosTableTest, DestructorAfterFailedMapReportsTheNullView) {
    fake().image.assign(0x10, 0);
    {
        CSmbiosTable table;
        fake().trace.clear();
    }
    EXPECT_EQ(kUnmap + "ERROR: Unable to unmap view!: " + kTextInvalidAddress + "\n", fake().trace);
    EXPECT_TRUE(fake().openHandles.empty());
}

// Validation on buffers: anchors, the two sums and the window's end, in that order.
TEST(SmbiosValidationTest, ChecksAnchorsSumsAndWindow) {
    struct Row {
        const char *name;
        Bytes entry;
        uint32_t window; // bytes of the window from the entry point on (0: the entry's size)
        BOOL valid;
    };
    Bytes good = fixtures::SmbiosEntryPoint();
    auto with = [&good](std::vector<std::pair<size_t, uint8_t>> changes) {
        Bytes b = good;
        for (const auto &c : changes)
            b.at(c.first) = c.second;
        return b;
    };
    Bytes lengthZero = with({{5, 0}, {4, 0x77}, {21, 0x99}, {30, 0x55}});
    Bytes innerWrong = with({{22, static_cast<uint8_t>(good[22] + 1)}, {10, static_cast<uint8_t>(good[10] - 1)}});
    Bytes length16 = with({{5, 16}, {21, 0x42}});
    fixtures::FixSum(length16, 0, 16, 4);
    Bytes length16NoDmi = length16;
    length16NoDmi[18] = 'X';
    Bytes length40(40, 0);
    std::copy(good.begin(), good.end(), length40.begin());
    length40[5] = 40;
    fixtures::FixSum(length40, 16, 40, 21);
    fixtures::FixSum(length40, 0, 40, 4);

    const Row rows[] = {
        {"standard", good, 0, TRUE},
        {"length 0: anchors alone", lengthZero, 0, TRUE},
        {"full sum wrong", with({{4, static_cast<uint8_t>(good[4] + 1)}}), 0, FALSE},
        {"full sum right, intermediate sum wrong", innerWrong, 0, FALSE},
        {"length 16: first sum only", length16, 0, TRUE},
        {"length 16 without _DMI_", length16NoDmi, 0, FALSE},
        {"bad first anchor", with({{3, 'X'}}), 0, FALSE},
        {"bad intermediate anchor", with({{20, '-'}}), 0, FALSE},
        {"length 40 inside the window", length40, 0, TRUE},
        {"length 40 past the window", length40, 39, FALSE},
        {"length 0, window ends before the table address", lengthZero, 27, FALSE},
        {"length 0, window ends after the table address", lengthZero, 28, TRUE},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        uint32_t window = row.window ? row.window : static_cast<uint32_t>(row.entry.size());
        Bytes buffer(row.entry.begin(), row.entry.begin() + std::min<size_t>(window, row.entry.size()));
        buffer.resize(window, 0);
        EXPECT_EQ(row.valid, ValidateSmbiosEntryPoint(buffer.data(), window, buffer.data()));
    }
}

TEST(SmbiosValidationTest, EntryPointOutsideTheWindowFails) {
    Bytes buffer = fixtures::SmbiosEntryPoint();
    buffer.resize(64, 0);
    EXPECT_FALSE(ValidateSmbiosEntryPoint(buffer.data() + 32, 32, buffer.data()));
    EXPECT_FALSE(ValidateSmbiosEntryPoint(buffer.data(), 64, nullptr));
    EXPECT_FALSE(ValidateSmbiosEntryPoint(nullptr, 64, buffer.data()));
}

TEST(SmbiosSearchTest, LooksOnlyAtSixteenByteBoundariesInsideTheWindow) {
    struct Row {
        const char *name;
        uint32_t anchorAt, length;
        bool found;
    } rows[] = {
        {"offset 0x10", 0x10, 0x100, true},
        {"offset 0x18", 0x18, 0x100, false},
        {"offset 0x01", 0x01, 0x100, false},
        {"last slot, four bytes inside", 0xF0, 0xF4, true},
        {"last slot, three bytes inside", 0xF0, 0xF3, false},
        {"empty window", 0x00, 0, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Bytes buffer(row.length, 0);
        const char anchor[] = "_SM_";
        for (uint32_t i = 0; i < 4 && row.anchorAt + i < row.length; ++i)
            buffer[row.anchorAt + i] = static_cast<uint8_t>(anchor[i]);
        const uint8_t *found = FindSmbiosAnchor(buffer.data(), row.length);
        EXPECT_EQ(row.found ? buffer.data() + row.anchorAt : nullptr, found);
    }
}

} // namespace
