// Names derived from the executable's path (see app_paths.h).
#include "framework/app_paths.h"

#include <cstdlib>
#include <cstring>

int AfxFileNameOffset(const char* pszPath) {
    int nOffset = 0;
    for (int i = 0; pszPath[i]; ++i)
        if (pszPath[i] == '\\' || pszPath[i] == '/' || pszPath[i] == ':')
            nOffset = i + 1;
    return nOffset;
}

namespace {
// Index of the last dot in the file name part, or -1.
int ExtensionDot(const CString& strPath) {
    int nName = AfxFileNameOffset(strPath);
    for (int i = strPath.GetLength() - 1; i >= nName; --i)
        if (strPath.GetAt(i) == '.')
            return i;
    return -1;
}
} // namespace

CString AfxAppNameFromModulePath(const char* pszModulePath) {
    CString strName(pszModulePath + AfxFileNameOffset(pszModulePath));
    int nDot = ExtensionDot(strName);
    return nDot < 0 ? strName : strName.Left(nDot);
}

CString AfxHelpPathFromModulePath(const char* pszModulePath) {
    CString strPath(pszModulePath);
    int nDot = ExtensionDot(strPath);
    return (nDot < 0 ? strPath + "." : strPath.Left(nDot + 1)) + "HLP";
}

char* AfxHeapCopy(const char* psz) {
    size_t cb = std::strlen(psz) + 1;
    char* pCopy = static_cast<char*>(std::malloc(cb));
    if (pCopy)
        std::memcpy(pCopy, psz, cb);
    return pCopy;
}
