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
// The last step of initialisation: the cover, when StartUp is 1 or a lock is recorded
// that the client did not see unlocked.
void RunStartUpActivation();
// ems_plugin_finish: the dialog that is up ends at once (the cover as at the end of the
// session), and no later request opens one. The module stays loaded if a dialog ran.
void EndCommandsAtFinish();
// ems_plugin_init: requests are taken again (a module that stayed loaded after a finish
// may be initialised again).
void StartCommandsAtInit();

// Seam for tests: how the screen-saver command is posted (PostMessageA by default).
using PostMessageFunction = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
extern PostMessageFunction PostMessageForCommands;
