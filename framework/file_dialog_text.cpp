// File dialog texts (see file_dialog_text.h).
#include "framework/file_dialog_text.h"

#include <cstring>

#include "framework/app_paths.h"

CString AfxConvertFilter(const char* pszFilter) {
    CString strFilter;
    for (const char* p = pszFilter ? pszFilter : ""; *p; ++p)
        strFilter += *p == '|' ? '\0' : *p;
    // The terminator is one zero; the list needs a second one right before it.
    if (strFilter.IsEmpty() || strFilter.GetAt(strFilter.GetLength() - 1) != '\0')
        strFilter += '\0';
    return strFilter;
}

CString AfxFileNameOfPath(const char* pszPath, unsigned int nFileOffset) {
    size_t nLength = std::strlen(pszPath);
    if (nFileOffset > 0 && nFileOffset < nLength)
        return CString(pszPath + nFileOffset);
    return CString(pszPath + AfxFileNameOffset(pszPath));
}
