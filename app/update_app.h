// The application object of the program: start-up runs the update dialog once and
// ends the process.
#pragma once

#include "framework/framework.h"

class CUpdateApp : public CWinApp {
public:
    CUpdateApp() = default;
    ~CUpdateApp() override = default;

    // All of the program's work; FALSE on every path, so that no message loop runs.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

// The one application object.
extern CUpdateApp theApp;
