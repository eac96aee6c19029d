// How the dialogs hand a document or web address to the shell: ShellExecuteA in the
// product; tests hand a recorder so that no viewer is launched.
#pragma once
#include <windows.h>

#include <shellapi.h>

using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
