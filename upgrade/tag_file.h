// Recognition of a service pack folder by the tag file beside the program.
//
// The tag file is the application's profile file (the program's path with the
// extension INI). Section "TAGFILE_INFO_SP" plus the last character of the
// service pack text; keys are the picked file's name followed by 1, 2, 3, ...;
// each value is an accepted size in bytes. The list for a name ends at the first
// key that reads as 0. A picked file is listed when one of the values equals the
// low 32 bits of its size. Only the size is looked at, never the contents.
#pragma once

#include "framework/cstring.h"
#include "framework/portable.h"

#include <cstdint>

// What the rule needs of the platform: one size query, one profile read.
class CTagFilePort {
public:
    virtual ~CTagFilePort() = default;
    // Looks the file up by its full path. FALSE when nothing matches the path;
    // otherwise TRUE with the low 32 bits of its size. Leaves no handle open.
    virtual BOOL QueryFileSize(const char *path, uint32_t *pSizeLow) = 0;
    // The integer value of the key in the section of the tag file, 0 when the
    // file, the section or the key is missing or the value is not a number.
    virtual uint32_t ReadProfileInt(const char *section, const char *key) = 0;
};

// "TAGFILE_INFO_SP" followed by the last character of the service pack text
// ("TAGFILE_INFO_SP" alone for an empty text).
CString TagFileSection(const char *servicePack);

// TRUE when the file at the path exists and its size is listed under the name
// in the section of the service pack. Reads k + 1 keys for a list of k values;
// reads nothing when the file is not found.
BOOL IsListedInTagFile(const char *path, const char *name, const char *servicePack, CTagFilePort &port);

// The same over the platform: FindFirstFileA and the application's profile file.
// Defined by the Win32 adapter only.
BOOL IsListedInTagFile(const char *path, const char *name, const char *servicePack);
