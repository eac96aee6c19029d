// What the host's requests set off: the special menu items, the settings request and
// the cover at start-up. Each dialog runs modally inside the host's call. Only one
// Velmora dialog is up at a time: a request that would open another while one is up
// brings the open one to the front and does nothing else.
#pragma once
#include <windows.h>

#include <cstdint>

class CDialog;
class CoverDialog;
class DesktopClock;
class SettingsFile;
struct ProductStrings;

// What the commands know between two requests; the plug-in's owner holds it.
struct CommandState {
    // The host's message loop keeps running inside our modal loops, so a menu command, a
    // toolbar click or a timer of the host can make a second request while a Velmora
    // dialog is up. One Velmora dialog at a time: a second cover would stack locks, and a
    // settings dialog next to the cover would get round it.
    bool running = false;
    // Set by ems_plugin_finish: nothing of the plug-in runs after it.
    bool finished = false;
    // The dialog the running command shows right now (null between two of its dialogs).
    CDialog* dialog = nullptr;
    bool coverUp = false;
    bool coverEnded = false;
    DWORD lastCoverEnd = 0;
};

// How the screen-saver command is posted (PostMessageA in the product; tests see the
// request without starting the screen saver).
using PostMessageFunction = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

// The commands, over the state, the settings file and the product strings their owner
// hands them.
class MenuCommands {
public:
    // `clock` notes when a cover ended, in the automatic lock's time.
    MenuCommands(CommandState& state, SettingsFile& settings, const ProductStrings& product,
                 const DesktopClock& clock,
                 PostMessageFunction post = &::PostMessageA) noexcept;
    MenuCommands(const MenuCommands&) = delete;
    MenuCommands& operator=(const MenuCommands&) = delete;

    // Item 1, "Activate Velmora". True when the settings dialog came first (there was no
    // settings file) and was applied.
    bool RunActivateCommand();
    // Item 2, "Activate Screen Saver": asks the desktop window to start the screen saver.
    void RunScreenSaverCommand();
    // The host's settings request. True when the settings were applied.
    bool RunSettingsCommand();
    // The last step of initialisation: the cover, when StartUp is 1 or a lock is recorded
    // that the client did not see unlocked.
    void RunStartUpActivation();
    // ems_plugin_finish: the dialog that is up ends at once (the cover as at the end of
    // the session), and no later request opens one. The module stays loaded if a dialog
    // ran.
    void EndCommandsAtFinish();
    // ems_plugin_init: requests are taken again (a module that stayed loaded after a
    // finish may be initialised again).
    void StartCommandsAtInit();

    // The cover brought up by the automatic lock, with the switches "Activate Velmora"
    // uses. Nothing happens when a cover is up already or there is no settings file (a
    // user who never opened the settings has no password yet). Over the settings dialog
    // or the about box the cover comes up nested: after the unlock the user is back in
    // them. Returns whether a cover came up.
    bool RunLockCover();
    // Whether a cover is up now, whoever brought it up.
    bool CoverIsUp() const noexcept { return state_.coverUp; }
    // The clock's time at which the last cover ended; false when none has
    // ended since the plug-in was loaded.
    bool LastCoverEnd(DWORD& tick) const noexcept;
    // Tests: the screen-saver request goes through `post` from now on.
    void UsePostMessage(PostMessageFunction post) noexcept { post_ = post; }

private:
    class Scope;
    INT_PTR RunCommandDialog(CDialog& dialog);
    bool BringRunningCommandForward() noexcept;
    bool CoverComesBack(const CoverDialog& cover) const noexcept;
    void RunCover();
    INT_PTR RunSettingsDialog();
    bool CoverWantedAtStartUp() const;

    CommandState& state_;
    SettingsFile& settings_;
    const ProductStrings& product_;
    const DesktopClock& clock_;
    PostMessageFunction post_;
};
