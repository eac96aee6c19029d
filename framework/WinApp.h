// The application object: one per module, started when the library loads and ended
// when it unloads.
#pragma once
#include <windows.h>

class CWinApp {
public:
    explicit CWinApp(const char* appName) noexcept;
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Called once when the library is loaded; FALSE refuses the load.
    virtual BOOL InitInstance();
    // Called once when the library is unloaded; the result is the module's exit code.
    virtual int ExitInstance();

    const char* m_pszAppName;
};

