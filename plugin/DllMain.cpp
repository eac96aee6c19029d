// Library load and unload: the application object starts and ends with the module.
#include <windows.h>

#include "framework/WinApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ::DisableThreadLibraryCalls(instance);
        return AfxGetApp() != nullptr ? AfxGetApp()->InitInstance() : TRUE;
    case DLL_PROCESS_DETACH:
        if (AfxGetApp() != nullptr)
            AfxGetApp()->ExitInstance();
        return TRUE;
    default:
        return TRUE;
    }
}
