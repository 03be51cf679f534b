// Names from the executable's path, and the file dialog's filter and chosen name.
#include <gtest/gtest.h>

#include <string>

#include "framework/app_paths.h"
#include "framework/file_dialog_text.h"

namespace {

TEST(AppPaths, NameAndHelpPathFromTheModulePath) {
    struct Row {
        const char* module;
        const char* appName;
        const char* helpPath;
    } const rows[] = {
        {"D:\\TOOLS\\UPDATE.EXE", "UPDATE", "D:\\TOOLS\\UPDATE.HLP"},
        {"C:\\tools\\MPTOOL.EXE", "MPTOOL", "C:\\tools\\MPTOOL.HLP"},
        {"C:\\tools\\update.bin", "update", "C:\\tools\\update.HLP"},
        {"C:\\tools\\update.tar.exe", "update.tar", "C:\\tools\\update.tar.HLP"},
        {"C:\\v1.2\\update", "update", "C:\\v1.2\\update.HLP"}, // the dot of a folder does not count
        // 5
        {"\\\\server\\share\\update.exe", "update", "\\\\server\\share\\update.HLP"},
        {"C:update.exe", "update", "C:update.HLP"},
        {"update.", "update", "update.HLP"},
        {"/unix/style/update.exe", "update", "/unix/style/update.HLP"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.module);
        EXPECT_STREQ(AfxAppNameFromModulePath(row.module), row.appName);
        EXPECT_STREQ(AfxHelpPathFromModulePath(row.module), row.helpPath);
    }
}

TEST(FileDialogText, FilterBecomesZeroSeparatedWithTwoZerosAtTheEnd) {
    using namespace std::string_literals;
    struct Row {
        const char* filter;
        std::string expected; // including the terminator
    } const rows[] = {
        {"Service Pack 6a Tag|NTOSKRNL.EX?||", "Service Pack 6a Tag\0NTOSKRNL.EX?\0\0\0"s},
        {"A|*.a|B|*.b||", "A\0*.a\0B\0*.b\0\0\0"s},
        {"A|*.a", "A\0*.a\0\0"s},  // no closing bars: two zeros all the same
        {"A|*.a|", "A\0*.a\0\0"s}, // one closing bar
        {" Tag|NTOSKRNL.EX?||", " Tag\0NTOSKRNL.EX?\0\0\0"s},
        // 5
        {"", "\0\0"s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.filter);
        CString converted = AfxConvertFilter(row.filter);
        std::string bytes(static_cast<const char*>(converted), converted.GetLength() + 1);
        EXPECT_EQ(bytes, row.expected);
    }
}

TEST(FileDialogText, ChosenFileName) {
    struct Row {
        const char* path;
        unsigned offset;
        const char* name;
    } const rows[] = {
        {"C:\\sp6\\i386\\NTOSKRNL.EXE", 12, "NTOSKRNL.EXE"},
        {"E:\\NTOSKRNL.EXE", 3, "NTOSKRNL.EXE"},
        {"E:\\I386\\ntoskrnl.exe", 0, "ntoskrnl.exe"},  // no offset given: after the last separator
        {"E:\\I386\\ntoskrnl.exe", 99, "ntoskrnl.exe"}, // offset outside the path
        {"NTOSKRNL.EXE", 0, "NTOSKRNL.EXE"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_STREQ(AfxFileNameOfPath(row.path, row.offset), row.name);
    }
}

} // namespace
