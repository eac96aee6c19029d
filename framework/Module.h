// The module whose resources the plug-in uses: always its own image, never the host's.
#pragma once
#include <windows.h>

#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

// The instance handle of the image this code is linked into (velmora.dll, or a test
// program that links the same code and resources).
inline HINSTANCE ModuleInstance() noexcept
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// The full path of the file this module was loaded from, or "" when it cannot be had.
std::string ModuleFilePath();
// The folder of that file, without a trailing backslash, or "".
std::string ModuleFolder();
