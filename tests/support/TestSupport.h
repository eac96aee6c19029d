// Shared helpers for the test programs: scratch folders, file bytes, the built
// velmora.dll, and driving real dialogs from a second thread.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/SettingsFile.h"
#include "support/Files.h"
#include "tools/dialogsearch/DialogSearch.h"

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// ---- files (see also support/Files.h) ------------------------------------------------

// velmora.dll as built beside the running program.
std::string BuiltPluginPath();
// Copies the built velmora.dll into a folder (as the host's Plugins folder holds it).
void CopyPluginInto(const std::string& directory);
// Makes the host's Plugins folder with velmora.dll in it.
void MakePluginsFolder(const std::string& directory);

// The settings file in-process tests hand to the dialogs, at `path` from now on.
void UseSettingsFile(const std::string& path);
SettingsFile& TestSettings();
// One value of the settings file at `path`, read or written (as one group) as the
// plug-in does.
std::string StoredString(const std::string& key, const std::string& defaultValue, const std::string& path);
int StoredInt(const std::string& key, int defaultValue, const std::string& path);
bool StoreString(const std::string& key, const std::string& value, const std::string& path);
bool StoreInt(const std::string& key, int value, const std::string& path);

// ---- what tests compare ------------------------------------------------------------

// Width and height of an icon's image; 0, 0 for no icon.
SIZE IconSize(HICON icon);

// Long texts compare with a short report: the lengths and where they first differ.
::testing::AssertionResult SameText(const std::string& expected, const std::string& actual);

// The memo as the pad shows it after a save and a load, worked out apart from the
// plug-in's own code: CR LF, a lone CR, a lone LF and a TAB each become one CR LF.
std::string MemoAsReloaded(const std::string& typed);

// ---- dialogs -------------------------------------------------------------------

// Finding dialogs and waiting for them (FindThreadDialog, WaitForDialogWithControl,
// WaitUntil, WindowText...): the library the benchmark and the host's tour use too.
using namespace dialog_search;

// Waits until the window is gone.
bool WaitForGone(HWND window, DWORD timeoutMs = kPatienceMs);
// The cover's clock ticks every 500 ms and what it mends follows within one tick; a
// loaded machine may hand the cover its timer message a second late.
constexpr DWORD kTickDeadlineMs = 500 + 1000;

std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
// Presses a button the way a click does, without waiting for its handler.
void PostClick(HWND dialog, int id);
// The text of a message box (its static control 65535).
std::string MessageBoxText(HWND box);
// Dismisses a message box with its OK button.
void DismissMessageBox(HWND box);
// The control that has the keyboard focus in the thread's GUI state.
HWND FocusOf(DWORD threadId);
// Posts a key press (WM_KEYDOWN then WM_KEYUP) to a window.
void PostKey(HWND window, WPARAM key);
// Posts typed characters (WM_CHAR) to a window.
void PostChars(HWND window, const std::string& text);
// Posts typed characters as Unicode, as a keyboard gives them (a character beyond
// U+FFFF as its two halves).
void PostCharsW(HWND window, const std::wstring& text);

// Types `password` into the cover and presses Unlock. True when the cover ended; false
// when a message box came instead (its text into `message`, then dismissed) or when
// nothing happened within `timeoutMs`.
bool TryUnlock(HWND cover, DWORD ui, const std::string& password, std::string* message = nullptr,
               DWORD timeoutMs = kPatienceMs);
// Types `typed` into the cover and presses Unlock; the cover must end within `timeoutMs`.
void Unlock(HWND cover, const std::string& typed, DWORD timeoutMs = kPatienceMs);

// Runs `driver` on a second thread while `run` (which opens a modal dialog) runs on
// the calling thread. The driver receives the calling thread's id. Returns what `run`
// returned. If the driver fails to end the dialog, it is ended after `timeoutMs` and the
// test fails.
INT_PTR RunWithDriver(const std::function<INT_PTR()>& run,
                      const std::function<void(DWORD uiThread)>& driver,
                      DWORD timeoutMs = 4 * kPatienceMs);

// ---- the platform ------------------------------------------------------------------

// Whether this system tells an in-context WinEvent hook that a window was shown, in the
// thread that showed it, before ShowWindow returns (Windows and wine 10 do; wine 8 tells
// such a hook only of new windows).
bool ShowEventsReachInContextHooks();

} // namespace testing_support
