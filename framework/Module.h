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

// A reference of the module to itself, taken for as long as one of its dialogs runs.
// The host may unload the plug-in from inside a dialog's message loop (the mail client's
// exit at the end of the session does): the code the loop returns into must still be
// there. The reference is given back at the end of the run, unless the host has
// finished with the plug-in meanwhile (KeepModuleLoaded): then the module stays loaded
// until the process ends, since giving it back could unload the code being run.
class ModuleHold {
public:
    ModuleHold() noexcept;
    ~ModuleHold();
    ModuleHold(const ModuleHold&) = delete;
    ModuleHold& operator=(const ModuleHold&) = delete;

private:
    HMODULE module_ = nullptr;
};

// Keeps the module loaded until the process ends (code of it may still be called from
// somewhere it could not be taken off).
void PinModuleForever() noexcept;

// From now on no ModuleHold gives its reference back (the host's finish call); false
// starts afresh (a later initialisation of a module that stayed loaded).
void KeepModuleLoaded(bool keep) noexcept;
