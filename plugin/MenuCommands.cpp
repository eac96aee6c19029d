#include "plugin/MenuCommands.h"

#include "config_ui/SettingsDialog.h"
#include "cover/CoverDialog.h"
#include "framework/Module.h"
#include "plugin/AutoLock.h"
#include "settings/Settings.h"

PostMessageFunction PostMessageForCommands = &::PostMessageA;

namespace {

// The host's message loop keeps running inside our modal loops, so a menu command, a
// toolbar click or a timer of the host can make a second request while a Velmora
// dialog is up. One Velmora dialog at a time: a second cover would stack locks, and a
// settings dialog next to the cover would get round it.
bool g_commandRunning = false;
// Set by ems_plugin_finish: nothing of the plug-in runs after it.
bool g_finished = false;

// The dialog the running command shows right now (null between two of its dialogs).
CDialog* g_commandDialog = nullptr;
bool g_coverUp = false;
bool g_coverEnded = false;
DWORD g_lastCoverEnd = 0;

class CommandScope {
public:
    CommandScope() noexcept { g_commandRunning = true; }
    ~CommandScope() { g_commandRunning = false; }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;
};

INT_PTR RunCommandDialog(CDialog& dialog)
{
    g_commandDialog = &dialog;
    const INT_PTR result = dialog.DoModal();
    g_commandDialog = nullptr;
    return result;
}

// When a command is running, shows its dialog (or the message box or about box above
// it) to the user instead of starting another one. Returns whether one was running.
bool BringRunningCommandForward() noexcept
{
    if (g_finished)
        return true;
    if (!g_commandRunning)
        return false;
    HWND shown = g_commandDialog != nullptr ? g_commandDialog->GetSafeHwnd() : nullptr;
    if (shown != nullptr) {
        HWND front = ::GetLastActivePopup(shown);
        ::SetForegroundWindow(front != nullptr ? front : shown);
    }
    return true;
}

bool QuitWaiting() noexcept
{
    MSG msg;
    return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

// A cover whose window went with the window that owned it (a splash screen of the host
// closing while the cover comes up at start-up, say) comes up again at once, unless the
// client is going away: its main window destroyed, its loop asked to quit, or the
// plug-in finished. Then the lock stays recorded for the next start.
bool CoverComesBack(const CoverDialog& cover) noexcept
{
    return cover.WindowLost() && !cover.HostWindowGone() && !g_finished && !QuitWaiting();
}

// The lock ends only by unlock, or by the host quitting.
void RunCover()
{
    g_coverUp = true;
    for (;;) {
        CoverDialog cover(nullptr);
        RunCommandDialog(cover);
        if (!CoverComesBack(cover))
            break;
    }
    g_coverUp = false;
    // The automatic lock counts the user's absence from here at the earliest.
    g_lastCoverEnd = ::GetTickCount();
    g_coverEnded = true;
}

// The settings dialog; after an Apply the lock by itself follows the new settings at once.
INT_PTR RunSettingsDialog()
{
    SettingsDialog settings(nullptr);
    const INT_PTR result = RunCommandDialog(settings);
    if (result == 1)
        RearmAutoLock();
    return result;
}

// The settings say a cover is wanted as the client starts.
bool CoverWantedAtStartUp()
{
    return ReadSwitches().startUp == 1 || LockedRecorded();
}

} // namespace

void RunActivateCommand()
{
    if (BringRunningCommandForward())
        return;
    CommandScope scope;
    if (!SettingsFileExists()) {
        // Only a successful Apply or the OK command lead on to the cover.
        if (RunSettingsDialog() != 1 || g_finished)
            return;
    }
    RunCover();
}

void RunScreenSaverCommand()
{
    PostMessageForCommands(::GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 1);
}

void RunSettingsCommand()
{
    if (BringRunningCommandForward())
        return;
    CommandScope scope;
    RunSettingsDialog();
}

void RunStartUpActivation()
{
    if (!CoverWantedAtStartUp())
        return;
    if (BringRunningCommandForward())
        return;
    CommandScope scope;
    RunCover();
}

void EndCommandsAtFinish()
{
    g_finished = true;
    // A dialog that is up keeps the module loaded from now on: the host may unload it
    // from inside the dialog's loop.
    KeepModuleLoaded(true);
    if (g_commandDialog != nullptr)
        g_commandDialog->EndForShutdown();
}

void StartCommandsAtInit()
{
    g_finished = false;
    KeepModuleLoaded(false);
}

bool RunLockCover()
{
    if (g_finished || g_coverUp || !SettingsFileExists())
        return false;
    // A settings dialog or about box that is up stays on the stack below the cover;
    // menu commands meanwhile bring the cover forward, and afterwards the dialog again.
    const bool wasRunning = g_commandRunning;
    CDialog* const wasShown = g_commandDialog;
    g_commandRunning = true;
    RunCover();
    g_commandRunning = wasRunning;
    g_commandDialog = wasShown;
    // Finished while the cover was up: the dialog below ends too.
    if (g_finished && wasShown != nullptr)
        wasShown->EndForShutdown();
    return true;
}

bool CoverIsUp() noexcept
{
    return g_coverUp;
}

bool LastCoverEnd(DWORD& tick) noexcept
{
    tick = g_lastCoverEnd;
    return g_coverEnded;
}
