// The restart request, independent of the platform.
#include "upgrade/restart_system.h"

const char kShutdownPrivilege[] = "SeShutdownPrivilege";

void RestartSystem(CRestartPort &port) {
    if (port.OpenProcessToken(kTokenAdjustPrivilegesQuery)) {
        PrivilegeLuid luid = {0, 0};
        port.LookupPrivilege(kShutdownPrivilege, &luid);
        port.AdjustTokenPrivileges(luid, kPrivilegeEnabled);
        port.CloseToken();
    }
    // Asked for even without the privilege: the platform decides.
    port.ExitWindowsEx(kExitWindowsReboot, 0);
}
