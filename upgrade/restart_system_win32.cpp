// The restart request over the process token and ExitWindowsEx.
#include <windows.h>

#include "upgrade/restart_system.h"

namespace {

class CRestartWin32 : public CRestartPort {
public:
    BOOL OpenProcessToken(uint32_t access) override {
        return ::OpenProcessToken(::GetCurrentProcess(), access, &m_hToken);
    }
    BOOL LookupPrivilege(const char *privilege, PrivilegeLuid *pLuid) override {
        LUID luid = {0, 0};
        const BOOL found = ::LookupPrivilegeValueA(NULL, privilege, &luid);
        pLuid->low = luid.LowPart;
        pLuid->high = luid.HighPart;
        return found;
    }
    BOOL AdjustTokenPrivileges(const PrivilegeLuid &luid, uint32_t attributes) override {
        TOKEN_PRIVILEGES privileges;
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Luid.LowPart = luid.low;
        privileges.Privileges[0].Luid.HighPart = luid.high;
        privileges.Privileges[0].Attributes = attributes;
        return ::AdjustTokenPrivileges(m_hToken, FALSE, &privileges, 0, NULL, NULL);
    }
    void CloseToken() override {
        ::CloseHandle(m_hToken);
        m_hToken = NULL;
    }
    BOOL ExitWindowsEx(uint32_t flags, uint32_t reserved) override { return ::ExitWindowsEx(flags, reserved); }

private:
    HANDLE m_hToken = NULL;
};

} // namespace

void RestartSystem() {
    CRestartWin32 port;
    RestartSystem(port);
}
