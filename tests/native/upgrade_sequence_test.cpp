// The update sequence against a scripted port: the attempt loop with its flags,
// the copy phase in order, the registry step and the exits.
#include "fakes/upgrade_seq_fake.h"
#include "upgrade/tag_file.h"

#include <gtest/gtest.h>

namespace {

const char kSp6a[] = "Service Pack 6a";
const FakePick kI386 = {"E:\\I386\\NTOSKRNL.EXE", "NTOSKRNL.EXE"};
const FakePick kOther = {"F:\\SP5\\I386\\NTOSKRNL.EXE", "NTOSKRNL.EXE"};
const FakePick kTyped = {"E:\\I386\\NTOSKRNL.EXX", "NTOSKRNL.EXX"}; // typed, does not exist
const FakePick kCancel = {"", ""};

const char kSuccessTail[] = "end-dlg box:All Done restart close";

struct Scenario {
    const char *name;
    BOOL nothingToDo;
    std::vector<FakePick> picks;
    std::vector<long> regOpen; // results per registry step, 0 when left out
    std::vector<long> regSet;
    std::set<int> cancellingStages;
    std::string outline;
};

TEST(UpdateSequence, FollowsTheStateTable) {
    const std::string success = std::string("copy open set ") + kSuccessTail;
    const Scenario scenarios[] = {
        {"nothing to do", TRUE, {}, {}, {}, {}, ""},
        {"cancel at once", FALSE, {kCancel}, {}, {}, {}, "dlg cancel end-dlg"},
        {"recognised at once", FALSE, {kI386}, {}, {}, {}, "dlg pick listed " + success},
        {"unlisted, then listed",
         FALSE,
         {kOther, kI386},
         {},
         {},
         {},
         "dlg pick unlisted not-recognised pick listed " + success},
        {"typed missing name, then cancel",
         FALSE,
         {kTyped, kCancel},
         {},
         {},
         {},
         "dlg pick unlisted not-recognised cancel end-dlg"},
        // 5
        {"registry open fails, then cancel closes without restart",
         FALSE,
         {kI386, kCancel},
         {5},
         {},
         {},
         "dlg pick listed copy open-failed box:Unable to open reg key cancel end-dlg close"},
        {"registry open fails, then an unlisted pick copies",
         FALSE,
         {kI386, kOther},
         {5},
         {},
         {},
         "dlg pick listed copy open-failed box:Unable to open reg key pick unlisted " + success},
        {"registry open fails, then a typed missing name copies",
         FALSE,
         {kI386, kTyped},
         {2},
         {},
         {},
         "dlg pick listed copy open-failed box:Unable to open reg key pick unlisted " + success},
        {"value write fails, then listed",
         FALSE,
         {kI386, kI386},
         {},
         {5},
         {},
         "dlg pick listed copy open set-failed box:Unable to determine current Service Pack version pick listed " +
             success},
        {"both registry failures in turn, then cancel",
         FALSE,
         {kI386, kI386, kCancel},
         {5, 0},
         {5},
         {},
         "dlg pick listed copy open-failed box:Unable to open reg key pick listed copy open set-failed "
         "box:Unable to determine current Service Pack version cancel end-dlg close"},
        // 10
        {"cancel flag set while staging, then cancel",
         FALSE,
         {kI386, kCancel},
         {},
         {},
         {3},
         "dlg pick listed copy open set cancel end-dlg close"},
        {"cancel flag set on the last file, then a clean attempt",
         FALSE,
         {kI386, kI386},
         {},
         {},
         {6},
         "dlg pick listed copy open set pick listed " + success},
        {"cancel flag set and registry fails",
         FALSE,
         {kI386, kCancel},
         {5},
         {},
         {1},
         "dlg pick listed copy open-failed box:Unable to open reg key cancel end-dlg close"},
    };
    for (const Scenario &s : scenarios) {
        SCOPED_TRACE(s.name);
        CFakeSequencePort port;
        port.picks.assign(s.picks.begin(), s.picks.end());
        port.listedPaths = {kI386.path};
        port.regOpenResults.assign(s.regOpen.begin(), s.regOpen.end());
        port.regSetResults.assign(s.regSet.begin(), s.regSet.end());
        port.cancellingStages = s.cancellingStages;

        RunUpdateSequence({s.nothingToDo, TRUE, kSp6a}, port);

        EXPECT_EQ(port.Outline(), s.outline);
        if (s.nothingToDo) {
            EXPECT_TRUE(port.calls.empty());
        }
        port.ExpectAllDiscarded();
        EXPECT_TRUE(port.picks.empty()) << "the run ended before the script";
    }
}

// The copy phase of one recognised attempt, call by call, for both HALs.
TEST(UpdateSequence, CopyPhaseStagesAndLogsInTheirOwnOrders) {
    struct Row {
        BOOL noEisaBus;
        const char *halSource;
        const char *halLog;
    };
    const Row rows[] = {
        {TRUE, "E:\\I386\\HALMPS.DLL", "WriteSetupLogEntry(hal.dll, HALMPS.DLL, 1a01c)"},
        {FALSE, "E:\\I386\\HALSP.DLL", "WriteSetupLogEntry(hal.dll, HALSP.DLL, 0f337)"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.noEisaBus ? "no EISA bus" : "EISA bus");
        CFakeSequencePort port;
        port.picks = {kI386};
        port.listedPaths = {kI386.path};
        RunUpdateSequence({FALSE, row.noEisaBus, kSp6a}, port);

        const std::string stage = "StageSystemFile(E:\\I386\\";
        const std::string dirs = ", C:\\TEMP\\, C:\\WINNT\\SYSTEM32\\, \\";
        const std::vector<std::string> expected = {
            "NewFileDialog(0x200804, Service Pack 6a Tag|NTOSKRNL.EX?||, Please select 'NTOSKRNL' from 'Service "
            "Pack 6a'...)",
            "RunFileDialog()",
            "IsListedInTagFile(E:\\I386\\NTOSKRNL.EXE, NTOSKRNL.EXE, Service Pack 6a)",
            "NewProgressDialog()",
            "TempPath(260)",
            "WindowsDirectory(260)",
            "EnableUpdateDialog(FALSE)",
            "CreateProgressDialog(129)",
            "ShowProgressDialog(1)",
            std::string("StageSystemFile(") + row.halSource + dirs + "HAL.DLL, 0)",
            row.halLog,
            stage + "NTKRNLMP.EXE" + dirs + "NTOSKRNL.EXE, 0)",
            stage + "NTDLL.DLL" + dirs + "NTDLL.DLL, 0)",
            stage + "KERNEL32.DLL" + dirs + "KERNEL32.DLL, 0)",
            stage + "WINSRV.DLL" + dirs + "WINSRV.DLL, 0)",
            stage + "WIN32K.SYS" + dirs + "WIN32K.SYS, 0)",
            "WriteSetupLogEntry(Ntoskrnl.exe, NTKRNLMP.EXE, e76ab)",
            "WriteSetupLogEntry(Kernel32.dll, KERNEL32.DLL, 5b7f8)",
            "WriteSetupLogEntry(Winsrv.dll, WINSRV.DLL, 37b4e)",
            "WriteSetupLogEntry(Ntdll.dll, NTDLL.DLL, 59c19)",
            "WriteSetupLogEntry(win32k.sys, WIN32K.SYS, 132603)",
            "EndProgressDialog(0)",
            "EnableUpdateDialog(TRUE)",
            "OpenRegistryKey(Software\\Microsoft\\Windows NT\\CurrentVersion, 0, 0x20006)",
            "SetRegistryValue(CurrentType, 0, 1, Multiprocessor Free, 20)",
            "CloseRegistryKey()",
            "DeleteFileDialog()",
            "OwnedMessageBox(The system will now be restarted, All Done, 0x40)",
            "RestartSystem()",
            "CloseUpdateDialog()",
            "DeleteProgressDialog()",
        };
        EXPECT_EQ(port.calls, expected);
    }
}

// The texts made from the service pack text, the empty one included.
TEST(UpdateSequence, TextsFollowTheServicePack) {
    struct Row {
        const char *servicePack;
        const char *dialog;
        const char *message;
        const char *section;
    };
    const Row rows[] = {
        {"Service Pack 6a",
         "NewFileDialog(0x200804, Service Pack 6a Tag|NTOSKRNL.EX?||, Please select 'NTOSKRNL' from 'Service Pack "
         "6a'...)",
         "AfxMessageBox(contents of folder 'F:\\SP5\\I386' do not appear to be 'Service Pack 6a', 0x40)",
         "TAGFILE_INFO_SPa"},
        {"Service Pack 5",
         "NewFileDialog(0x200804, Service Pack 5 Tag|NTOSKRNL.EX?||, Please select 'NTOSKRNL' from 'Service Pack "
         "5'...)",
         "AfxMessageBox(contents of folder 'F:\\SP5\\I386' do not appear to be 'Service Pack 5', 0x40)",
         "TAGFILE_INFO_SP5"},
        {"", "NewFileDialog(0x200804,  Tag|NTOSKRNL.EX?||, Please select 'NTOSKRNL' from ''...)",
         "AfxMessageBox(contents of folder 'F:\\SP5\\I386' do not appear to be '', 0x40)", "TAGFILE_INFO_SP"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.servicePack);
        CFakeSequencePort port;
        port.picks = {kOther};
        RunUpdateSequence({FALSE, TRUE, row.servicePack}, port);
        EXPECT_EQ(port.CallsNamed({"NewFileDialog"}), std::vector<std::string>{row.dialog});
        EXPECT_EQ(port.CallsNamed({"AfxMessageBox"}), std::vector<std::string>{row.message});
        EXPECT_STREQ(TagFileSection(row.servicePack), row.section);
    }
}

TEST(UpdateSequence, FolderIsThePickWithoutItsName) {
    struct Row {
        const char *path;
        const char *name;
        const char *folder;
    };
    const Row rows[] = {
        {"E:\\I386\\NTOSKRNL.EXE", "NTOSKRNL.EXE", "E:\\I386"},
        {"E:\\NTOSKRNL.EXE", "NTOSKRNL.EXE", "E:"},
        {"C:\\sp6\\i386\\ntoskrnl.exe", "ntoskrnl.exe", "C:\\sp6\\i386"},
        {"\\\\server\\share\\sp\\NTOSKRNL.EXE", "NTOSKRNL.EXE", "\\\\server\\share\\sp"},
        {"X.EXE", "NTOSKRNL.EXE", ""}, // a path shorter than its name does not underflow
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_STREQ(FolderOfPick(row.path, row.name), row.folder);
    }

    // A pick in the root of a drive stages from the drive's root.
    CFakeSequencePort port;
    port.picks = {{"E:\\NTOSKRNL.EXE", "NTOSKRNL.EXE"}};
    port.listedPaths = {"E:\\NTOSKRNL.EXE"};
    RunUpdateSequence({FALSE, TRUE, kSp6a}, port);
    const std::vector<std::string> stages = port.CallsNamed({"StageSystemFile"});
    ASSERT_EQ(stages.size(), 6u);
    EXPECT_EQ(stages[0], "StageSystemFile(E:\\HALMPS.DLL, C:\\TEMP\\, C:\\WINNT\\SYSTEM32\\, \\HAL.DLL, 0)");
    EXPECT_EQ(stages[5], "StageSystemFile(E:\\WIN32K.SYS, C:\\TEMP\\, C:\\WINNT\\SYSTEM32\\, \\WIN32K.SYS, 0)");
}

// Every copy phase starts with a clear cancel flag; a later attempt copies from
// the folder of its own pick.
TEST(UpdateSequence, LaterAttemptsStartClearAndUseTheirOwnFolder) {
    CFakeSequencePort port;
    port.picks = {kI386, kOther};
    port.listedPaths = {kI386.path};
    port.cancellingStages = {2};
    RunUpdateSequence({FALSE, TRUE, kSp6a}, port);

    const std::vector<std::string> stages = port.CallsNamed({"StageSystemFile"});
    ASSERT_EQ(stages.size(), 12u);
    EXPECT_EQ(stages[2], "StageSystemFile(E:\\I386\\NTDLL.DLL, C:\\TEMP\\, C:\\WINNT\\SYSTEM32\\, \\NTDLL.DLL, 1)");
    EXPECT_EQ(stages[6], "StageSystemFile(F:\\SP5\\I386\\HALMPS.DLL, C:\\TEMP\\, C:\\WINNT\\SYSTEM32\\, \\HAL.DLL, 0)");
    EXPECT_EQ(stages[11],
              "StageSystemFile(F:\\SP5\\I386\\WIN32K.SYS, C:\\TEMP\\, C:\\WINNT\\SYSTEM32\\, \\WIN32K.SYS, 0)");
    EXPECT_EQ(port.CallsNamed({"SetRegistryValue"}).size(), 2u)
        << "the registry is written after a cancelled phase too";
    EXPECT_EQ(port.CallsNamed({"AfxMessageBox"}).size(), 0u);
    EXPECT_EQ(port.CallsNamed({"RestartSystem"}).size(), 1u);
}

// Without its directories a copy phase would stage into a guessed place: it
// stages, logs and marks nothing, says so, and the file dialog comes back.
TEST(UpdateSequence, MissingDirectoriesStageNothing) {
    struct Row {
        const char *name;
        std::string tempDir;
        std::optional<uint32_t> tempResult;
        std::string windowsDir;
        std::optional<uint32_t> windowsResult;
    };
    const Row rows[] = {
        {"temporary path fails", "", 0u, "C:\\WINNT", {}},
        {"temporary path too long", std::string(259, 'T') + "\\", {}, "C:\\WINNT", {}},
        {"Windows directory fails", "C:\\TEMP\\", {}, "", 0u},
        {"Windows directory too long", "C:\\TEMP\\", {}, "C:\\" + std::string(257, 'W'), {}},
        {"system directory would not fit", "C:\\TEMP\\", {}, "C:\\" + std::string(247, 'W'), {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CFakeSequencePort port;
        port.picks = {kI386, kCancel};
        port.listedPaths = {kI386.path};
        port.tempDir = row.tempDir;
        port.tempResult = row.tempResult;
        port.windowsDir = row.windowsDir;
        port.windowsResult = row.windowsResult;

        RunUpdateSequence({FALSE, TRUE, kSp6a}, port);
        EXPECT_EQ(port.Outline(),
                  "dlg pick listed copy box:Unable to determine system directories cancel end-dlg close");
        EXPECT_TRUE(port.CallsNamed({"StageSystemFile", "WriteSetupLogEntry", "OpenRegistryKey", "CreateProgressDialog",
                                     "EnableUpdateDialog"})
                        .empty());
        port.ExpectAllDiscarded();
    }

    // The longest Windows directory that still fits is used.
    CFakeSequencePort port;
    port.picks = {kI386};
    port.listedPaths = {kI386.path};
    port.windowsDir = "C:\\" + std::string(246, 'W'); // 249 + "\SYSTEM32\" = 259
    RunUpdateSequence({FALSE, TRUE, kSp6a}, port);
    EXPECT_EQ(port.Outline(), std::string("dlg pick listed copy open set ") + kSuccessTail);
}

TEST(UpdateSequence, RegistryFailuresShowTheirBoxes) {
    CFakeSequencePort port;
    port.picks = {kI386, kI386, kI386};
    port.listedPaths = {kI386.path};
    port.regOpenResults = {5, 0, 0};
    port.regSetResults = {5, 0};
    RunUpdateSequence({FALSE, TRUE, kSp6a}, port);
    const std::vector<std::string> expected = {
        "OpenRegistryKey(Software\\Microsoft\\Windows NT\\CurrentVersion, 0, 0x20006)",
        "OwnedMessageBox(KEY == HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Windows, Unable to open reg "
        "key, "
        "0x10)",
        "OpenRegistryKey(Software\\Microsoft\\Windows NT\\CurrentVersion, 0, 0x20006)",
        "SetRegistryValue(CurrentType, 0, 1, Multiprocessor Free, 20)",
        "OwnedMessageBox(RegSetValueEx Failed, Unable to determine current Service Pack version, 0x10)",
        "CloseRegistryKey()",
        "OpenRegistryKey(Software\\Microsoft\\Windows NT\\CurrentVersion, 0, 0x20006)",
        "SetRegistryValue(CurrentType, 0, 1, Multiprocessor Free, 20)",
        "CloseRegistryKey()",
        "OwnedMessageBox(The system will now be restarted, All Done, 0x40)",
    };
    EXPECT_EQ(port.CallsNamed({"OpenRegistryKey", "SetRegistryValue", "CloseRegistryKey", "OwnedMessageBox"}),
              expected);
    port.ExpectAllDiscarded();
}

} // namespace
