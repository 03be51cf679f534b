// Resource identifiers of the program: the update dialog, the copy progress dialog and the icon.
#pragma once

#define IDR_MAINFRAME 128

// The update dialog.
#define IDD_UPDATE 102
#define IDC_SERVICE_PACK 1002
#define IDC_PROCESSORS 1003
#define IDC_INFORMATION 1004

// The copy progress dialog.
#define IDD_COPY_PROGRESS 129
#define IDC_FILE 1001
#define IDC_PROGRESS 1002

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The framework's help command.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif
