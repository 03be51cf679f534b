// Repair log entries: the log path, key and value composed from the Windows
// directory, and what happens when they would not fit.
#include "upgrade/setup_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(SetupLog, ComposesPathKeyAndValue) {
    struct Row {
        const char *windowsDir;
        const char *file;
        const char *source;
        const char *checksum;
        const char *logPath;
        const char *key;
        const char *value;
    };
    const Row rows[] = {
        {"C:\\WINNT", "hal.dll", "HALMPS.DLL", "1a01c", "C:\\WINNT\\Repair\\Setup.log", "\\WINNT\\System32\\hal.dll",
         "\"HALMPS.DLL\",\"1a01c\""},
        {"D:\\WINNT40", "win32k.sys", "WIN32K.SYS", "132603", "D:\\WINNT40\\Repair\\Setup.log",
         "\\WINNT40\\System32\\win32k.sys", "\"WIN32K.SYS\",\"132603\""},
        {"C:\\windows", "Ntoskrnl.exe", "ntkrnlmp.exe", "e76ab", "C:\\windows\\Repair\\Setup.log",
         "\\windows\\System32\\Ntoskrnl.exe", "\"NTKRNLMP.EXE\",\"e76ab\""},
        {"C:\\WINNT", "hal.dll", "halsp.dll", "0f337", "C:\\WINNT\\Repair\\Setup.log", "\\WINNT\\System32\\hal.dll",
         "\"HALSP.DLL\",\"0f337\""},
        {"C:\\WINNT", "x", "\xe4z-1_\xc4", "", "C:\\WINNT\\Repair\\Setup.log", "\\WINNT\\System32\\x",
         "\"\xe4Z-1_\xc4\",\"\""}, // only a to z change case
        // 5
        {"C:", "hal.dll", "HALMPS.DLL", "1a01c", "C:\\Repair\\Setup.log", "\\System32\\hal.dll",
         "\"HALMPS.DLL\",\"1a01c\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.windowsDir + std::string(" ") + row.file);
        const std::string source = row.source;
        SetupLogEntry entry;
        ASSERT_TRUE(ComposeSetupLogEntry(row.windowsDir, row.file, row.source, row.checksum, &entry));
        EXPECT_STREQ(entry.logPath, row.logPath);
        EXPECT_STREQ(entry.key, row.key);
        EXPECT_STREQ(entry.value, row.value);
        EXPECT_EQ(source, row.source) << "the caller's source name is left alone";
    }
}

// Texts that reach 260 characters with their zero are refused whole: a cut-down
// path or key would name another file.
TEST(SetupLog, RefusesWhatWouldNotFit) {
    struct Row {
        const char *name;
        std::string windowsDir;
        std::string file;
        std::string source;
        BOOL fits;
    };
    const std::string pathFits = "C:\\" + std::string(239, 'W'); // 242 + 17 = 259
    const Row rows[] = {
        {"log path 259", pathFits, "hal.dll", "HALMPS.DLL", TRUE},
        {"log path 260", pathFits + "W", "hal.dll", "HALMPS.DLL", FALSE},
        {"key 259", "C:\\WINNT", std::string(259 - 16, 'k'), "HALMPS.DLL", TRUE},
        {"key 260", "C:\\WINNT", std::string(260 - 16, 'k'), "HALMPS.DLL", FALSE},
        {"value 259", "C:\\WINNT", "hal.dll", std::string(259 - 10, 's'), TRUE},
        // 5
        {"value 260", "C:\\WINNT", "hal.dll", std::string(260 - 10, 's'), FALSE},
        {"source name 260", "C:\\WINNT", "hal.dll", std::string(260, 's'), FALSE},
        {"directory without its drive", "C", "hal.dll", "HALMPS.DLL", FALSE},
        {"empty directory", "", "hal.dll", "HALMPS.DLL", FALSE},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SetupLogEntry entry;
        std::memset(&entry, 'x', sizeof entry);
        EXPECT_EQ(ComposeSetupLogEntry(row.windowsDir.c_str(), row.file.c_str(), row.source.c_str(), "12345", &entry),
                  row.fits);
        if (!row.fits) {
            EXPECT_STREQ(entry.logPath, "");
            EXPECT_STREQ(entry.key, "");
            EXPECT_STREQ(entry.value, "");
        }
    }
}

class CFakeSetupLogPort : public CSetupLogPort {
public:
    std::string windowsDir = "C:\\WINNT";
    uint32_t forcedLength = 0; // when nonzero, returned with nothing written
    BOOL writeResult = TRUE;
    std::vector<std::string> writes;

    uint32_t WindowsDirectory(char *buffer, uint32_t size) override {
        EXPECT_EQ(size, 260u);
        if (forcedLength)
            return forcedLength;
        if (windowsDir.size() + 1 > size)
            return static_cast<uint32_t>(windowsDir.size() + 1);
        std::memcpy(buffer, windowsDir.c_str(), windowsDir.size() + 1);
        return static_cast<uint32_t>(windowsDir.size());
    }
    BOOL WriteProfileText(const char *section, const char *key, const char *value, const char *path) override {
        writes.push_back(std::string(section) + "|" + key + "|" + value + "|" + path);
        return writeResult;
    }
};

TEST(SetupLog, WritesOneEntryOrNothing) {
    struct Row {
        const char *name;
        std::string windowsDir;
        uint32_t forcedLength;
        BOOL writeResult;
        BOOL result;
        std::vector<std::string> writes;
    };
    const Row rows[] = {
        {"written",
         "C:\\WINNT",
         0,
         TRUE,
         TRUE,
         {"Files.WinNt|\\WINNT\\System32\\hal.dll|\"HALMPS.DLL\",\"1a01c\"|C:\\WINNT\\Repair\\Setup.log"}},
        {"write fails",
         "C:\\WINNT",
         0,
         FALSE,
         FALSE,
         {"Files.WinNt|\\WINNT\\System32\\hal.dll|\"HALMPS.DLL\",\"1a01c\"|C:\\WINNT\\Repair\\Setup.log"}},
        {"directory query fails", "", 0, TRUE, FALSE, {}},
        {"directory longer than the buffer", "C:\\" + std::string(300, 'W'), 0, TRUE, FALSE, {}},
        {"directory fills the buffer", "", 260, TRUE, FALSE, {}},
        // 5
        {"log path would not fit", "C:\\" + std::string(240, 'W'), 0, TRUE, FALSE, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CFakeSetupLogPort port;
        port.windowsDir = row.windowsDir;
        port.forcedLength = row.forcedLength;
        port.writeResult = row.writeResult;
        EXPECT_EQ(WriteSetupLogEntry("hal.dll", "HALMPS.DLL", "1a01c", port), row.result);
        EXPECT_EQ(port.writes, row.writes);
    }
}

} // namespace
