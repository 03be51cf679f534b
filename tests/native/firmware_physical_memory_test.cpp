// Physical memory window: binding, section, map and unmap, and their trace lines.
#include <gtest/gtest.h>

#include "fakes/firmware_nt_fake.h"
#include "fakes/trace_capture.h"
#include "firmware/physical_memory.h"
#include "firmware/trace.h"

namespace {

const char kMap[] = ">> MapPhysicalMemory <<\n";
const char kUnmap[] = ">> UnmapPhysicalMemory <<\n";
const char kBindError[] = "ERROR: Unable to locate NTDLL entry points!\n\n";

class PhysicalMemoryTest : public ::testing::Test {
protected:
    void SetUp() override { ResetWithBiosArea(); }
    void TearDown() override { CaptureTrace(nullptr); }
    FakeNt &fake() { return FakeNt::Get(); }
};

TEST_F(PhysicalMemoryTest, BindsOnceAndGivesEachObjectItsOwnSection) {
    CPhysicalMemory *first = new CPhysicalMemory;
    CPhysicalMemory *second = new CPhysicalMemory;
    const std::vector<std::string> order = {"RtlInitUnicodeString", "NtUnmapViewOfSection", "NtOpenSection",
                                            "NtMapViewOfSection", "RtlNtStatusToDosError"};
    EXPECT_EQ(order, fake().lookups);
    EXPECT_TRUE(NtdllEntryPointsBound());
    EXPECT_EQ(2, fake().opens);
    EXPECT_NE(first->m_hSection, second->m_hSection);
    EXPECT_EQ(1u, fake().openHandles.count(first->m_hSection));
    EXPECT_EQ(1u, fake().openHandles.count(second->m_hSection));
    HANDLE firstHandle = first->m_hSection;
    delete first;
    ASSERT_EQ(1u, fake().closedHandles.size());
    EXPECT_EQ(firstHandle, fake().closedHandles[0]);
    delete second;
    EXPECT_TRUE(fake().openHandles.empty());
    EXPECT_EQ("", fake().trace);
}

TEST_F(PhysicalMemoryTest, OpensTheSectionByNameForReadMapping) {
    CPhysicalMemory memory;
    EXPECT_EQ(std::u16string(u"\\device\\physicalmemory"), fake().openName);
    EXPECT_EQ(4u, fake().openAccess);
    EXPECT_EQ(sizeof(OBJECT_ATTRIBUTES), fake().openAttributes.Length);
    EXPECT_EQ(0x40u, fake().openAttributes.Attributes);
    EXPECT_EQ(nullptr, fake().openAttributes.RootDirectory);
    EXPECT_EQ(nullptr, fake().openAttributes.SecurityDescriptor);
    EXPECT_EQ(nullptr, fake().openAttributes.SecurityQualityOfService);
}

// Whichever entry point is missing, nothing native is called and every construction
// reports the binding again; the binding succeeds once the entry point is there.
TEST_F(PhysicalMemoryTest, MissingEntryPointLeavesObjectsWithoutSection) {
    const char *const names[] = {"RtlInitUnicodeString", "NtUnmapViewOfSection", "NtOpenSection", "NtMapViewOfSection",
                                 "RtlNtStatusToDosError"};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        ResetWithBiosArea().missingEntry = name;
        {
            CPhysicalMemory first;
            CPhysicalMemory second;
            EXPECT_EQ(reinterpret_cast<HANDLE>(-1), first.m_hSection);
            EXPECT_FALSE(NtdllEntryPointsBound());
            EXPECT_EQ(10u, fake().lookups.size());

            uint32_t base = 0xF0000, length = 0x10000;
            const uint8_t *view = reinterpret_cast<const uint8_t *>(&base);
            EXPECT_FALSE(first.MapPhysicalMemory(&base, &length, &view));
            EXPECT_EQ(0xF0000u, base);
            EXPECT_EQ(0x10000u, length);
            EXPECT_EQ(reinterpret_cast<const uint8_t *>(&base), view);
            first.UnmapPhysicalMemory(nullptr);
        }
        EXPECT_EQ(std::string(kBindError) + kBindError + kMap + kUnmap, fake().trace);
        EXPECT_EQ(0, fake().opens + fake().maps + fake().unmaps);
        EXPECT_TRUE(fake().closedHandles.empty());

        fake().missingEntry.clear();
        CPhysicalMemory third;
        EXPECT_TRUE(NtdllEntryPointsBound());
        EXPECT_EQ(1, fake().opens);
    }
}

TEST_F(PhysicalMemoryTest, SectionThatCannotBeOpenedFailsEveryMapWithTheMarkerOnly) {
    fake().openStatus = kStatusObjectNameNotFound;
    CPhysicalMemory memory;
    EXPECT_EQ(reinterpret_cast<HANDLE>(-1), memory.m_hSection);
    uint32_t base = 0xE0000, length = 0x20000;
    const uint8_t *view = nullptr;
    EXPECT_FALSE(memory.MapPhysicalMemory(&base, &length, &view));
    EXPECT_EQ(0, fake().maps);
    EXPECT_EQ(std::string("ERROR: Could not open \\device\\physicalmemory!: ") + kTextFileNotFound + "\n" + kMap,
              fake().trace);
}

TEST_F(PhysicalMemoryTest, MapsTheRequestedWindowReadOnly) {
    fake().image[0x10000] = 0x5A;
    CPhysicalMemory memory;
    uint32_t base = 0xF0000, length = 0x10000;
    const uint8_t *view = nullptr;
    ASSERT_TRUE(memory.MapPhysicalMemory(&base, &length, &view));
    EXPECT_EQ(0xF0000u, base);
    EXPECT_EQ(0x10000u, length);
    EXPECT_EQ(fake().At(0xF0000), view);
    EXPECT_EQ(0x5A, view[0]);
    EXPECT_EQ(reinterpret_cast<HANDLE>(-1), fake().mapProcess);
    EXPECT_EQ(0u, fake().mapZeroBits);
    EXPECT_EQ(0x10000u, fake().mapCommitSize);
    EXPECT_EQ(1u, fake().mapInherit);
    EXPECT_EQ(0u, fake().mapAllocationType);
    EXPECT_EQ(2u, fake().mapProtect);
    EXPECT_EQ(kMap, fake().trace);

    memory.UnmapPhysicalMemory(view);
    EXPECT_TRUE(fake().liveViews.empty());
    EXPECT_EQ(reinterpret_cast<HANDLE>(-1), fake().unmapProcess);
    EXPECT_EQ(std::string(kMap) + kUnmap, fake().trace);
}

// The caller's variables take what the system mapped, and the view starts at the new base.
TEST_F(PhysicalMemoryTest, TakesTheBaseAndLengthTheSystemMapped) {
    struct Row {
        const char *name;
        uint32_t base, length, alignment, growth;
        uint32_t mappedBase, mappedLength;
    } rows[] = {
        {"as requested", 0xF0000, 0x10000, 0, 0, 0xF0000, 0x10000},
        {"base moved to a page", 0xF0010, 0x100, 0x1000, 0, 0xF0000, 0x110},
        {"length grown to pages", 0xF0000, 0x100, 0, 0xF00, 0xF0000, 0x1000},
        {"both", 0xE1234, 0x10, 0x1000, 0xDBC, 0xE1000, 0x1000},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeNt &fake = ResetWithBiosArea();
        fake.mapAlignment = row.alignment;
        fake.mapGrowth = row.growth;
        for (size_t i = 0; i < fake.image.size(); ++i)
            fake.image[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
        CPhysicalMemory memory;
        uint32_t base = row.base, length = row.length;
        const uint8_t *view = nullptr;
        ASSERT_TRUE(memory.MapPhysicalMemory(&base, &length, &view));
        EXPECT_EQ(row.mappedBase, base);
        EXPECT_EQ(row.mappedLength, length);
        EXPECT_EQ(*fake.At(row.mappedBase), view[0]);
        EXPECT_EQ(*fake.At(row.mappedBase + row.mappedLength - 1), view[length - 1]);
    }
}

TEST_F(PhysicalMemoryTest, FailedMapReportsBaseAndLengthAndLeavesViewNull) {
    struct Row {
        const char *name;
        NTSTATUS status;
        uint32_t base, length;
        std::string line;
    } rows[] = {
        {"refused", kStatusAccessDenied, 0xE0000, 0x20000,
         std::string("ERROR: Could not map view of 000E0000 length 00020000!: ") + kTextAccessDenied + "\n"},
        {"past the section", 0, 0xF0000, 0x20000,
         std::string("ERROR: Could not map view of 000F0000 length 00020000!: ") + kTextAccessDenied + "\n"},
        {"status without text", kStatusUnmappable, 0xE0000, 0x10,
         "ERROR: Could not map view of 000E0000 length 00000010!: Unknown error 317.\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ResetWithBiosArea().mapStatus = row.status;
        CPhysicalMemory memory;
        uint32_t base = row.base, length = row.length;
        const uint8_t *view = reinterpret_cast<const uint8_t *>(&base);
        EXPECT_FALSE(memory.MapPhysicalMemory(&base, &length, &view));
        EXPECT_EQ(row.base, base);
        EXPECT_EQ(nullptr, view);
        EXPECT_EQ(kMap + row.line, fake().trace);
    }
}

TEST_F(PhysicalMemoryTest, FailedUnmapReportsTheSystemText) {
    struct Row {
        const char *name;
        bool mapFirst;
        NTSTATUS status;
        bool formatFails;
        std::string text;
    } rows[] = {
        {"null view", false, 0, false, kTextInvalidAddress},
        {"refused", true, kStatusAccessDenied, false, kTextAccessDenied},
        {"system has no text", false, 0, true, "Unknown error 487."},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeNt &fake = ResetWithBiosArea();
        fake.unmapStatus = row.status;
        fake.formatFails = row.formatFails;
        CPhysicalMemory memory;
        uint32_t base = 0xE0000, length = 0x1000;
        const uint8_t *view = nullptr;
        if (row.mapFirst) {
            ASSERT_TRUE(memory.MapPhysicalMemory(&base, &length, &view));
        }
        fake.trace.clear();
        memory.UnmapPhysicalMemory(view);
        EXPECT_EQ(std::string(kUnmap) + "ERROR: Unable to unmap view!: " + row.text + "\n", fake.trace);
    }
}

// Unmapping does not depend on the object's own section.
TEST_F(PhysicalMemoryTest, UnmapsThroughAnObjectWithoutSection) {
    CPhysicalMemory mapper;
    uint32_t base = 0xE0000, length = 0x1000;
    const uint8_t *view = nullptr;
    ASSERT_TRUE(mapper.MapPhysicalMemory(&base, &length, &view));
    fake().openStatus = kStatusAccessDenied;
    CPhysicalMemory sectionless;
    ASSERT_EQ(reinterpret_cast<HANDLE>(-1), sectionless.m_hSection);
    sectionless.UnmapPhysicalMemory(view);
    EXPECT_TRUE(fake().liveViews.empty());
}

TEST(TraceTest, WritesLongTextsWhole) {
    std::string captured;
    CaptureTrace(&captured);
    std::string text(1000, 'x');
    Trace("%s: %s\n", "ERROR", text.c_str());
    CaptureTrace(nullptr);
    EXPECT_EQ("ERROR: " + text + "\n", captured);
}

TEST(TraceTest, WritesToStandardOutputAtOnce) {
    testing::internal::CaptureStdout();
    Trace("%25s = %08X (%08X)\n", "SMBIOS Entry Point", 0xF0010u, 0xF0010u);
    EXPECT_EQ("       SMBIOS Entry Point = 000F0010 (000F0010)\n", testing::internal::GetCapturedStdout());
}

} // namespace
