#include "win_app.h"

namespace {

CWinApp* g_app = nullptr;

} // namespace

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleA(nullptr)), m_strAppName(AfxGetAppName())
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return FALSE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

HICON CWinApp::LoadIconA(UINT id) const
{
    return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(id));
}

void CWinApp::OnHelp()
{
    AfxMessageBox(m_strAppName.c_str(), MB_OK | MB_ICONINFORMATION);
}

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_app != nullptr ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
}

int AfxMessageBox(const char* text, UINT type)
{
    HWND owner = nullptr;
    if (g_app != nullptr && g_app->m_pMainWnd != nullptr)
        owner = g_app->m_pMainWnd->m_hWnd;
    return ::MessageBoxA(owner, text, AfxGetAppName(), type);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    // The program's window is modal and has run by the time InitInstance
    // returns, so there is never a message loop to run here.
    if (app->InitInstance())
        return 0;
    return app->ExitInstance();
}
