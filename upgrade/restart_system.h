// The restart request at the end of a successful upgrade: the shutdown privilege
// is enabled in the process token, then a restart of the machine is asked for.
// Whether the platform accepts it is neither examined nor reported.
#pragma once

#include "framework/portable.h"

#include <cstdint>

const uint32_t kTokenAdjustPrivilegesQuery = 0x28; // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
const uint32_t kPrivilegeEnabled = 2;              // SE_PRIVILEGE_ENABLED
const uint32_t kExitWindowsReboot = 2;             // EWX_REBOOT
extern const char kShutdownPrivilege[];            // "SeShutdownPrivilege"

// A locally unique identifier as the platform hands it out.
struct PrivilegeLuid {
    uint32_t low;
    int32_t high;
};

// What the request needs of the platform. The port owns the token handle.
class CRestartPort {
public:
    virtual ~CRestartPort() = default;
    // Opens the current process's token with the access given; FALSE when it fails.
    virtual BOOL OpenProcessToken(uint32_t access) = 0;
    // The privilege's identifier on the local system.
    virtual BOOL LookupPrivilege(const char *privilege, PrivilegeLuid *pLuid) = 0;
    // Applies a record of one privilege with the attributes to the open token.
    virtual BOOL AdjustTokenPrivileges(const PrivilegeLuid &luid, uint32_t attributes) = 0;
    // Closes the token opened above.
    virtual void CloseToken() = 0;
    // Asks for the end of the session with the flags; returns at once.
    virtual BOOL ExitWindowsEx(uint32_t flags, uint32_t reserved) = 0;
};

void RestartSystem(CRestartPort &port);

// The same over the platform. Defined by the Win32 adapter only.
void RestartSystem();
