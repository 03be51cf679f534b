// An in-memory file system behind the staging port, for the native tests.
//
// It models what staged replacement relies on: files held open by another process
// (so that they can be renamed but not overwritten, or neither), unreadable sources,
// missing or read-only folders, reserved names, the list of operations pending for
// the next restart and a restart that carries them out in order. Any call can be made
// to fail on purpose, alone or with others, and every call is logged.
//
// Paths compare as the platform compares them: without regard to case, with runs of
// backslashes taken as one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "upgrade/stage_system_file_port.h"

namespace fakefs {

// How another process holds a file open.
enum class Held {
    No,         // not open: can be overwritten, renamed, deleted
    ReadDelete, // shared for reading and deletion: can be renamed, not overwritten
    Read,       // shared for reading only: can be neither overwritten nor renamed
};

struct File {
    std::string content;
    Held held = Held::No;
    bool readable = true;
};

// An operation for the next restart. An empty `to` deletes `from`.
struct Pending {
    std::string from;
    std::string to;
    bool replace = false;
};

enum class Op { ShowSource, Copy, Probe, Reserve, Remove, Rename, MoveNow, MoveLater, Box };
const char *OpName(Op op);

// How a call made to fail behaves.
enum class Fault {
    Refuse,       // does nothing and reports failure
    LeavePartial, // copies only: stops midway, leaving a partial file at a destination that was free
};

struct Call {
    Op op;
    std::string a; // first path, or the text of a box
    std::string b; // second path, if any ("" for none)
    uint32_t flags = 0;
    int fallible = -1;            // index among the calls that can fail, -1 for the others
    bool wouldSucceed = false;    // the outcome had it not been made to fail
    bool canLeavePartial = false; // a copy to a free destination: Fault::LeavePartial would show
    bool ok = false;              // the outcome reported
};

constexpr const char kUnsetName[] = "<unset name>";
constexpr const char kPartialContent[] = "<partial copy>";

class UpgradeFs final : public StagePort {
public:
    // Set-up.
    void AddDir(const std::string &dir, bool writable = true);
    void AddFile(const std::string &path, const std::string &content, Held held = Held::No, bool readable = true);
    // The n-th call that can fail (0-based, counted over the whole life) fails with `fault`.
    void FailCall(int n, Fault fault = Fault::Refuse) { forced_[n] = fault; }
    // Every call of `op` fails.
    void FailEvery(Op op) { failEvery_.insert(op); }
    // Whether a copy stops when the cancel flag is nonzero: the platform's contract (the
    // default) or Wine's behaviour, which ignores the flag.
    bool honourCancel = true;

    // Inspection.
    const File *Find(const std::string &path) const;
    // The files in one folder (not below it), by their normalised names.
    std::vector<std::string> FilesIn(const std::string &dir) const;
    const std::vector<Pending> &PendingOps() const { return pending_; }
    const std::vector<Call> &Calls() const { return calls_; }
    std::vector<std::string> Boxes() const;
    const std::string &ShownSource() const { return shownSource_; }

    // Every process ends and the pending operations are carried out in order: a delete
    // of a missing file, a move from a missing file and a move without replacement onto
    // an existing file are skipped. The list is then empty.
    void Restart();

    static std::string Normalise(const std::string &path);

    // StagePort.
    void ShowSourceFile(const char *source) override;
    BOOL CopyWithProgress(const char *from, const char *to, BOOL *pCancel) override;
    BOOL ProbeReadable(const char *path) override;
    uint32_t ReserveName(const char *dir, const char *prefix, char *name) override;
    BOOL RemoveFile(const char *path) override;
    BOOL RenameFile(const char *from, const char *to) override;
    BOOL MoveFileWithFlags(const char *from, const char *to, uint32_t flags) override;
    void ReportError(const char *text) override;

private:
    bool CanCreateIn(const std::string &path) const;
    File *Lookup(const std::string &path);
    // Logs a fallible call and decides its outcome; `fault` receives the forced fault.
    bool Decide(Call call, bool wouldSucceed, const Fault **fault);

    std::map<std::string, File> files_;
    std::map<std::string, bool> dirs_; // normalised, no trailing backslash -> writable
    std::vector<Pending> pending_;
    std::vector<Call> calls_;
    std::map<int, Fault> forced_;
    std::set<Op> failEvery_;
    std::string shownSource_;
    int fallibleCount_ = 0;
    uint32_t nextUnique_ = 0x1a2b;
};

} // namespace fakefs
