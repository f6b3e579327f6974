// The application object: runs the main dialog once and ends the program.
#pragma once

#include "framework/win_app.h"

#include <string>

class CPortTestApp : public CWinApp {
public:
    BOOL InitInstance() override;
    // 0 unless a bounded run from the command line says otherwise.
    int ExitInstance() override;

    DECLARE_MESSAGE_MAP()

private:
    // False (after a box naming the file and Windows' reason) when an
    // earlier run's /result file is there and cannot be removed.
    bool RemoveEarlierResultFile(const std::string& name);

    int m_nExitCode = 0;
};
