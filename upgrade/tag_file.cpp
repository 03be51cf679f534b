// Tag-file recognition, independent of the platform.
#include "upgrade/tag_file.h"

#include <cstring>

CString TagFileSection(const char *servicePack) {
    CString section = "TAGFILE_INFO_SP";
    const size_t length = std::strlen(servicePack);
    if (length)
        section += servicePack[length - 1];
    return section;
}

BOOL IsListedInTagFile(const char *path, const char *name, const char *servicePack, CTagFilePort &port) {
    uint32_t size = 0;
    if (!port.QueryFileSize(path, &size))
        return FALSE;

    const CString section = TagFileSection(servicePack);
    BOOL matched = FALSE;
    for (uint32_t n = 1;; ++n) {
        CString key;
        key.Format("%s%u", name, static_cast<unsigned>(n));
        const uint32_t value = port.ReadProfileInt(section, key);
        if (value == 0)
            return matched;
        if (value == size)
            matched = TRUE; // a match does not end the scan
    }
}
