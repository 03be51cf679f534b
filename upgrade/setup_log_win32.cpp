// Repair log entries over the platform's Windows directory and INI writer.
#include <windows.h>

#include "upgrade/setup_log.h"

namespace {

class CSetupLogWin32 : public CSetupLogPort {
public:
    uint32_t WindowsDirectory(char *buffer, uint32_t size) override { return ::GetWindowsDirectoryA(buffer, size); }
    BOOL WriteProfileText(const char *section, const char *key, const char *value, const char *path) override {
        return ::WritePrivateProfileStringA(section, key, value, path);
    }
};

} // namespace

BOOL WriteSetupLogEntry(const char *fileName, const char *sourceName, const char *checksum) {
    CSetupLogWin32 port;
    return WriteSetupLogEntry(fileName, sourceName, checksum, port);
}
