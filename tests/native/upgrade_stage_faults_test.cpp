// Staged replacement under every combination of failing platform operations.
//
// For each starting state, every set of calls that could be made to fail is tried
// (found by running, then failing one more of the calls that came after the last
// failed one); each run is followed by a restart of the model. Whatever failed, the
// target must then hold its old file or the new one: never nothing, never a partial
// copy, never a staged copy from an earlier attempt. The one way to lose it needs the
// platform to refuse putting a renamed target back both at once and at the restart;
// then the old file must survive under its aside name and the failure must have been
// reported.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/upgrade_fs.h"
#include "fakes/upgrade_fs_world.h"
#include "upgrade/stage_system_file_core.h"

namespace fakefs {
namespace {

using Faults = std::map<int, Fault>;

struct Outcome {
    BOOL result = FALSE;
    BOOL cancel = FALSE;
    std::vector<Call> calls;
    std::vector<std::string> boxes;
    std::string targetAfter;
    std::string asideAfter = "<none>"; // the old file under its aside name after the restart
};

Outcome Run(const World &world, const Faults &faults) {
    UpgradeFs fs;
    Build(fs, world);
    for (const auto &fault : faults)
        fs.FailCall(fault.first, fault.second);
    Outcome out;
    out.result = StageSystemFileVia(fs, kSource, kTempDir, kSystemDir, kName, &out.cancel);
    out.calls = fs.Calls();
    out.boxes = fs.Boxes();
    fs.Restart();
    out.targetAfter = ContentOf(fs, kTarget);
    for (const Call &call : out.calls)
        if (call.op == Op::Reserve && call.ok)
            out.asideAfter = ContentOf(fs, call.b);
    return out;
}

std::string Describe(const Faults &faults, const Outcome &outcome) {
    std::string text = "failed calls:";
    for (const auto &fault : faults)
        text += " " + std::to_string(fault.first) + (fault.second == Fault::LeavePartial ? "(partial)" : "");
    text += "\ncalls:";
    for (const Call &call : outcome.calls)
        text += std::string("\n  ") + OpName(call.op) + " " + call.a + " | " + call.b + (call.ok ? "" : "  FAILED");
    return text;
}

// Both ways of putting a renamed target back were refused.
bool PutBackRefusedTwice(const std::vector<Call> &calls) {
    bool now = false, later = false;
    for (const Call &call : calls) {
        now = now || (call.op == Op::MoveNow && !call.ok);
        later = later || (call.op == Op::MoveLater && !call.ok && call.b == kTarget && call.a != kStaged);
    }
    return now && later;
}

void Check(const World &world, const Faults &faults, const Outcome &out) {
    SCOPED_TRACE(Describe(faults, out));
    EXPECT_EQ(TRUE, out.result);
    const std::string old = world.targetExists ? kOld : "<none>";
    const bool updated = out.targetAfter == kNew;
    if (!PutBackRefusedTwice(out.calls) || updated) {
        EXPECT_TRUE(updated || out.targetAfter == old) << "target after the restart: " << out.targetAfter;
    } else {
        EXPECT_EQ(kOld, out.asideAfter) << "the old file must survive under its aside name";
    }
    // Every failure to update is reported, and nothing else is.
    const std::vector<std::string> bothBoxes = {std::string(kFailedToCopy) + kSource,
                                                std::string(kFailedToStage) + kTarget};
    const std::vector<std::string> stageBox = {bothBoxes[1]};
    if (updated)
        EXPECT_TRUE(out.boxes.empty());
    else
        EXPECT_TRUE(out.boxes == bothBoxes || out.boxes == stageBox);
    EXPECT_EQ(out.boxes.empty() ? FALSE : TRUE, out.cancel);
    for (const Call &call : out.calls)
        EXPECT_EQ(std::string::npos, (call.a + call.b).find(kUnsetName)) << OpName(call.op);
}

// Tries `faults`, then every extension of it by one later call that would have
// succeeded (or, for a copy to a free destination, that could leave a partial file).
struct Walk {
    int runs = 0;
    std::set<std::string> seen; // "Copy ok", "MoveNow failed", ...
};

void Explore(const World &world, const Faults &faults, Walk *walk) {
    const Outcome out = Run(world, faults);
    ++walk->runs;
    for (const Call &call : out.calls)
        walk->seen.insert(std::string(OpName(call.op)) + (call.ok ? " ok" : " failed"));
    Check(world, faults, out);
    if (::testing::Test::HasFailure())
        return;
    const int after = faults.empty() ? -1 : faults.rbegin()->first;
    for (const Call &call : out.calls) {
        if (call.fallible <= after)
            continue;
        if (call.wouldSucceed) {
            Faults more = faults;
            more[call.fallible] = Fault::Refuse;
            Explore(world, more, walk);
        }
        if (call.op == Op::Copy && call.canLeavePartial) {
            Faults more = faults;
            more[call.fallible] = Fault::LeavePartial;
            Explore(world, more, walk);
        }
    }
}

TEST(StageSystemFileFaults, EveryCombinationLeavesTheOldFileOrTheNewOne) {
    const Held helds[] = {Held::No, Held::ReadDelete, Held::Read};
    const char *heldNames[] = {"free", "in use, renamable", "locked"};
    Walk walk;
    for (int held = 0; held < 3; ++held)
        for (int source = 0; source < 3; ++source)
            for (int stale = 0; stale < 2; ++stale)
                for (int tempWritable = 0; tempWritable < 2; ++tempWritable) {
                    World world;
                    world.targetHeld = helds[held];
                    world.sourceExists = source != 1;
                    world.sourceReadable = source != 2;
                    world.staleStagedCopy = stale != 0;
                    world.tempWritable = tempWritable != 0;
                    const std::string name = std::string("target ") + heldNames[held] + ", source " +
                                             (source == 0   ? "fine"
                                              : source == 1 ? "missing"
                                                            : "unreadable") +
                                             (stale ? ", leftover staged copy" : "") +
                                             (tempWritable ? "" : ", temporary folder read-only");
                    SCOPED_TRACE(name);
                    Explore(world, Faults(), &walk);
                    if (HasFailure())
                        return;
                }
    RecordProperty("combinations", walk.runs);
    // The walk reached every operation both succeeding and failing.
    for (Op op : {Op::Copy, Op::Probe, Op::Reserve, Op::Remove, Op::Rename, Op::MoveNow, Op::MoveLater})
        for (const char *how : {" ok", " failed"})
            EXPECT_EQ(1u, walk.seen.count(OpName(op) + std::string(how))) << OpName(op) << how;
}

} // namespace
} // namespace fakefs
