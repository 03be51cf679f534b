// A small installation for the staging tests: one new file on the service pack's
// medium, the system directory with the file it replaces, and the temporary folder.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "fakes/upgrade_fs.h"

namespace fakefs {

constexpr const char kSource[] = "E:\\I386\\HALMPS.DLL";
constexpr const char kTempDir[] = "C:\\TEMP\\";
constexpr const char kSystemDir[] = "C:\\WINNT\\SYSTEM32\\";
constexpr const char kName[] = "\\HAL.DLL";
// As the routine composes them: two backslashes in front of the name.
constexpr const char kTarget[] = "C:\\WINNT\\SYSTEM32\\\\HAL.DLL";
constexpr const char kStaged[] = "C:\\TEMP\\\\HAL.DLL";
constexpr const char kOld[] = "old HAL";
constexpr const char kNew[] = "new HAL";
constexpr const char kStale[] = "HAL staged by an earlier attempt";

struct World {
    bool sourceExists = true;
    bool sourceReadable = true;
    bool targetExists = true;
    Held targetHeld = Held::No;
    bool staleStagedCopy = false;
    bool tempWritable = true;
};

inline void Build(UpgradeFs &fs, const World &world) {
    fs.AddDir("E:\\I386");
    fs.AddDir(kSystemDir);
    fs.AddDir(kTempDir, world.tempWritable);
    if (world.sourceExists)
        fs.AddFile(kSource, kNew, Held::No, world.sourceReadable);
    if (world.targetExists)
        fs.AddFile(kTarget, kOld, world.targetHeld);
    if (world.staleStagedCopy)
        fs.AddFile(kStaged, kStale);
}

// The content at `path`, or "<none>".
inline std::string ContentOf(const UpgradeFs &fs, const std::string &path) {
    const File *file = fs.Find(path);
    return file ? file->content : "<none>";
}

// The calls made, one line each: "Copy a -> b", "MoveLater a -> b 0x5", "Box text".
inline std::vector<std::string> Trace(const UpgradeFs &fs) {
    std::vector<std::string> out;
    for (const Call &call : fs.Calls()) {
        std::string line = OpName(call.op);
        line += " " + call.a;
        if (call.op == Op::Reserve)
            line += " [" + call.b + "]";
        else if (call.op == Op::Copy || call.op == Op::Rename || call.op == Op::MoveNow || call.op == Op::MoveLater)
            line += " -> " + (call.b.empty() ? std::string("(none)") : call.b);
        if (call.flags) {
            char flags[16];
            std::snprintf(flags, sizeof flags, " 0x%x", static_cast<unsigned>(call.flags));
            line += flags;
        }
        out.push_back(line);
    }
    return out;
}

} // namespace fakefs
