// A scripted stand-in for every operation of the update sequence. It records each
// call with its arguments (calls) and a short outline of the run (outline), and
// checks on the way that dialogs and the registry key are made before use, used
// one at a time and discarded: misuse becomes a test failure.
#pragma once

#include "upgrade/update_sequence.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct FakePick {
    std::string path; // as the file dialog returns it
    std::string name;
};

class CFakeSequencePort : public CUpdateSequencePort {
public:
    // Script. A pick with an empty path stands for Cancel; so does running out.
    std::deque<FakePick> picks;
    std::set<std::string> listedPaths; // paths the tag file lists
    std::deque<long> regOpenResults;   // one per registry step; 0 when run out
    std::deque<long> regSetResults;
    std::set<int> cancellingStages; // staging calls (1-based over the run) that set the cancel flag
    std::string tempDir = "C:\\TEMP\\";
    std::string windowsDir = "C:\\WINNT";
    std::optional<uint32_t> tempResult; // when set, returned instead of the real length
    std::optional<uint32_t> windowsResult;

    // Record.
    std::vector<std::string> calls;
    std::vector<std::string> outline;
    int stageCalls = 0;
    int fileDialogs = 0;     // alive now
    int progressDialogs = 0; // alive now
    BOOL progressCreated = FALSE;
    BOOL keyOpen = FALSE;
    BOOL updateEnabled = TRUE;

    void NewFileDialog(uint32_t flags, const char *filter, const char *title) override {
        EXPECT_EQ(fileDialogs, 0) << "a second file dialog";
        ++fileDialogs;
        Call("NewFileDialog", {Hex(flags), filter, title});
        outline.push_back("dlg");
    }
    int RunFileDialog() override {
        EXPECT_EQ(fileDialogs, 1);
        EXPECT_TRUE(updateEnabled) << "file dialog over a disabled update dialog";
        EXPECT_FALSE(keyOpen);
        Call("RunFileDialog", {});
        if (picks.empty() || picks.front().path.empty()) {
            if (!picks.empty())
                picks.pop_front();
            outline.push_back("cancel");
            return 2;
        }
        current = picks.front();
        picks.pop_front();
        outline.push_back("pick");
        return kIdOk;
    }
    CString GetFileName() override { return current.name.c_str(); }
    CString GetPathName() override { return current.path.c_str(); }
    void DeleteFileDialog() override {
        EXPECT_EQ(fileDialogs, 1);
        --fileDialogs;
        Call("DeleteFileDialog", {});
        outline.push_back("end-dlg");
    }
    BOOL IsListedInTagFile(const char *path, const char *name, const char *servicePack) override {
        Call("IsListedInTagFile", {path, name, servicePack});
        const BOOL listed = listedPaths.count(path) ? TRUE : FALSE;
        outline.push_back(listed ? "listed" : "unlisted");
        return listed;
    }
    void AfxMessageBox(const char *text, uint32_t type) override {
        Call("AfxMessageBox", {text, Hex(type)});
        outline.push_back("not-recognised");
    }
    void OwnedMessageBox(const char *text, const char *caption, uint32_t type) override {
        Call("OwnedMessageBox", {text, caption, Hex(type)});
        outline.push_back(std::string("box:") + caption);
    }
    void EnableUpdateDialog(BOOL enable) override {
        Call("EnableUpdateDialog", {enable ? "TRUE" : "FALSE"});
        updateEnabled = enable;
    }
    void CloseUpdateDialog() override {
        EXPECT_TRUE(updateEnabled);
        Call("CloseUpdateDialog", {});
        outline.push_back("close");
    }
    void NewProgressDialog() override {
        EXPECT_EQ(progressDialogs, 0) << "a second progress dialog";
        ++progressDialogs;
        progressCreated = FALSE;
        Call("NewProgressDialog", {});
        outline.push_back("copy");
    }
    void CreateProgressDialog(uint32_t templateId) override {
        EXPECT_EQ(progressDialogs, 1);
        EXPECT_FALSE(updateEnabled) << "progress dialog created over an enabled update dialog";
        progressCreated = TRUE;
        Call("CreateProgressDialog", {std::to_string(templateId)});
    }
    void ShowProgressDialog(int show) override {
        EXPECT_TRUE(progressCreated);
        Call("ShowProgressDialog", {std::to_string(show)});
    }
    void EndProgressDialog(int result) override {
        EXPECT_TRUE(progressCreated);
        Call("EndProgressDialog", {std::to_string(result)});
    }
    void DeleteProgressDialog() override {
        EXPECT_EQ(progressDialogs, 1);
        --progressDialogs;
        Call("DeleteProgressDialog", {});
    }
    uint32_t TempPath(uint32_t size, char *buffer) override {
        Call("TempPath", {std::to_string(size)});
        return Fill(tempDir, tempResult, buffer, size);
    }
    uint32_t WindowsDirectory(char *buffer, uint32_t size) override {
        Call("WindowsDirectory", {std::to_string(size)});
        return Fill(windowsDir, windowsResult, buffer, size);
    }
    BOOL StageSystemFile(const char *source, const char *temp, const char *system, const char *name,
                         BOOL *pCancel) override {
        EXPECT_EQ(progressDialogs, 1);
        EXPECT_FALSE(updateEnabled);
        ++stageCalls;
        Call("StageSystemFile", {source, temp, system, name, std::to_string(*pCancel)});
        if (cancellingStages.count(stageCalls))
            *pCancel = TRUE;
        return TRUE;
    }
    BOOL WriteSetupLogEntry(const char *file, const char *source, const char *checksum) override {
        Call("WriteSetupLogEntry", {file, source, checksum});
        return TRUE;
    }
    long OpenRegistryKey(const char *subKey, uint32_t options, uint32_t access) override {
        EXPECT_FALSE(keyOpen);
        const long result = Next(regOpenResults);
        keyOpen = result == 0;
        Call("OpenRegistryKey", {subKey, std::to_string(options), Hex(access)});
        outline.push_back(result == 0 ? "open" : "open-failed");
        return result;
    }
    long SetRegistryValue(const char *name, uint32_t reserved, uint32_t type, const char *data,
                          uint32_t size) override {
        EXPECT_TRUE(keyOpen);
        EXPECT_LE(std::strlen(data) + 1, size);
        const long result = Next(regSetResults);
        Call("SetRegistryValue", {name, std::to_string(reserved), std::to_string(type), data, std::to_string(size)});
        outline.push_back(result == 0 ? "set" : "set-failed");
        return result;
    }
    void CloseRegistryKey() override {
        EXPECT_TRUE(keyOpen);
        keyOpen = FALSE;
        Call("CloseRegistryKey", {});
    }
    void RestartSystem() override {
        Call("RestartSystem", {});
        outline.push_back("restart");
    }

    // The outline as one line, for comparison with a table.
    std::string Outline() const {
        std::string line;
        for (const std::string &step : outline)
            line += (line.empty() ? "" : " ") + step;
        return line;
    }
    // The recorded calls whose name is one of the given names.
    std::vector<std::string> CallsNamed(std::initializer_list<const char *> names) const {
        std::vector<std::string> kept;
        for (const std::string &call : calls)
            for (const char *name : names)
                if (call.compare(0, std::strlen(name) + 1, std::string(name) + "(") == 0)
                    kept.push_back(call);
        return kept;
    }
    // The run left nothing behind.
    void ExpectAllDiscarded() const {
        EXPECT_EQ(fileDialogs, 0) << "file dialog not destroyed";
        EXPECT_EQ(progressDialogs, 0) << "progress dialog not destroyed";
        EXPECT_FALSE(keyOpen) << "registry key left open";
        EXPECT_TRUE(updateEnabled) << "update dialog left disabled";
    }

private:
    FakePick current;

    void Call(const char *name, std::initializer_list<std::string> args) {
        std::string call = std::string(name) + "(";
        bool first = true;
        for (const std::string &arg : args) {
            call += (first ? "" : ", ") + arg;
            first = false;
        }
        calls.push_back(call + ")");
    }
    static std::string Hex(uint32_t value) {
        static const char digits[] = "0123456789abcdef";
        std::string text;
        do {
            text.insert(text.begin(), digits[value % 16]);
            value /= 16;
        } while (value);
        return "0x" + text;
    }
    static long Next(std::deque<long> &results) {
        if (results.empty())
            return 0;
        const long result = results.front();
        results.pop_front();
        return result;
    }
    static uint32_t Fill(const std::string &text, std::optional<uint32_t> forced, char *buffer, uint32_t size) {
        if (forced)
            return *forced;
        if (text.size() + 1 > size)
            return static_cast<uint32_t>(text.size() + 1);
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<uint32_t>(text.size());
    }
};
