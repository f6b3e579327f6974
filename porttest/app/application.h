// The application object: runs the main dialog once and ends the program.
#pragma once

#include "framework/win_app.h"

class CPortTestApp : public CWinApp {
public:
    BOOL InitInstance() override;
    // 0 unless a bounded run from the command line says otherwise.
    int ExitInstance() override;

    DECLARE_MESSAGE_MAP()

private:
    int m_nExitCode = 0;
};
