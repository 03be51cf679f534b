// The restart request: the privilege when the token opens, the request always.
#include "upgrade/restart_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CFakeRestartPort : public CRestartPort {
public:
    BOOL tokenOpens = TRUE;
    BOOL lookupWorks = TRUE;
    std::vector<std::string> calls;

    BOOL OpenProcessToken(uint32_t access) override {
        calls.push_back("OpenProcessToken(" + std::to_string(access) + ")");
        return tokenOpens;
    }
    BOOL LookupPrivilege(const char *privilege, PrivilegeLuid *pLuid) override {
        calls.push_back(std::string("LookupPrivilege(") + privilege + ")");
        if (lookupWorks)
            *pLuid = {19, 0};
        return lookupWorks;
    }
    BOOL AdjustTokenPrivileges(const PrivilegeLuid &luid, uint32_t attributes) override {
        calls.push_back("AdjustTokenPrivileges(" + std::to_string(luid.low) + ":" + std::to_string(luid.high) + ", " +
                        std::to_string(attributes) + ")");
        return TRUE;
    }
    void CloseToken() override { calls.push_back("CloseToken()"); }
    BOOL ExitWindowsEx(uint32_t flags, uint32_t reserved) override {
        calls.push_back("ExitWindowsEx(" + std::to_string(flags) + ", " + std::to_string(reserved) + ")");
        return FALSE; // refused: nothing may depend on it
    }
};

TEST(RestartSystem, RequestsTheRestartWhateverTheTokenSays) {
    struct Row {
        const char *name;
        BOOL tokenOpens;
        BOOL lookupWorks;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {"privilege enabled",
         TRUE,
         TRUE,
         {"OpenProcessToken(40)", "LookupPrivilege(SeShutdownPrivilege)", "AdjustTokenPrivileges(19:0, 2)",
          "CloseToken()", "ExitWindowsEx(2, 0)"}},
        {"lookup fails",
         TRUE,
         FALSE,
         {"OpenProcessToken(40)", "LookupPrivilege(SeShutdownPrivilege)", "AdjustTokenPrivileges(0:0, 2)",
          "CloseToken()", "ExitWindowsEx(2, 0)"}},
        {"no token", FALSE, TRUE, {"OpenProcessToken(40)", "ExitWindowsEx(2, 0)"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CFakeRestartPort port;
        port.tokenOpens = row.tokenOpens;
        port.lookupWorks = row.lookupWorks;
        RestartSystem(port);
        EXPECT_EQ(port.calls, row.calls);
    }
}

} // namespace
