// Texts of the file dialog: the filter and the chosen name.
#pragma once

#include "framework/cstring.h"

// "Desc|Pattern|Desc2|Pattern2||" to the platform's form "Desc\0Pattern\0...\0\0": every
// bar becomes a zero, and the text ends with two zeros (the last one the terminator)
// whatever the input ends with. The returned CString's length counts the embedded zeros.
CString AfxConvertFilter(const char* pszFilter);

// The chosen file's name and extension. nFileOffset is where the platform says the name
// begins; when it does not lie inside the path, the name after the last separator.
CString AfxFileNameOfPath(const char* pszPath, unsigned int nFileOffset);
