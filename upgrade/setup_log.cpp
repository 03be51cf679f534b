// Composition and writing of repair log entries, independent of the platform.
#include "upgrade/setup_log.h"

#include <cstring>

const char kSetupLogSection[] = "Files.WinNt";

namespace {

// Appends text to the buffer holding `used` characters; FALSE when the result
// with its terminating zero would not fit.
BOOL Append(char *buffer, size_t *used, const char *text) {
    const size_t length = std::strlen(text);
    if (*used + length >= kSetupLogBufferSize)
        return FALSE;
    std::memcpy(buffer + *used, text, length + 1);
    *used += length;
    return TRUE;
}

BOOL Compose(char *buffer, const char *const *parts, size_t count) {
    size_t used = 0;
    buffer[0] = '\0';
    for (size_t i = 0; i < count; ++i)
        if (!Append(buffer, &used, parts[i])) {
            buffer[0] = '\0';
            return FALSE;
        }
    return TRUE;
}

} // namespace

BOOL ComposeSetupLogEntry(const char *windowsDir, const char *fileName, const char *sourceName, const char *checksum,
                          SetupLogEntry *pEntry) {
    pEntry->logPath[0] = pEntry->key[0] = pEntry->value[0] = '\0';
    if (std::strlen(windowsDir) < 2)
        return FALSE;

    // The source name in capitals, on a copy: only a to z change.
    char upperSource[kSetupLogBufferSize];
    const size_t sourceLength = std::strlen(sourceName);
    if (sourceLength >= sizeof upperSource)
        return FALSE;
    for (size_t i = 0; i <= sourceLength; ++i) {
        const char c = sourceName[i];
        upperSource[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }

    const char *path[] = {windowsDir, "\\Repair\\Setup.log"};
    const char *key[] = {windowsDir + 2, "\\System32\\", fileName};
    const char *value[] = {"\"", upperSource, "\",\"", checksum, "\""};
    if (Compose(pEntry->logPath, path, 2) && Compose(pEntry->key, key, 3) && Compose(pEntry->value, value, 5))
        return TRUE;
    pEntry->logPath[0] = pEntry->key[0] = pEntry->value[0] = '\0';
    return FALSE;
}

BOOL WriteSetupLogEntry(const char *fileName, const char *sourceName, const char *checksum, CSetupLogPort &port) {
    char windowsDir[kSetupLogBufferSize];
    const uint32_t length = port.WindowsDirectory(windowsDir, sizeof windowsDir);
    if (length == 0 || length >= sizeof windowsDir)
        return FALSE; // no directory, or one too long for the entry's buffers

    SetupLogEntry entry;
    if (!ComposeSetupLogEntry(windowsDir, fileName, sourceName, checksum, &entry))
        return FALSE;
    return port.WriteProfileText(kSetupLogSection, entry.key, entry.value, entry.logPath);
}
