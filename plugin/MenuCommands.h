// What the host's requests set off: the special menu items, the settings request and
// the cover at start-up. Each dialog runs modally inside the host's call. Only one
// Velmora dialog is up at a time: a request that would open another while one is up
// brings the open one to the front and does nothing else.
#pragma once
#include <windows.h>

#include <cstdint>

// Item 1, "Activate Velmora".
void RunActivateCommand();
// Item 2, "Activate Screen Saver": asks the desktop window to start the screen saver.
void RunScreenSaverCommand();
// The host's settings request.
void RunSettingsCommand();
// The last step of initialisation: the cover, when StartUp is 1.
void RunStartUpActivation();

// Seam for tests: how the screen-saver command is posted (PostMessageA by default).
using PostMessageFunction = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
extern PostMessageFunction PostMessageForCommands;
