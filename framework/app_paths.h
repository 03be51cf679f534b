// Names the framework derives from the executable's path at start-up.
#pragma once

#include "framework/cstring.h"

// The application name: the file name without directory and extension
// ("D:\TOOLS\UPDATE.EXE" gives "UPDATE").
CString AfxAppNameFromModulePath(const char* pszModulePath);

// The help file: the path with the text after the last dot of the file name replaced
// by HLP ("D:\TOOLS\UPDATE.EXE" gives "D:\TOOLS\UPDATE.HLP"). A dot in a directory
// name does not count; a file name without a dot gets ".HLP" appended.
CString AfxHelpPathFromModulePath(const char* pszModulePath);

// Where the file name begins in a path: after the last backslash, slash or drive colon.
int AfxFileNameOffset(const char* pszPath);

// A heap copy of a name, as the application object owns its names: released with
// free(). Null when memory is short.
char* AfxHeapCopy(const char* psz);
