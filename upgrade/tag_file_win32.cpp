// Tag-file recognition over the platform: the picked file's size from its
// directory entry, the values from the application's profile file.
#include "framework/framework.h"
#include "upgrade/tag_file.h"

namespace {

class CTagFileWin32 : public CTagFilePort {
public:
    BOOL QueryFileSize(const char *path, uint32_t *pSizeLow) override {
        WIN32_FIND_DATAA data;
        const HANDLE hFind = ::FindFirstFileA(path, &data);
        if (hFind == INVALID_HANDLE_VALUE)
            return FALSE;
        ::FindClose(hFind);
        *pSizeLow = data.nFileSizeLow;
        return TRUE;
    }
    uint32_t ReadProfileInt(const char *section, const char *key) override {
        return static_cast<uint32_t>(AfxGetApp()->GetProfileInt(section, key, 0));
    }
};

} // namespace

BOOL IsListedInTagFile(const char *path, const char *name, const char *servicePack) {
    CTagFileWin32 port;
    return IsListedInTagFile(path, name, servicePack, port);
}
