// An in-memory file system behind the staging port, for the native tests.
#include "fakes/upgrade_fs.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace fakefs {

const char *OpName(Op op) {
    switch (op) {
    case Op::ShowSource:
        return "ShowSource";
    case Op::Copy:
        return "Copy";
    case Op::Probe:
        return "Probe";
    case Op::Reserve:
        return "Reserve";
    case Op::Remove:
        return "Remove";
    case Op::Rename:
        return "Rename";
    case Op::MoveNow:
        return "MoveNow";
    case Op::MoveLater:
        return "MoveLater";
    case Op::Box:
        return "Box";
    }
    return "?";
}

std::string UpgradeFs::Normalise(const std::string &path) {
    std::string out;
    for (char c : path) {
        if (c == '\\' && !out.empty() && out.back() == '\\')
            continue;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

static std::string ParentOf(const std::string &normalised) {
    const std::size_t slash = normalised.rfind('\\');
    return slash == std::string::npos ? std::string() : normalised.substr(0, slash);
}

void UpgradeFs::AddDir(const std::string &dir, bool writable) {
    std::string key = Normalise(dir);
    if (!key.empty() && key.back() == '\\')
        key.pop_back();
    dirs_[key] = writable;
}

void UpgradeFs::AddFile(const std::string &path, const std::string &content, Held held, bool readable) {
    files_[Normalise(path)] = File{content, held, readable};
}

const File *UpgradeFs::Find(const std::string &path) const {
    auto it = files_.find(Normalise(path));
    return it == files_.end() ? nullptr : &it->second;
}

File *UpgradeFs::Lookup(const std::string &path) {
    auto it = files_.find(Normalise(path));
    return it == files_.end() ? nullptr : &it->second;
}

std::vector<std::string> UpgradeFs::FilesIn(const std::string &dir) const {
    std::string key = Normalise(dir);
    if (!key.empty() && key.back() == '\\')
        key.pop_back();
    std::vector<std::string> out;
    for (const auto &entry : files_)
        if (ParentOf(entry.first) == key)
            out.push_back(entry.first);
    return out;
}

std::vector<std::string> UpgradeFs::Boxes() const {
    std::vector<std::string> out;
    for (const Call &call : calls_)
        if (call.op == Op::Box)
            out.push_back(call.a);
    return out;
}

bool UpgradeFs::CanCreateIn(const std::string &path) const {
    auto dir = dirs_.find(ParentOf(Normalise(path)));
    return dir != dirs_.end() && dir->second;
}

bool UpgradeFs::Decide(Call call, bool wouldSucceed, const Fault **fault) {
    call.fallible = fallibleCount_++;
    call.wouldSucceed = wouldSucceed;
    *fault = nullptr;
    auto forced = forced_.find(call.fallible);
    if (forced != forced_.end())
        *fault = &forced->second;
    else if (failEvery_.count(call.op)) {
        static const Fault refuse = Fault::Refuse;
        *fault = &refuse;
    }
    call.ok = wouldSucceed && !*fault;
    calls_.push_back(call);
    return call.ok;
}

void UpgradeFs::ShowSourceFile(const char *source) {
    shownSource_ = source;
    calls_.push_back(Call{Op::ShowSource, source, "", 0, -1, true, false, true});
}

BOOL UpgradeFs::CopyWithProgress(const char *from, const char *to, BOOL *pCancel) {
    const File *source = Find(from);
    const File *existing = Find(to);
    const bool destinationFree = !existing && CanCreateIn(to);
    const bool wouldSucceed = source && source->readable && !(honourCancel && *pCancel) &&
                              (existing ? existing->held == Held::No && CanCreateIn(to) : destinationFree);
    Call call{Op::Copy, from, to, 0};
    call.canLeavePartial = destinationFree;
    const Fault *fault;
    if (!Decide(call, wouldSucceed, &fault)) {
        if (fault && *fault == Fault::LeavePartial && destinationFree)
            files_[Normalise(to)] = File{kPartialContent, Held::No, true};
        return FALSE;
    }
    files_[Normalise(to)] = File{source->content, Held::No, true};
    return TRUE;
}

BOOL UpgradeFs::ProbeReadable(const char *path) {
    const File *file = Find(path);
    const Fault *fault;
    return Decide(Call{Op::Probe, path, "", 0}, file && file->readable, &fault);
}

uint32_t UpgradeFs::ReserveName(const char *dir, const char *prefix, char *name) {
    std::snprintf(name, kPathChars, "%s", kUnsetName);
    std::string base = dir;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    std::string candidate;
    do {
        char number[16];
        std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(nextUnique_++ & 0xFFFF));
        candidate = base + std::string(prefix).substr(0, 3) + number + ".tmp";
    } while (Find(candidate));
    const Fault *fault;
    if (!Decide(Call{Op::Reserve, dir, prefix, 0}, CanCreateIn(candidate) && candidate.size() < kPathChars, &fault))
        return 0;
    files_[Normalise(candidate)] = File{};
    std::snprintf(name, kPathChars, "%s", candidate.c_str());
    calls_.back().b = candidate;
    return nextUnique_ - 1;
}

BOOL UpgradeFs::RemoveFile(const char *path) {
    const File *file = Find(path);
    const Fault *fault;
    if (!Decide(Call{Op::Remove, path, "", 0}, file && file->held == Held::No && CanCreateIn(path), &fault))
        return FALSE;
    files_.erase(Normalise(path));
    return TRUE;
}

BOOL UpgradeFs::RenameFile(const char *from, const char *to) {
    const File *file = Find(from);
    const bool wouldSucceed = file && file->held != Held::Read && !Find(to) && CanCreateIn(to) && CanCreateIn(from);
    const Fault *fault;
    if (!Decide(Call{Op::Rename, from, to, 0}, wouldSucceed, &fault))
        return FALSE;
    File moved = *file;
    files_.erase(Normalise(from));
    files_[Normalise(to)] = moved;
    return TRUE;
}

BOOL UpgradeFs::MoveFileWithFlags(const char *from, const char *to, uint32_t flags) {
    const Fault *fault;
    if (flags & kMoveDelayUntilReboot) {
        // The platform accepts any request; it is checked only when carried out.
        if (!Decide(Call{Op::MoveLater, from, to ? to : "", flags}, true, &fault))
            return FALSE;
        pending_.push_back(
            Pending{Normalise(from), to ? Normalise(to) : std::string(), (flags & kMoveReplaceExisting) != 0});
        return TRUE;
    }
    const File *file = Find(from);
    const File *existing = to ? Find(to) : nullptr;
    const bool wouldSucceed = to && file && file->held != Held::Read && CanCreateIn(from) && CanCreateIn(to) &&
                              (!existing || ((flags & kMoveReplaceExisting) && existing->held == Held::No));
    if (!Decide(Call{Op::MoveNow, from, to ? to : "", flags}, wouldSucceed, &fault))
        return FALSE;
    File moved = *file;
    files_.erase(Normalise(from));
    files_[Normalise(to)] = moved;
    return TRUE;
}

void UpgradeFs::ReportError(const char *text) {
    calls_.push_back(Call{Op::Box, text, "", 0, -1, true, false, true});
}

void UpgradeFs::Restart() {
    for (auto &entry : files_)
        entry.second.held = Held::No;
    for (const Pending &op : pending_) {
        auto from = files_.find(op.from);
        if (from == files_.end())
            continue;
        if (op.to.empty()) {
            files_.erase(from);
            continue;
        }
        if (files_.count(op.to) && !op.replace)
            continue;
        File moved = from->second;
        files_.erase(from);
        files_[op.to] = moved;
    }
    pending_.clear();
}

} // namespace fakefs
