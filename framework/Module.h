// The module whose resources the plug-in uses: always its own image, never the host's.
#pragma once
#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

// The instance handle of the image this code is linked into (velmora.dll, or a test
// program that links the same code and resources).
inline HINSTANCE ModuleInstance() noexcept
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}
