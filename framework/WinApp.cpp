#include "framework/WinApp.h"

CWinApp::CWinApp(const char* appName) noexcept : m_pszAppName(appName)
{
}

CWinApp::~CWinApp() = default;

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}
