// Library load and unload: the application object starts and ends with the module.
#include <windows.h>

#include <cstdlib>

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

// The runtime's default terminate handler prints the exception's demangled type name,
// which links a C++ demangler of some 50 KB into the plug-in. Nothing here throws, and a
// host has no console to print to: end the process the plain way instead.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    ::abort();
}
} // namespace __gnu_cxx
