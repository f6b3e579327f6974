// The application object: one per program, built as a global before the
// program's entry runs. The entry (WinMain, in win_app.cpp) calls its
// InitInstance; the program's work happens there.
#pragma once

#include "app_name.h"
#include "wnd.h"

#include <string>

// The help command, sent by F1.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE: the program ends when this returns. A program whose window is
    // modal does all its work in here and always returns FALSE.
    virtual BOOL InitInstance();
    // The program's exit code, asked once InitInstance has returned FALSE.
    virtual int ExitInstance();

    // Loads an icon of the program's resources at the system's icon size.
    HICON LoadIcon(UINT id) const;

    // Help for the help command (ID_HELP); there is no help file, so it
    // names the program in a box.
    void OnHelp();

    // Dialogs are drawn three-dimensional by the system itself.
    BOOL Enable3dControls() { return TRUE; }

    HINSTANCE m_hInstance;
    std::string m_strAppName;  // the program file's name without extension
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// A modal box captioned with the application's name, owned by its main
// window while that exists.
int AfxMessageBox(const char* text, UINT type = MB_OK);

// The program hosts no ActiveX controls; nothing to prepare.
inline void AfxEnableControlContainer() {}
