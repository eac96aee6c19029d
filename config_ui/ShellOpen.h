// How the dialogs hand a document or web address to the shell. Tests point it at a
// recorder so that no viewer is launched.
#pragma once
#include <windows.h>

using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// ShellExecuteA unless replaced.
extern ShellExecuteFunction ShellExecuteForDialogs;
