#include "win_app.h"

#include <string>

namespace {

CWinApp* g_app = nullptr;

// "C:\\dir\\Zorik.exe" -> "Zorik"
std::string ProgramName(HINSTANCE instance)
{
    // XP leaves a truncated path unterminated: keep the last byte for the zero.
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(instance, path, MAX_PATH - 1);
    std::string name = path;
    std::size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleA(nullptr)), m_strAppName(ProgramName(m_hInstance))
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

const char* AfxGetAppName()
{
    return g_app != nullptr ? g_app->m_strAppName.c_str() : "";
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
    app->InitInstance();
    return 0;
}
