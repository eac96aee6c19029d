// What the host's requests set off: the special menu items, the settings request and
// the cover at start-up.
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
