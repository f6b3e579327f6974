// The application object: runs the main dialog once and ends the program.
#pragma once

#include "framework/win_app.h"

class CPortTestApp : public CWinApp {
public:
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
