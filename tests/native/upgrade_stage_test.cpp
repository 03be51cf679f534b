// Staged replacement of one system file: the three ways, the failure boxes and the
// cancel flag, over the in-memory file system.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/upgrade_fs.h"
#include "fakes/upgrade_fs_world.h"
#include "upgrade/stage_system_file_core.h"

namespace fakefs {
namespace {

const std::string kCopyBox = std::string("Failed to copy ->") + kSource;
const std::string kStageBox = std::string("Failed  to stage update ->") + kTarget;
// Normalised names, as the file system and its pending list hold them.
const std::string kTargetKey = "C:\\WINNT\\SYSTEM32\\HAL.DLL";
const std::string kStagedKey = "C:\\TEMP\\HAL.DLL";
const std::string kAside = "C:\\WINNT\\SYSTEM32\\del1a2b.tmp"; // the fake's first reserved name
const std::string kAsideKey = "C:\\WINNT\\SYSTEM32\\DEL1A2B.TMP";

std::vector<std::string> PendingLines(const UpgradeFs &fs) {
    std::vector<std::string> out;
    for (const Pending &op : fs.PendingOps())
        out.push_back(op.from + " -> " + (op.to.empty() ? "(delete)" : op.to) + (op.replace ? " !" : ""));
    return out;
}

BOOL Stage(UpgradeFs &fs, BOOL *pCancel) {
    return StageSystemFileVia(fs, kSource, kTempDir, kSystemDir, kName, pCancel);
}

// The three ways, each ending as it should when nothing goes wrong: the calls in
// their order and with their texts, what is left at once and after the restart.
TEST(StageSystemFile, HappyPathsMakeTheirCallsAndLeaveTheirState) {
    const std::string copyDirect = std::string("Copy ") + kSource + " -> " + kTarget;
    struct Row {
        const char *name;
        Held held;
        std::vector<std::string> calls;
        std::string targetNow;
        std::vector<std::string> systemDirNow;
        std::vector<std::string> tempDirNow;
        std::vector<std::string> pending;
    };
    // clang-format off
    const Row rows[] = {
        {"target free: one copy",
         Held::No,
         {std::string("ShowSource ") + kSource, copyDirect},
         kNew,
         {kTargetKey},
         {},
         {}},
        {"target in use, can be renamed: aside, copy again, deletion pending",
         Held::ReadDelete,
         {std::string("ShowSource ") + kSource, copyDirect, std::string("Probe ") + kSource,
          std::string("Reserve ") + kSystemDir + " [" + kAside + "]", "Remove " + kAside,
          std::string("Rename ") + kTarget + " -> " + kAside, copyDirect, "MoveLater " + kAside + " -> (none) 0x4"},
         kNew,
         {kAsideKey, kTargetKey},
         {},
         {kAsideKey + " -> (delete)"}},
        {"target locked: staged copy, replacing move pending",
         Held::Read,
         {std::string("ShowSource ") + kSource, copyDirect, std::string("Probe ") + kSource,
          std::string("Reserve ") + kSystemDir + " [" + kAside + "]", "Remove " + kAside,
          std::string("Rename ") + kTarget + " -> " + kAside, copyDirect,
          std::string("Copy ") + kSource + " -> " + kStaged,
          std::string("MoveLater ") + kStaged + " -> " + kTarget + " 0x5"},
         kOld,
         {kTargetKey},
         {kStagedKey},
         {kStagedKey + " -> " + kTargetKey + " !"}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        UpgradeFs fs;
        World world;
        world.targetHeld = row.held;
        Build(fs, world);
        BOOL cancel = FALSE;

        EXPECT_EQ(TRUE, Stage(fs, &cancel));
        EXPECT_EQ(FALSE, cancel);
        EXPECT_EQ(row.calls, Trace(fs));
        EXPECT_EQ(kSource, fs.ShownSource());
        EXPECT_EQ(row.targetNow, ContentOf(fs, kTarget));
        EXPECT_EQ(row.systemDirNow, fs.FilesIn(kSystemDir));
        EXPECT_EQ(row.tempDirNow, fs.FilesIn(kTempDir));
        EXPECT_EQ(row.pending, PendingLines(fs));

        fs.Restart();
        EXPECT_EQ(kNew, ContentOf(fs, kTarget));
        EXPECT_EQ(std::vector<std::string>{kTargetKey}, fs.FilesIn(kSystemDir));
        EXPECT_TRUE(fs.FilesIn(kTempDir).empty());
    }
}

// What goes wrong, what is reported, and where the target stands now and after the
// restart.
TEST(StageSystemFile, FailuresAreReportedAndNeverCostTheTarget) {
    struct Row {
        const char *name;
        World world;
        std::vector<Op> failEvery;
        std::vector<std::pair<int, Fault>> failCalls; // by index among the calls that can fail
        std::vector<std::string> boxes;
        std::string targetNow;
        std::string targetAfterRestart;
        std::vector<std::string> pending;
        std::vector<Op> notCalled;
    };
    // Indices of the calls that can fail, on the rename way: 0 copy, 1 probe, 2 reserve,
    // 3 remove, 4 rename, 5 second copy, 6 putting back.
    const World missing{false, true, true, Held::No, false, true};
    const World unreadableInUse{true, false, true, Held::ReadDelete, false, true};
    const World lockedTempReadOnly{true, true, true, Held::Read, false, false};
    const World locked{true, true, true, Held::Read, false, true};
    const World lockedStaleTempReadOnly{true, true, true, Held::Read, true, false};
    const World missingStale{false, true, true, Held::Read, true, true};
    const World inUse{true, true, true, Held::ReadDelete, false, true};
    const World inUseTempReadOnly{true, true, true, Held::ReadDelete, false, false};
    const std::string asidePutBack = kAsideKey + " -> " + kTargetKey + " !";
    const std::string stagedMove = kStagedKey + " -> " + kTargetKey + " !";
    // clang-format off
    const Row rows[] = {
        {"source missing: nothing renamed, both boxes", missing, {}, {}, {kCopyBox, kStageBox}, kOld, kOld, {},
         {Op::Reserve, Op::Rename, Op::MoveLater}},
        {"source unreadable, target renamable: nothing renamed, both boxes", unreadableInUse, {}, {},
         {kCopyBox, kStageBox}, kOld, kOld, {}, {Op::Reserve, Op::Rename, Op::MoveLater}},
        {"staged copy fails: both boxes, no request", lockedTempReadOnly, {}, {}, {kCopyBox, kStageBox}, kOld, kOld,
         {}, {Op::MoveLater}},
        {"request refused: second box only", locked, {Op::MoveLater}, {}, {kStageBox}, kOld, kOld, {}, {}},
        {"staged copy fails over a leftover one: the leftover is never moved", lockedStaleTempReadOnly, {}, {},
         {kCopyBox, kStageBox}, kOld, kOld, {}, {Op::MoveLater}},
        // 5
        {"source missing, leftover staged copy: the leftover is never moved", missingStale, {}, {},
         {kCopyBox, kStageBox}, kOld, kOld, {}, {Op::MoveLater, Op::Rename}},
        {"no aside name: straight to the staged way", inUse, {Op::Reserve}, {}, {}, kOld, kNew, {stagedMove},
         {Op::Remove, Op::Rename}},
        {"second copy refused after the rename: old file back at once", inUse, {}, {{5, Fault::Refuse}}, {}, kOld,
         kNew, {stagedMove}, {}},
        {"second copy leaves a partial file: putting back replaces it", inUse, {}, {{5, Fault::LeavePartial}}, {},
         kOld, kNew, {stagedMove}, {}},
        {"putting back refused: the restart puts it back before the staged move", inUse, {},
         {{5, Fault::LeavePartial}, {6, Fault::Refuse}}, {}, kPartialContent, kNew, {asidePutBack, stagedMove}, {}},
        // 10
        {"putting back refused, staged copy fails: the restart brings the old file back", inUseTempReadOnly, {},
         {{5, Fault::LeavePartial}, {6, Fault::Refuse}}, {kCopyBox, kStageBox}, kPartialContent, kOld,
         {asidePutBack}, {}},
        {"deletion of the aside file refused: the new file stays", inUse, {Op::MoveLater}, {}, {}, kNew, kNew, {}, {}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        UpgradeFs fs;
        Build(fs, row.world);
        for (Op op : row.failEvery)
            fs.FailEvery(op);
        for (const auto &call : row.failCalls)
            fs.FailCall(call.first, call.second);
        BOOL cancel = FALSE;

        EXPECT_EQ(TRUE, Stage(fs, &cancel));
        EXPECT_EQ(row.boxes, fs.Boxes());
        EXPECT_EQ(row.boxes.empty() ? FALSE : TRUE, cancel);
        EXPECT_EQ(row.targetNow, ContentOf(fs, kTarget));
        EXPECT_EQ(row.pending, PendingLines(fs));
        for (const Call &call : fs.Calls()) {
            EXPECT_EQ(std::string::npos, (call.a + call.b).find(kUnsetName)) << OpName(call.op);
            for (Op op : row.notCalled)
                EXPECT_NE(op, call.op) << OpName(op) << " called";
        }
        fs.Restart();
        EXPECT_EQ(row.targetAfterRestart, ContentOf(fs, kTarget));
    }
}

TEST(StageSystemFile, CancelFlagAlreadySetStagesNothing) {
    UpgradeFs fs;
    World world;
    world.targetHeld = Held::Read;
    Build(fs, world);
    BOOL cancel = 7;
    EXPECT_EQ(TRUE, Stage(fs, &cancel));
    EXPECT_EQ(7, cancel);
    EXPECT_TRUE(fs.Calls().empty());
    EXPECT_EQ("", fs.ShownSource());
}

// A run of six files, as the update sequence makes it: the first failure is reported,
// and the files after it are left as they are instead of being half staged.
TEST(StageSystemFile, AFailureLeavesTheRestOfTheRunUntouched) {
    const char *const names[] = {"\\HAL.DLL",      "\\NTOSKRNL.EXE", "\\NTDLL.DLL",
                                 "\\KERNEL32.DLL", "\\WINSRV.DLL",   "\\WIN32K.SYS"};
    UpgradeFs fs;
    fs.AddDir("E:\\I386");
    fs.AddDir(kSystemDir);
    fs.AddDir(kTempDir);
    for (const char *name : names) {
        fs.AddFile(std::string("E:\\I386") + name, std::string("new") + name);
        fs.AddFile(std::string(kSystemDir) + name, std::string("old") + name, Held::Read);
    }
    fs.AddFile(std::string(kTempDir) + "NTOSKRNL.EXE", "old", Held::Read); // the kernel cannot be staged

    BOOL cancel = FALSE;
    for (const char *name : names)
        EXPECT_EQ(TRUE, StageSystemFileVia(fs, (std::string("E:\\I386") + name).c_str(), kTempDir, kSystemDir, name,
                                           &cancel));

    EXPECT_EQ(TRUE, cancel);
    const std::vector<std::string> boxes = {"Failed to copy ->E:\\I386\\NTOSKRNL.EXE",
                                            "Failed  to stage update ->C:\\WINNT\\SYSTEM32\\\\NTOSKRNL.EXE"};
    EXPECT_EQ(boxes, fs.Boxes());
    // Only the HAL was staged; nothing was tried for the four files after the kernel.
    EXPECT_EQ(std::vector<std::string>{"C:\\TEMP\\HAL.DLL -> C:\\WINNT\\SYSTEM32\\HAL.DLL !"}, PendingLines(fs));
    for (const Call &call : fs.Calls())
        for (int i = 2; i < 6; ++i)
            EXPECT_EQ(std::string::npos, call.a.find(names[i] + 1)) << Trace(fs).back();
}

// The model itself: the restart behaves as the platform's does.
TEST(UpgradeFs, RestartCarriesOutPendingOperationsInOrder) {
    struct Row {
        const char *name;
        std::vector<std::pair<std::string, std::string>> files; // path, content (all in C:\T)
        std::vector<Pending> pending;
        std::vector<std::pair<std::string, std::string>> after;
    };
    // clang-format off
    const Row rows[] = {
        {"chain of renames", {{"A", "a"}}, {{"C:\\T\\A", "C:\\T\\A2", false}, {"C:\\T\\A2", "C:\\T\\A3", false}},
         {{"C:\\T\\A3", "a"}}},
        {"rename onto an existing file is skipped", {{"A", "a"}, {"B", "b"}}, {{"C:\\T\\A", "C:\\T\\B", false}},
         {{"C:\\T\\A", "a"}, {"C:\\T\\B", "b"}}},
        {"replacing move", {{"A", "a"}, {"B", "b"}}, {{"C:\\T\\A", "C:\\T\\B", true}}, {{"C:\\T\\B", "a"}}},
        {"move from a missing file is skipped", {{"B", "b"}}, {{"C:\\T\\A", "C:\\T\\B", true}}, {{"C:\\T\\B", "b"}}},
        {"delete, and delete of a missing file", {{"A", "a"}}, {{"C:\\T\\A", "", false}, {"C:\\T\\Z", "", false}},
         {}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        UpgradeFs fs;
        fs.AddDir("C:\\T");
        for (const auto &file : row.files)
            fs.AddFile("C:\\T\\" + file.first, file.second, Held::Read);
        for (const Pending &op : row.pending)
            EXPECT_EQ(TRUE, fs.MoveFileWithFlags(op.from.c_str(), op.to.empty() ? nullptr : op.to.c_str(),
                                                 kMoveDelayUntilReboot | (op.replace ? kMoveReplaceExisting : 0)));
        fs.Restart();
        EXPECT_TRUE(fs.PendingOps().empty());
        std::vector<std::pair<std::string, std::string>> after;
        for (const std::string &path : fs.FilesIn("C:\\T")) {
            after.emplace_back(path, fs.Find(path)->content);
            EXPECT_EQ(Held::No, fs.Find(path)->held);
        }
        EXPECT_EQ(row.after, after);
    }
}

} // namespace
} // namespace fakefs
